// Calixo's entry point: creates the window set and runs the event loop.
#include "ui.h"

#include <QWidget>

int main(int argc, char **argv) {
  calixo::CalixoApplication app(argc, argv);
  QWidget w;
  w.setWindowTitle(QStringLiteral("Veloria"));
  w.resize(586, 353);
  w.show();
  return app.exec();
}
