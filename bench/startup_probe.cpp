// Measures, on the X display in DISPLAY, the time from starting a program to
// the moment its first top-level window is mapped (visible), for two
// programs in turn, and prints each run and the medians:
//
//   startup_probe RUNS DIR PROGRAM_A PROGRAM_B
//
// Each program is started in DIR with no arguments; once its window is
// mapped it is ended with SIGTERM (SIGKILL after two seconds) before the
// next start. The first start of each is a warm-up and is not counted.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from exec to the first map of a top-level window; -1 on failure.
double startOnce(xcb_connection_t *c, const char *dir, const char *program) {
  // Drop events of earlier runs.
  while (xcb_generic_event_t *e = xcb_poll_for_event(c))
    std::free(e);
  const auto begun = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir) != 0)
      ::_exit(126);
    ::execl(program, program, static_cast<char *>(nullptr));
    ::_exit(127);
  }
  double ms = -1;
  const auto deadline = begun + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    xcb_generic_event_t *e = xcb_poll_for_event(c);
    if (!e) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid)
        return -1;  // ended without a window
      ::usleep(100);
      continue;
    }
    const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                        !reinterpret_cast<xcb_map_notify_event_t *>(e)->override_redirect;
    std::free(e);
    if (mapped) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - begun).count();
      break;
    }
  }
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return ms;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return ms;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: startup_probe RUNS DIR PROGRAM_A PROGRAM_B\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "startup_probe: cannot open the display\n");
    return 1;
  }
  xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  std::vector<double> a, b;
  for (int i = -1; i < runs; ++i) {
    // Alternating, so both see the same machine.
    const double ta = startOnce(c, argv[2], argv[3]);
    const double tb = startOnce(c, argv[2], argv[4]);
    if (ta < 0 || tb < 0) {
      std::fprintf(stderr, "startup_probe: a program showed no window\n");
      return 1;
    }
    if (i < 0)
      continue;
    std::printf("run %2d: %8.1f ms  %8.1f ms\n", i + 1, ta, tb);
    a.push_back(ta);
    b.push_back(tb);
  }
  const double ma = median(a), mb = median(b);
  std::printf("median: %s %.1f ms, %s %.1f ms, ratio %.2f\n", argv[3], ma, argv[4], mb, mb / ma);
  xcb_disconnect(c);
  return 0;
}
