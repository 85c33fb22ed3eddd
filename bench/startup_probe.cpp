// Measures, on the X display in DISPLAY, the time from starting a program to
// the moment its first top-level window is mapped, and to the first drawing
// into that window (its first paint, seen through the DAMAGE extension), for
// two programs in turn, and prints each run and the medians:
//
//   startup_probe RUNS DIR PROGRAM_A PROGRAM_B
//
// Each program is started in DIR with no arguments; once its window is
// mapped it is ended with SIGTERM (SIGKILL after two seconds) before the
// next start. The first start of each is a warm-up and is not counted.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

uint8_t g_damageEvent = 0;

struct Times {
  double mapped = -1, painted = -1;
};

// Milliseconds from exec to the first map of a top-level window and to the
// first drawing into it; -1 on failure.
Times startOnce(xcb_connection_t *c, const char *dir, const char *program) {
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
  Times t;
  xcb_window_t shown = XCB_NONE;
  std::vector<xcb_damage_damage_t> damages;
  auto since = [&begun] { return std::chrono::duration<double, std::milli>(Clock::now() - begun).count(); };
  const auto deadline = begun + std::chrono::seconds(20);
  while (Clock::now() < deadline && t.painted < 0) {
    xcb_generic_event_t *e = xcb_poll_for_event(c);
    if (!e) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid)
        return {};  // ended without a window
      // Asleep until the server writes (or 2 ms, to notice an early end):
      // a probe spinning on the CPU would slow the program it measures.
      pollfd ready{xcb_get_file_descriptor(c), POLLIN, 0};
      ::poll(&ready, 1, 2);
      continue;
    }
    const uint8_t type = e->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
      // Every new top-level is watched for drawing from its creation on.
      const auto *ce = reinterpret_cast<xcb_create_notify_event_t *>(e);
      if (!ce->override_redirect) {
        const xcb_damage_damage_t d = xcb_generate_id(c);
        xcb_damage_create(c, d, ce->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(c);
        damages.push_back(d);
      }
    } else if (type == XCB_MAP_NOTIFY) {
      const auto *me = reinterpret_cast<xcb_map_notify_event_t *>(e);
      if (!me->override_redirect && shown == XCB_NONE) {
        shown = me->window;
        t.mapped = since();
      }
    } else if (g_damageEvent && type == g_damageEvent + XCB_DAMAGE_NOTIFY) {
      const auto *de = reinterpret_cast<xcb_damage_notify_event_t *>(e);
      if (shown != XCB_NONE && de->drawable == shown)
        t.painted = since();
      xcb_damage_subtract(c, de->damage, XCB_NONE, XCB_NONE);
      xcb_flush(c);
    }
    std::free(e);
  }
  for (const xcb_damage_damage_t d : damages)
    xcb_damage_destroy(c, d);
  xcb_flush(c);
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return t;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return t;
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
  const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_damage_id);
  if (!ext || !ext->present) {
    std::fprintf(stderr, "startup_probe: the display has no DAMAGE extension\n");
    return 1;
  }
  g_damageEvent = ext->first_event;
  std::free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
  xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  std::vector<double> mapA, mapB, paintA, paintB;
  std::printf("        %-24s %-24s\n", "A: mapped, painted", "B: mapped, painted");
  for (int i = -1; i < runs; ++i) {
    // Alternating, so both see the same machine.
    const Times ta = startOnce(c, argv[2], argv[3]);
    const Times tb = startOnce(c, argv[2], argv[4]);
    if (ta.painted < 0 || tb.painted < 0) {
      std::fprintf(stderr, "startup_probe: a program showed no window\n");
      return 1;
    }
    if (i < 0)
      continue;
    std::printf("run %2d: %8.1f %8.1f ms     %8.1f %8.1f ms\n", i + 1, ta.mapped, ta.painted, tb.mapped,
                tb.painted);
    mapA.push_back(ta.mapped);
    mapB.push_back(tb.mapped);
    paintA.push_back(ta.painted);
    paintB.push_back(tb.painted);
  }
  std::printf("A = %s\nB = %s\n", argv[3], argv[4]);
  std::printf("median mapped:  A %.1f ms, B %.1f ms, B/A %.2f\n", median(mapA), median(mapB),
              median(mapB) / median(mapA));
  std::printf("median painted: A %.1f ms, B %.1f ms, B/A %.2f\n", median(paintA), median(paintB),
              median(paintB) / median(paintA));
  xcb_disconnect(c);
  return 0;
}
