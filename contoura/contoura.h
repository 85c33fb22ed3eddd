// Contoura: shapes a window from a region file (a Windows RGNDATA block).
// libcontoura.so exports SetRgn by name and resolves every symbol it uses
// itself (Qt and the C library), so any Qt Widgets program may link it or
// load it at run time. It shows its one message box itself.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Shapes window (a QWidget*) with the region in fileName (relative to the
// current directory). Always returns -1. A file that cannot be opened or read
// shows ".exb 没有找到" and leaves the shape as it was; a block that is not a
// valid region clears the shape.
__attribute__((visibility("default"))) int SetRgn(void *window, const char *fileName);

#ifdef __cplusplus
}
#endif
