// What the tests of the real program against hostile folders share: the
// program started in a folder with its standard error kept in a file (the
// general error report writes every error there as "calixo: <text>"), a
// second X server, and xdotool aimed at one display.
#pragma once

#include "tempdir.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace robust {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string readFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const fs::path &p, const std::string &bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

inline int countOf(const std::string &haystack, const std::string &needle) {
  int n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
    ++n;
  return n;
}

// The file of that name in dir, letter case aside (the program looks names
// up that way); empty when there is none.
inline fs::path findFile(const fs::path &dir, const std::string &name) {
  auto lower = [](std::string t) {
    for (char &c : t)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  for (const auto &f : fs::directory_iterator(dir))
    if (lower(f.path().filename().string()) == lower(name))
      return f.path();
  return {};
}

inline void copyShippedFiles(const fs::path &dir) {
  for (const auto &f : fs::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    fs::copy_file(f.path(), dir / f.path().filename(), fs::copy_options::overwrite_existing);
}

struct ProgramOptions {
  // When not empty, libfaketime is preloaded and the clock starts at this
  // local time ("2026-12-01 09:00:00").
  std::string fakeStart;
  // The X display; empty keeps the test's own.
  std::string display;
  // A user id other than the test's to run as (0 keeps the test's).
  uid_t uid = 0;
  gid_t gid = 0;
  // The display's key file for that user, when the test's is not readable to it.
  std::string xauthority;
  // Another name for the standard-error file when several instances share a folder.
  std::string tag = "calixo";
  // The program to start; empty starts the one in the build folder.
  std::string executable;
};

// The program in a folder with its standard error in a file beside it.
class Program {
public:
  explicit Program(const fs::path &dir, const ProgramOptions &opt = {})
      : m_log(dir.parent_path() / (dir.filename().string() + "." + opt.tag + ".stderr")) {
    m_pid = ::fork();
    if (m_pid == 0) {
      if (::chdir(dir.c_str()) != 0)
        ::_exit(126);
      const int fd = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      ::dup2(fd, 2);
      ::setenv("QT_QPA_PLATFORM", "xcb", 1);
      if (!opt.display.empty())
        ::setenv("DISPLAY", opt.display.c_str(), 1);
      if (!opt.fakeStart.empty()) {
        // libfaketime is preloaded ahead of the sanitizer runtime; the
        // library itself rather than the faketime script, so that this
        // process is the program and killing it leaves nothing behind.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0", 1);
        ::setenv("LD_PRELOAD", "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", 1);
        ::setenv("FAKETIME", ("@" + opt.fakeStart).c_str(), 1);
      }
      if (!opt.xauthority.empty())
        ::setenv("XAUTHORITY", opt.xauthority.c_str(), 1);
      if (opt.uid != 0 && (::setgid(opt.gid) != 0 || ::setuid(opt.uid) != 0))
        ::_exit(125);
      const std::string exe = opt.executable.empty() ? std::string(CALIXO_EXECUTABLE) : opt.executable;
      ::execl(exe.c_str(), exe.c_str(), static_cast<char *>(nullptr));
      ::_exit(127);
    }
  }
  ~Program() {
    kill();
    std::error_code ec;
    fs::remove(m_log, ec);
  }
  Program(const Program &) = delete;
  Program &operator=(const Program &) = delete;

  pid_t pid() const { return m_pid; }
  bool running() {
    if (m_done)
      return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
      return true;
    m_done = true;
    return false;
  }
  void kill() {
    if (m_pid > 0 && !m_done) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
      m_done = true;
    }
  }
  std::string errors() const { return readFile(m_log); }
  // Waits until standard error holds text (or the time is up).
  bool waitForError(const std::string &text, std::chrono::milliseconds limit) {
    return waitUntil([&] { return errors().find(text) != std::string::npos; }, limit);
  }

private:
  pid_t m_pid = -1;
  bool m_done = false;
  fs::path m_log;
};

// True when every user may enter p and each folder above it.
inline bool enterableByAll(const fs::path &p) {
  std::error_code ec;
  for (fs::path at = fs::absolute(p, ec); !ec; at = at.parent_path()) {
    const fs::perms perms = fs::status(at, ec).permissions();
    if (ec || (perms & fs::perms::others_exec) == fs::perms::none)
      return false;
    if (at == at.root_path())
      return true;
  }
  return false;
}

// A fresh folder that every user may enter, in the temporary folder when
// that can be entered by all and in /tmp otherwise (the checkout, and with it
// the build folder, may sit where only its owner can go). It holds a copy of
// the program and of the shared libraries it loads from beside itself, so
// that another user can start it, and the folders a test hands to that user.
class SharedScratch {
public:
  SharedScratch() {
    fs::path base = fs::temp_directory_path();
    if (!enterableByAll(base))
      base = "/tmp";
    std::string pattern = (base / "calixo-shared-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      return;
    m_root = pattern;
    const fs::perms readAndRun = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(m_root, readAndRun);
    const fs::path exe = CALIXO_EXECUTABLE;
    const fs::path program = m_root / "program";
    fs::create_directory(program);
    fs::permissions(program, readAndRun);
    auto copy = [&](const fs::path &from) {
      fs::copy_file(from, program / from.filename());
      fs::permissions(program / from.filename(), readAndRun);
    };
    // The program finds its libraries beside itself (RPATH $ORIGIN).
    for (const auto &f : fs::directory_iterator(exe.parent_path()))
      if (f.is_regular_file() && f.path().extension() == ".so")
        copy(f.path());
    copy(exe);
    m_executable = program / exe.filename();
  }
  ~SharedScratch() {
    if (m_root.empty())
      return;
    std::error_code ec;
    for (const auto &f : fs::recursive_directory_iterator(m_root, ec))
      fs::permissions(f.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_root, ec);
  }
  SharedScratch(const SharedScratch &) = delete;
  SharedScratch &operator=(const SharedScratch &) = delete;

  // False when no such folder could be made.
  bool valid() const { return !m_root.empty() && enterableByAll(m_root); }
  const fs::path &root() const { return m_root; }
  const fs::path &executable() const { return m_executable; }

private:
  fs::path m_root, m_executable;
};

// The output of a shell command (empty when it fails).
inline std::string capture(const std::string &command) {
  std::string out;
  if (FILE *p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

// A private X server for a second instance of the program; the display
// number is the one the server chose itself.
class XServer {
public:
  XServer() {
    int fds[2];
    if (::pipe(fds) != 0)
      return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 2);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
               "tcp", static_cast<char *>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
      number += c;
    ::close(fds[0]);
    if (!number.empty())
      m_display = ":" + number;
  }
  ~XServer() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  XServer(const XServer &) = delete;
  XServer &operator=(const XServer &) = delete;
  const std::string &display() const { return m_display; }

private:
  pid_t m_pid = -1;
  std::string m_display;
};

struct Window {
  unsigned long id = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

// xdotool on one display (empty: the test's own).
class Xdo {
public:
  explicit Xdo(std::string display = {}) : m_display(std::move(display)) {}

  std::string prefix() const { return m_display.empty() ? "xdotool " : "DISPLAY=" + m_display + " xdotool "; }

  bool run(const std::string &args) const {
    const bool ok = std::system((prefix() + args + " >/dev/null 2>&1").c_str()) == 0;
    std::this_thread::sleep_for(100ms);
    return ok;
  }
  bool clickAt(int x, int y, int button = 1) const {
    return run("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
               std::to_string(button));
  }
  bool type(const std::string &text) const { return run("type --delay 40 '" + text + "'"); }

  // The visible top-level windows of one process (found by _NET_WM_PID).
  std::vector<Window> windowsOf(pid_t pid) const {
    std::vector<Window> out;
    std::istringstream ids(capture(prefix() + "search --onlyvisible --pid " + std::to_string(pid) +
                                   " 2>/dev/null"));
    for (unsigned long id; ids >> id;) {
      Window w;
      w.id = id;
      std::istringstream geo(capture(prefix() + "getwindowgeometry --shell " + std::to_string(id)));
      for (std::string line; std::getline(geo, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
          continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") w.x = value;
        else if (key == "Y") w.y = value;
        else if (key == "WIDTH") w.width = value;
        else if (key == "HEIGHT") w.height = value;
      }
      out.push_back(w);
    }
    return out;
  }
  // The first visible window of pid with the given size (id 0 when none comes in time).
  Window waitForWindow(pid_t pid, int width, int height, std::chrono::milliseconds limit) const {
    Window found;
    waitUntil(
        [&] {
          for (const Window &w : windowsOf(pid))
            if (w.width == width && w.height == height) {
              found = w;
              return true;
            }
          return false;
        },
        limit, std::chrono::milliseconds(200));
    return found;
  }

private:
  std::string m_display;
};

}  // namespace robust
