#include "shellopen.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

bool exists(const std::string &path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

std::string absolute(const std::string &path) {
  if (!path.empty() && path[0] == '/')
    return path;
  char cwd[PATH_MAX];
  if (!::getcwd(cwd, sizeof cwd))
    return "./" + path;
  return std::string(cwd) + "/" + path;
}

// PATH lookup done before forking: between fork and exec only
// async-signal-safe calls are allowed, and execvp may allocate.
std::string findInPath(const std::string &name) {
  if (name.find('/') != std::string::npos)
    return isExecutableFile(name) ? absolute(name) : std::string();
  const char *path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos)
      end = dirs.size();
    // An empty PATH entry would mean the current folder, the data folder:
    // a run never starts a file from there by its bare name.
    if (end > start) {
      const std::string candidate = dirs.substr(start, end - start) + "/" + name;
      if (isExecutableFile(candidate))
        return absolute(candidate);
    }
    start = end + 1;
  }
  return {};
}

bool hasScheme(const std::string &text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0)
    return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok)
      return false;
  }
  return true;
}

std::string homeFolder() {
  const char *home = std::getenv("HOME");
  return home && *home ? home : "/";
}

// Starts program with argv detached from us, in the home folder: the
// intermediate child starts a new session, forks the real child and exits at
// once, so the program is adopted by init and never becomes our zombie. A
// close-on-exec pipe carries the errno of a failed exec back; it closes
// without a word when the exec succeeds.
ShellOpenOutcome spawnDetached(const std::string &program, const std::vector<std::string> &args,
                               ShellOpenResult success) {
  std::vector<char *> argv;
  argv.reserve(args.size() + 1);
  for (const auto &a : args)
    argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  const std::string home = homeFolder();

  int status_pipe[2];
  if (::pipe2(status_pipe, O_CLOEXEC) != 0)
    return {ShellOpenResult::Failed, std::string("无法创建进程：") + std::strerror(errno)};
  const pid_t child = ::fork();
  if (child < 0) {
    const int err = errno;
    ::close(status_pipe[0]);
    ::close(status_pipe[1]);
    return {ShellOpenResult::Failed, std::string("无法创建进程：") + std::strerror(err)};
  }
  if (child == 0) {
    ::close(status_pipe[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      if (::chdir(home.c_str()) != 0 && ::chdir("/") != 0)
        ::_exit(126);
      ::execv(program.c_str(), argv.data());
      const int err = errno;
      ssize_t ignored = ::write(status_pipe[1], &err, sizeof err);
      (void)ignored;
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(status_pipe[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int execErr = 0;
  ssize_t n;
  while ((n = ::read(status_pipe[0], &execErr, sizeof execErr)) < 0 && errno == EINTR) {
  }
  ::close(status_pipe[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return {ShellOpenResult::Failed, "无法创建进程"};
  if (n == static_cast<ssize_t>(sizeof execErr))
    return {ShellOpenResult::Failed, program + " 无法启动：" + std::strerror(execErr)};
  return {success, {}};
}

ShellOpenOutcome handToOpener(const std::string &what) {
  const std::string opener = findInPath(desktopOpener());
  if (opener.empty())
    return {ShellOpenResult::Failed, "没有打开文档的程序（" + desktopOpener() + "）"};
  return spawnDetached(opener, {opener, what}, ShellOpenResult::HandedToOpener);
}

}  // namespace

void setDesktopOpener(const std::string &path) { desktopOpener() = path; }

ShellOpenOutcome shellOpen(const std::string &text) {
  if (text.empty())
    return {ShellOpenResult::Failed, "没有要运行的内容"};
  if (text.find('/') == std::string::npos && !hasScheme(text)) {
    // A bare name: a program from PATH, started with no argument, or else a
    // document of that name in the current folder.
    if (const std::string program = findInPath(text); !program.empty())
      return spawnDetached(program, {text}, ShellOpenResult::StartedProgram);
    if (exists(text))
      return handToOpener(absolute(text));
    return {ShellOpenResult::Failed, "在 PATH 中找不到这个程序，也没有这个文件"};
  }
  if (isExecutableFile(text))
    return spawnDetached(absolute(text), {text, text}, ShellOpenResult::StartedProgram);
  if (exists(text))
    return handToOpener(absolute(text));
  if (hasScheme(text))
    return handToOpener(text);
  return {ShellOpenResult::Failed, "文件不存在"};
}

}  // namespace calixo
