// Test stand-in for the shaping library while it is a placeholder: leaves
// the window unshaped.
#include "contoura.h"

extern "C" int SetRgn(void *, const char *) { return -1; }
