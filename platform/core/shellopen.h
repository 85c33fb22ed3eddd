// Our stand-in for the desktop shell's "open" verb, used by run entries.
// What starts is what the text names, and nothing else:
//   - a path to an executable file starts that program, detached, with its
//     own path as its one argument;
//   - a bare program name ("gedit") found in PATH starts with no argument;
//     a bare name is never looked for in the current folder;
//   - an existing document or folder (a relative path counts from the
//     current folder) and an address with a scheme ("https://...") go to the
//     desktop's opener, xdg-open, as an absolute path or the address, so the
//     opener never reads the text as an option.
// Programs start in the user's home folder. Nothing goes through a shell
// command line, so spaces, quotes or ";" are never interpreted.
#pragma once

#include <string>

namespace calixo {

enum class ShellOpenResult { StartedProgram, HandedToOpener, Failed };

struct ShellOpenOutcome {
  ShellOpenResult Result = ShellOpenResult::Failed;
  std::string Reason;  // UTF-8, for the user, when it failed
  bool Started() const { return Result != ShellOpenResult::Failed; }
  bool operator==(ShellOpenResult r) const { return Result == r; }
};

// text is UTF-8.
ShellOpenOutcome shellOpen(const std::string &text);

// The opener used for documents; tests point it at a recording script.
void setDesktopOpener(const std::string &path);

}  // namespace calixo
