// The desktop's notification service for the end-to-end tests: python3-
// dbusmock's notification template on a session bus of its own, which the
// programs a test starts find through the environment while this lives. The
// bus starts no services, so nothing of the machine's own desktop answers.
// The test reads the Notify calls the service received and invokes actions
// the way a person clicking a notification's button does.
#pragma once

#include "input_method_support.h"
#include "wait_until.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <sys/prctl.h>
#include <unistd.h>

namespace e2e {

class NotificationBus {
public:
  explicit NotificationBus(const std::filesystem::path &dir) {
    std::filesystem::create_directories(dir);
    const std::filesystem::path conf = dir / "bus.conf";
    std::ofstream(conf) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig>\n  <type>session</type>\n  <listen>unix:tmpdir=/tmp</listen>\n"
                           "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n"
                           "</busconfig>\n";
    // The forked bus daemon becomes this process's child, to be reaped.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const std::optional<std::string> out = im::commandOutput(
        "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=" + conf.string() +
        " </dev/null");
    if (!out) {
      m_problem = "dbus-daemon failed";
      return;
    }
    const size_t nl = out->find('\n');
    m_address = out->substr(0, nl);
    m_busPid = nl == std::string::npos ? -1 : std::atoi(out->c_str() + nl + 1);
    if (m_address.empty() || m_busPid <= 0) {
      m_problem = "dbus-daemon printed no bus: " + *out;
      return;
    }
    const char *old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    m_oldAddress = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
    startService(dir / "dbusmock.log");
  }
  ~NotificationBus() {
    stopService();
    if (m_busPid > 0) {
      ::kill(m_busPid, SIGTERM);
      im::waitForExit(m_busPid, std::chrono::seconds(3));
    }
    if (m_oldAddress)
      ::setenv("DBUS_SESSION_BUS_ADDRESS", m_oldAddress->c_str(), 1);
    else
      ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  NotificationBus(const NotificationBus &) = delete;
  NotificationBus &operator=(const NotificationBus &) = delete;

  // Empty while all went well so far; else what failed.
  const std::string &problem() const { return m_problem; }

  // Ends the service; the bus stays, with nobody to show notifications.
  void stopService() {
    im::endChild(m_mockPid);
    m_mockPid = -1;
  }

  // The Notify calls the service received, as gdbus prints them.
  std::string notifyCalls() const {
    return im::commandOutput(mockCall("GetMethodCalls Notify")).value_or("");
  }
  // Waits until the service has received n Notify calls; their print.
  std::string waitForNotifyCalls(int n, std::chrono::milliseconds limit) const {
    std::string calls;
    waitUntil(
        [&] {
          calls = notifyCalls();
          return count(calls, "<'Calixo 提醒'>") >= n;
        },
        limit, std::chrono::milliseconds(200));
    return calls;
  }
  // What a click on the notification's button of that key sends.
  bool invokeAction(unsigned id, const std::string &key) const {
    return im::commandOutput(mockCall("EmitSignal org.freedesktop.Notifications ActionInvoked us "
                                      "\"[<uint32 " + std::to_string(id) + ">, <'" + key + "'>]\""))
        .has_value();
  }

  static int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return n;
  }

private:
  static std::string mockCall(const std::string &methodAndArgs) {
    return "timeout 10 gdbus call --session --dest org.freedesktop.Notifications --object-path "
           "/org/freedesktop/Notifications --method org.freedesktop.DBus.Mock." + methodAndArgs +
           " 2>/dev/null";
  }

  void startService(const std::filesystem::path &log) {
    m_mockPid = ::fork();
    if (m_mockPid == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::dup2(fd, 1) < 0 || ::dup2(fd, 2) < 0)
        ::_exit(125);
      ::execl("/usr/bin/python3", "python3", "-m", "dbusmock", "--template", "notification_daemon",
              static_cast<char *>(nullptr));
      ::_exit(127);
    }
    const bool up = waitUntil(
        [] {
          const std::optional<std::string> owned = im::commandOutput(
              "timeout 5 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus "
              "--method org.freedesktop.DBus.NameHasOwner org.freedesktop.Notifications 2>/dev/null");
          return owned && owned->find("true") != std::string::npos;
        },
        std::chrono::seconds(20), std::chrono::milliseconds(100));
    if (up)
      return;
    m_problem = "the notification service did not come up on the bus";
  }

  std::string m_address;
  std::optional<std::string> m_oldAddress;
  std::string m_problem;
  pid_t m_busPid = -1;
  pid_t m_mockPid = -1;
};

}  // namespace e2e
