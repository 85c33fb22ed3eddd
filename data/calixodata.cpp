#include "calixodata.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCalixoData() { Q_INIT_RESOURCE(calixo_data); }

void calixo::initDataResources() { registerCalixoData(); }
