// Contoura: shapes a window from a region file (a Windows RGNDATA block).
// libcontoura.so is linked at load time and exports SetRgn by name. Its one
// message box is the host program's calixo::showMessage (platform_widgets,
// which CMake links into every consumer), so a test's message hook sees it.
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
