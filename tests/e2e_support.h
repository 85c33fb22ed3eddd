// What the end-to-end tests share: the real calixo started in a folder (with
// libfaketime when a fixed start time is wanted), its windows looked at
// through the X protocol, and real input through xdotool.
#pragma once

#include "dbf.h"
#include "filenames.h"
#include "tempdir.h"
#include "wait_until.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

using namespace std::chrono_literals;

inline std::string readFile(const std::string &name) {
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number of records of a table in the current folder; look sees the
// first one when there is any.
inline int withFirstRecord(const char *table, const std::function<void(dbf::TDbfDataSet &)> &look) {
  dbf::TDbfDataSet t("Check");
  t.SetTableName(table);
  t.Open();
  const int count = t.RecordCount();
  if (count > 0) {
    t.First();
    look(t);
  }
  t.Close();
  return count;
}

// The files a user's data folder starts with: region files and the default
// month picture (no tables, no settings).
inline void copyRuntimeData(const std::filesystem::path &dir) {
  for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    std::filesystem::copy_file(f.path(), dir / f.path().filename());
}

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> XcbReply<T> reply(T *r) { return XcbReply<T>(r, &std::free); }

struct TopWindow {
  xcb_window_t id = 0;
  int width = 0, height = 0;
  int shapeRects = 0;
  int x = 0, y = 0;  // on the screen (no window manager reparents here)
};

class Program {
public:
  // fakeStart: when not empty, the program runs with libfaketime, its clock
  // starting at that local time ("2026-12-08 06:59:50"). stderrFile: when not
  // empty, the program's standard error goes there.
  explicit Program(const std::filesystem::path &dir, const char *fakeStart = "",
                   const std::string &stderrFile = "") {
    m_pid = ::fork();
    if (m_pid == 0) {
      if (::chdir(dir.c_str()) != 0)
        ::_exit(126);
      if (!stderrFile.empty()) {
        const int fd = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, 2) < 0)
          ::_exit(125);
        ::close(fd);
      }
      ::setenv("QT_QPA_PLATFORM", "xcb", 1);
      if (*fakeStart) {
        // libfaketime is preloaded ahead of the sanitizer runtime.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0", 1);
        // The library itself rather than the faketime script, so that this
        // process is the program and killing it leaves nothing behind.
        ::setenv("LD_PRELOAD", "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", 1);
        ::setenv("FAKETIME", (std::string("@") + fakeStart).c_str(), 1);
      }
      ::execl(CALIXO_EXECUTABLE, CALIXO_EXECUTABLE, static_cast<char *>(nullptr));
      ::_exit(127);
    }
  }
  ~Program() {
    if (m_pid > 0 && !m_done) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  Program(const Program &) = delete;
  Program &operator=(const Program &) = delete;

  // The exit code, or -1 when it did not end normally within the time.
  int waitForExit(std::chrono::milliseconds limit) {
    int status = 0;
    if (!waitUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit, 20ms))
      return -1;
    m_done = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool running() {
    int status = 0;
    return ::waitpid(m_pid, &status, WNOHANG) == 0;
  }

private:
  pid_t m_pid = -1;
  bool m_done = false;
};

