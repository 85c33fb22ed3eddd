#include "shellopen.h"

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace calixo {

namespace {

std::string &desktopOpener() {
  static std::string opener = "xdg-open";
  return opener;
}

bool isExecutableFile(const std::string &path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// PATH lookup done before forking: between fork and exec only
// async-signal-safe calls are allowed, and execvp may allocate.
std::string findInPath(const std::string &name) {
  if (name.find('/') != std::string::npos)
    return isExecutableFile(name) ? name : std::string();
  const char *path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos)
      end = dirs.size();
    std::string candidate = dirs.substr(start, end - start);
    candidate = (candidate.empty() ? std::string(".") : candidate) + "/" + name;
    if (isExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return {};
}

// Starts program with argv detached from us: the intermediate child starts a
// new session, forks the real child and exits at once, so the program is
// adopted by init and never becomes our zombie.
bool spawnDetached(const std::string &program, const std::vector<std::string> &args) {
  std::vector<char *> argv;
  argv.reserve(args.size() + 1);
  for (const auto &a : args)
    argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0)
    return false;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void setDesktopOpener(const std::string &path) { desktopOpener() = path; }

ShellOpenResult shellOpen(const std::string &text) {
  if (text.empty())
    return ShellOpenResult::Failed;
  if (isExecutableFile(text))
    return spawnDetached(text, {text, text}) ? ShellOpenResult::StartedProgram : ShellOpenResult::Failed;
  // A name without a folder is a program the desktop would find in PATH.
  if (text.find('/') == std::string::npos) {
    if (const std::string program = findInPath(text); !program.empty())
      return spawnDetached(program, {text, text}) ? ShellOpenResult::StartedProgram : ShellOpenResult::Failed;
  }
  const std::string opener = findInPath(desktopOpener());
  if (opener.empty())
    return ShellOpenResult::Failed;
  return spawnDetached(opener, {opener, text}) ? ShellOpenResult::HandedToOpener : ShellOpenResult::Failed;
}

}  // namespace calixo
