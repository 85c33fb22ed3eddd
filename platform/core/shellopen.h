// Our stand-in for the desktop shell's "open" verb, used by run entries. The
// text is handed over as the thing to open with the same text as its
// parameter string: a path to an executable file starts that program,
// detached, with the text as its one argument; so does a bare program name
// ("gedit"), looked up in PATH; anything else (a document, a folder, a URL)
// goes to the desktop's opener, xdg-open. Nothing goes through
// a shell command line, so spaces, quotes or ";" are never interpreted.
#pragma once

#include <string>

namespace calixo {

enum class ShellOpenResult { StartedProgram, HandedToOpener, Failed };

// text is UTF-8. A text that names nothing fails without any report; the
// result says what was attempted (callers may ignore it).
ShellOpenResult shellOpen(const std::string &text);

// The opener used for non-programs; tests point it at a recording script.
void setDesktopOpener(const std::string &path);

}  // namespace calixo