class X {
public:
  X() : m_conn(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(m_conn))
      m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
  }
  ~X() {
    if (m_selectionWindow)
      xcb_destroy_window(m_conn, m_selectionWindow);
    xcb_disconnect(m_conn);
  }
  X(const X &) = delete;
  X &operator=(const X &) = delete;
  bool ok() const { return !xcb_connection_has_error(m_conn); }

  std::vector<TopWindow> viewableTopWindows() {
    std::vector<TopWindow> out;
    auto tree = reply(xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, m_root), nullptr));
    if (!tree)
      return out;
    const xcb_window_t *kids = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      if (kids[i] == m_selectionWindow || !viewable(kids[i]))
        continue;
      auto geo = reply(xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, kids[i]), nullptr));
      auto rects = reply(xcb_shape_get_rectangles_reply(
          m_conn, xcb_shape_get_rectangles(m_conn, kids[i], XCB_SHAPE_SK_BOUNDING), nullptr));
      out.push_back({kids[i], geo ? geo->width : 0, geo ? geo->height : 0,
                     rects ? static_cast<int>(xcb_shape_get_rectangles_rectangles_length(rects.get())) : 0,
                     geo ? geo->x : 0, geo ? geo->y : 0});
    }
    return out;
  }

  // The window's map state as the X server has it (false also for a window
  // that no longer exists).
  bool viewable(xcb_window_t w) {
    auto attr = reply(
        xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, w), nullptr));
    return attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  // The whole screen as a window, to grab parts of it that span windows.
  TopWindow screen() {
    const xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
    return {m_root, s->width_in_pixels, s->height_in_pixels, 0, 0, 0};
  }

  // The window's class name (the second string of WM_CLASS), "" when it has none.
  std::string windowClass(xcb_window_t w) {
    auto prop = reply(xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!prop)
      return {};
    const std::string both(static_cast<const char *>(xcb_get_property_value(prop.get())),
                           static_cast<size_t>(xcb_get_property_value_length(prop.get())));
    const size_t nul = both.find('\0');
    if (nul == std::string::npos)
      return {};
    return std::string(both.c_str() + nul + 1);
  }

  QImage grab(const TopWindow &w) { return grab(w, 0, 0, w.width, w.height); }
  QImage grab(const TopWindow &w, int x, int y, int width, int height) {
    auto img = reply(xcb_get_image_reply(
        m_conn,
        xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, w.id, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(width),
                      static_cast<uint16_t>(height), ~0u),
        nullptr));
    if (!img || xcb_get_image_data_length(img.get()) < width * height * 4)
      return {};
    QImage shot(xcb_get_image_data(img.get()), width, height, width * 4, QImage::Format_RGB32);
    return shot.copy();
  }

  // The sizes of the icons a window offers in _NET_WM_ICON, in their order
  // there (the property holds width, height and the pixels of each icon).
  std::vector<std::pair<int, int>> iconSizes(xcb_window_t w) {
    std::vector<std::pair<int, int>> out;
    auto prop = reply(xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, w, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1u << 20),
        nullptr));
    if (!prop || prop->format != 32)
      return out;
    const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(prop.get()));
    const size_t n = static_cast<size_t>(xcb_get_property_value_length(prop.get())) / 4;
    for (size_t i = 0; i + 2 <= n;) {
      const size_t width = v[i], height = v[i + 1];
      out.emplace_back(static_cast<int>(width), static_cast<int>(height));
      i += 2 + width * height;
    }
    return out;
  }

  // What a window manager sends when the user closes a window.
  void sendDeleteWindow(xcb_window_t w) {
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), del = atom("WM_DELETE_WINDOW");
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = protocols;
    ev.data.data32[0] = del;
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_conn, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
    xcb_flush(m_conn);
  }

  // The clipboard's text as UTF-8, asked of its owner the way any X client
  // pastes ("" when nobody answers within the time).
  std::string clipboardText(std::chrono::milliseconds limit = 3000ms) {
    createSelectionWindow();
    const xcb_atom_t clipboard = atom("CLIPBOARD"), utf8 = atom("UTF8_STRING"),
                     target = atom("CALIXO_E2E_PASTE");
    xcb_convert_selection(m_conn, m_selectionWindow, clipboard, utf8, target, XCB_CURRENT_TIME);
    xcb_flush(m_conn);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> ev(xcb_poll_for_event(m_conn),
                                                                   &std::free);
      if (!ev) {
        std::this_thread::sleep_for(10ms);
        continue;
      }
      if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
        continue;
      const auto *sn = reinterpret_cast<const xcb_selection_notify_event_t *>(ev.get());
      if (sn->property == XCB_ATOM_NONE)
        return {};
      auto prop = reply(xcb_get_property_reply(
          m_conn, xcb_get_property(m_conn, 1, m_selectionWindow, target, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
          nullptr));
      if (!prop)
        return {};
      return std::string(static_cast<const char *>(xcb_get_property_value(prop.get())),
                         static_cast<size_t>(xcb_get_property_value_length(prop.get())));
    }
    return {};
  }

  // Takes the clipboard away from whoever holds it, so that what is read
  // next was copied after this (nobody answers for this connection: reading
  // the clipboard now gives "").
  void takeClipboard() {
    createSelectionWindow();
    xcb_set_selection_owner(m_conn, m_selectionWindow, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    xcb_flush(m_conn);
  }

private:
  void createSelectionWindow() {
    if (m_selectionWindow)
      return;
    m_selectionWindow = xcb_generate_id(m_conn);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
    xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_selectionWindow, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
  }
  xcb_atom_t atom(const char *name) {
    auto r = reply(xcb_intern_atom_reply(
        m_conn, xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }
  xcb_connection_t *m_conn;
  xcb_window_t m_root = 0;
  xcb_window_t m_selectionWindow = 0;
};

// Each test starts on an empty screen: the windows of a program an earlier
// test killed take a moment to go.
class EndToEnd : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    X x;
    waitUntil([&] { return !x.ok() || x.viewableTopWindows().empty(); }, 10s);
  }
};

// The viewable top-level windows once there are at least n (or the time is up).
inline std::vector<TopWindow> waitForWindows(X &x, size_t n, std::chrono::milliseconds limit) {
  std::vector<TopWindow> windows;
  waitUntil(
      [&] {
        windows = x.viewableTopWindows();
        return windows.size() >= n;
      },
      limit, 100ms);
  return windows;
}

// The first viewable top-level window that is none of known (id 0 when none
// comes in time).
inline TopWindow waitForNewWindow(X &x, const std::vector<xcb_window_t> &known,
                                  std::chrono::milliseconds limit) {
  TopWindow found;
  waitUntil(
      [&] {
        for (const TopWindow &w : x.viewableTopWindows())
          if (std::find(known.begin(), known.end(), w.id) == known.end()) {
            found = w;
            return true;
          }
        return false;
      },
      limit, 100ms);
  return found;
}

// The first viewable top-level window other than main (id 0 when none comes).
inline TopWindow waitForOtherWindow(X &x, const TopWindow &main, std::chrono::milliseconds limit) {
  return waitForNewWindow(x, {main.id}, limit);
}

// The window's picture once the program has painted it (more than one
// colour), or the last grab when the time is up.
inline QImage waitForPainted(X &x, const TopWindow &w, std::chrono::milliseconds limit) {
  QImage shot;
  waitUntil(
      [&] {
        shot = x.grab(w);
        for (int y = 0; y < shot.height(); ++y)
          for (int i = 0; i < shot.width(); ++i)
            if (shot.pixel(i, y) != shot.pixel(0, 0))
              return true;
        return false;
      },
      limit);
  return shot;
}

// Waits until the window's map state is the wanted one; true when it is.
inline bool waitForViewable(X &x, xcb_window_t w, bool wanted, std::chrono::milliseconds limit) {
  return waitUntil([&] { return x.viewable(w) == wanted; }, limit);
}

inline void xdo(const std::string &args) {
  ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
  std::this_thread::sleep_for(150ms);
}

inline void clickAt(int x, int y, int button = 1) {
  xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " + std::to_string(button));
}

}  // namespace e2e
