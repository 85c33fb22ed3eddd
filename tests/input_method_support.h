// A Chinese input method for the end-to-end tests: fcitx5 on a session bus of
// its own, with a profile of two input methods (the US keyboard and pinyin)
// in a scratch home, so that nothing of the machine's or the user's own set-up
// takes part. The bus starts no services of its own, so no other fcitx5 can
// appear on it. The programs the test starts find the bus and ask Qt for the
// fcitx module through the environment this session sets while it lives.
//
// Every process it starts ends with it: fcitx5 by its id (and by the kernel
// should the test itself die), the bus and the babysitter that dbus-launch
// leaves behind by theirs; those two become this process's children (it is a
// subreaper), so they are reaped as well. The babysitter also ends the bus
// when the X server goes.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace im {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What a shell command prints on its standard output; nullopt when it fails.
inline std::optional<std::string> commandOutput(const std::string &command) {
  FILE *p = ::popen(command.c_str(), "r");
  if (!p)
    return std::nullopt;
  std::string out;
  char buf[512];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
    out.append(buf, n);
  const int status = ::pclose(p);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return std::nullopt;
  return out;
}

// The value of NAME='value'; or NAME=value; in dbus-launch's shell syntax.
inline std::string shellValue(const std::string &text, const std::string &name) {
  const size_t at = text.find(name + "=");
  if (at == std::string::npos)
    return {};
  size_t from = at + name.size() + 1;
  const bool quoted = from < text.size() && text[from] == '\'';
  if (quoted)
    ++from;
  const size_t to = text.find(quoted ? '\'' : ';', from);
  return to == std::string::npos ? std::string() : text.substr(from, to - from);
}

inline bool waitForExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  do {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD))
      return true;
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

// Ends a child: politely first, then for certain.
inline void endChild(pid_t pid) {
  if (pid <= 0)
    return;
  ::kill(pid, SIGTERM);
  if (!waitForExit(pid, 3s)) {
    ::kill(pid, SIGKILL);
    waitForExit(pid, 3s);
  }
}

// This process's children whose command name is one of names.
inline std::vector<pid_t> childrenNamed(const std::vector<std::string> &names) {
  std::vector<pid_t> out;
  const pid_t self = ::getpid();
  std::error_code ec;
  for (const auto &entry : fs::directory_iterator("/proc", ec)) {
    const std::string pidText = entry.path().filename().string();
    if (pidText.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // pid (comm) state ppid ...; comm may hold spaces, so read around the parentheses.
    const size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
      continue;
    const std::string comm = stat.substr(open + 1, close - open - 1);
    char state = 0;
    int ppid = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2 || ppid != self)
      continue;
    for (const std::string &n : names)
      if (comm == n)
        out.push_back(std::stoi(pidText));
  }
  return out;
}

