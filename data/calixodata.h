// The program's built-in pictures as Qt resources: the window skins at
// ":/skins/main.jpg", ":/skins/timelist.jpg", ":/skins/memo.jpg" and
// ":/skins/countdown.jpg", the built-in bitmaps at ":/bmp/NAME.bmp" and the
// program's icon MAINICON at ":/icons/MAINICON-SIZE.png" (16, 24, 32, 48, 64).
// The files beside the program (region files, "calixo.bmp") are in
// data/runtime and are not resources.
#pragma once

namespace calixo {

// Registers the resources; any number of calls is harmless. Only needed by
// code that reaches calixo_data through a static library (the linker may
// drop unreferenced resource objects from an archive); a target that links
// calixo_data directly has them registered at start-up.
void initDataResources();

}  // namespace calixo