class InputMethodSession {
public:
  // home: an empty folder that becomes fcitx5's home (profile, settings and
  // the pinyin engine's history).
  explicit InputMethodSession(const fs::path &home) : m_home(home), m_log(home / "fcitx5.log") {
    writeProfile();
    // The bus daemon and the babysitter outlive dbus-launch; as a subreaper
    // this process inherits them and can reap them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const std::optional<std::string> launched = commandOutput(
        "dbus-launch --sh-syntax --exit-with-x11 --config-file=" + (m_home / "bus.conf").string() +
        " </dev/null");
    if (!launched) {
      m_problem = "dbus-launch failed";
      return;
    }
    m_busAddress = shellValue(*launched, "DBUS_SESSION_BUS_ADDRESS");
    const std::string busPid = shellValue(*launched, "DBUS_SESSION_BUS_PID");
    m_busPid = busPid.empty() ? -1 : std::atoi(busPid.c_str());
    if (m_busAddress.empty() || m_busPid <= 0) {
      m_problem = "dbus-launch printed no bus: " + *launched;
      return;
    }
    keepEnvironment("DBUS_SESSION_BUS_ADDRESS", m_busAddress);
    keepEnvironment("QT_IM_MODULE", "fcitx");
    startFcitx();
  }

  ~InputMethodSession() {
    endChild(m_fcitxPid);
    if (m_busPid > 0) {
      ::kill(m_busPid, SIGTERM);
      waitForExit(m_busPid, 3s);
    }
    // The babysitter does not end on SIGTERM; the bus may still be there if
    // it was not ours to reap.
    for (pid_t pid : childrenNamed({"dbus-launch", "dbus-daemon"})) {
      ::kill(pid, SIGKILL);
      waitForExit(pid, 3s);
    }
    for (const auto &[name, value] : m_savedEnvironment) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  InputMethodSession(const InputMethodSession &) = delete;
  InputMethodSession &operator=(const InputMethodSession &) = delete;

  // Empty while all went well so far; else what failed.
  const std::string &problem() const { return m_problem; }
  pid_t fcitxPid() const { return m_fcitxPid; }
  pid_t busPid() const { return m_busPid; }

  // fcitx5's state for the focused input context: 0 none, 1 off, 2 on;
  // -1 when fcitx5 does not answer on the bus.
  int state() const {
    const std::optional<std::string> out = commandOutput("timeout 5 fcitx5-remote 2>/dev/null");
    if (!out || out->empty() || (*out)[0] < '0' || (*out)[0] > '2')
      return -1;
    return (*out)[0] - '0';
  }

  // Waits until fcitx5 answers on the bus.
  bool waitUntilReady(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (!fcitxRunning()) {
        m_problem = "fcitx5 ended: " + log();
        return false;
      }
      if (state() >= 0)
        return true;
      std::this_thread::sleep_for(200ms);
    }
    m_problem = "fcitx5 did not answer on the bus: " + log();
    return false;
  }

  // Switches the input method on for the focused input context, asking again
  // until fcitx5 says it is on.
  bool switchOn(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (std::system("timeout 5 fcitx5-remote -o >/dev/null 2>&1") == 0 && state() == 2)
        return true;
      std::this_thread::sleep_for(200ms);
    }
    return false;
  }

  bool fcitxRunning() {
    if (m_fcitxPid > 0 && ::waitpid(m_fcitxPid, nullptr, WNOHANG) != 0)
      m_fcitxPid = -1;  // reaped: its id is no longer ours to signal
    return m_fcitxPid > 0;
  }

  std::string log() const {
    std::ifstream in(m_log, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

private:
  void writeProfile() {
    fs::create_directories(m_home / ".config/fcitx5/conf");
    std::ofstream(m_home / ".config/fcitx5/profile")
        << "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n\n"
           "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
           "[Groups/0/Items/1]\nName=pinyin\nLayout=\n\n"
           "[GroupOrder]\n0=Default\n";
    // One state for every window: switched on once, pinyin stays on when
    // the focus moves to another of the program's windows. Nothing goes to
    // the network: no cloud candidates.
    std::ofstream(m_home / ".config/fcitx5/config")
        << "[Behavior]\nShareInputState=All\n\n[Behavior/DisabledAddons]\n0=cloudpinyin\n";
    std::ofstream(m_home / ".config/fcitx5/conf/pinyin.conf") << "CloudPinyinEnabled=False\n";
    // A session bus that starts no services: asked for fcitx5 before ours
    // is up, a standard one would start another fcitx5 with the real home.
    std::ofstream(m_home / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:tmpdir=/tmp</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
  }

  void startFcitx() {
    const std::string home = m_home.string(), log = m_log.string();
    m_fcitxPid = ::fork();
    if (m_fcitxPid == 0) {
      // Ends with the test, however the test ends.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int in = ::open("/dev/null", O_RDONLY);
      const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0)
        ::_exit(125);
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
      ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
      ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
      ::unsetenv("XDG_CONFIG_DIRS");
      ::execlp("fcitx5", "fcitx5", "--disable=wayland,kimpanel,notificationitem,clipboard",
               static_cast<char *>(nullptr));
      ::_exit(127);
    }
    if (m_fcitxPid < 0)
      m_problem = "fork failed";
  }

  void keepEnvironment(const std::string &name, const std::string &value) {
    const char *old = std::getenv(name.c_str());
    m_savedEnvironment.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  fs::path m_home, m_log;
  std::string m_busAddress;
  std::string m_problem;
  pid_t m_busPid = -1;
  pid_t m_fcitxPid = -1;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_savedEnvironment;
};

}  // namespace im
