// Starts the real calixo in an empty folder on an X server, looks at what it
// wrote and at its windows through the X protocol, saves a screenshot of the
// main window and closes it the way a window manager does.
#include "calixoini.h"
#include "clock.h"
#include "dbf.h"
#include "filenames.h"
#include "tempdir.h"

#include <QImage>

#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string readFile(const std::string &name) {
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> XcbReply<T> reply(T *r) { return XcbReply<T>(r, &std::free); }

struct TopWindow {
  xcb_window_t id;
  int width, height;
  int shapeRects;
  int x = 0, y = 0;  // on the screen (no window manager reparents here)
};

class Program {
public:
  // fakeStart: when not empty, the program runs with libfaketime, its clock
  // starting at that local time ("2026-12-08 06:59:50").
  explicit Program(const std::filesystem::path &dir, const char *fakeStart = "") {
    m_pid = ::fork();
    if (m_pid == 0) {
      if (::chdir(dir.c_str()) != 0)
        ::_exit(126);
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
  // The exit code, or -1 when it did not end normally within the time.
  int waitForExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_done = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(20ms);
    }
    return -1;
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
  ~X() { xcb_disconnect(m_conn); }
  bool ok() const { return !xcb_connection_has_error(m_conn); }

  std::vector<TopWindow> viewableTopWindows() {
    std::vector<TopWindow> out;
    auto tree = reply(xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, m_root), nullptr));
    if (!tree)
      return out;
    const xcb_window_t *kids = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      auto attr = reply(xcb_get_window_attributes_reply(
          m_conn, xcb_get_window_attributes(m_conn, kids[i]), nullptr));
      if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE)
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

  QImage grab(const TopWindow &w) {
    auto img = reply(xcb_get_image_reply(
        m_conn,
        xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, w.id, 0, 0, static_cast<uint16_t>(w.width),
                      static_cast<uint16_t>(w.height), ~0u),
        nullptr));
    if (!img || xcb_get_image_data_length(img.get()) < w.width * w.height * 4)
      return {};
    QImage shot(xcb_get_image_data(img.get()), w.width, w.height, w.width * 4, QImage::Format_RGB32);
    return shot.copy();
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

private:
  xcb_atom_t atom(const char *name) {
    auto r = reply(xcb_intern_atom_reply(
        m_conn, xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }
  xcb_connection_t *m_conn;
  xcb_window_t m_root = 0;
};

// Each test starts on an empty screen: the windows of a program an earlier
// test killed take a moment to go.
class EndToEnd : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    X x;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (x.ok() && !x.viewableTopWindows().empty() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(50ms);
  }
};

TEST_F(EndToEnd, StartsInAnEmptyFolderShowsOneShapedWindowAndEndsWithZero) {
  for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    std::filesystem::copy_file(f.path(), dir() / f.path().filename());
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir());

  std::vector<TopWindow> windows;
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < end && calixo.running()) {
    windows = x.viewableTopWindows();
    if (!windows.empty())
      break;
    std::this_thread::sleep_for(50ms);
  }
  std::this_thread::sleep_for(700ms);  // let the first paint and any other window arrive
  windows = x.viewableTopWindows();
  ASSERT_EQ(windows.size(), 1u) << "exactly one visible top-level window";
  const TopWindow &main = windows[0];
  EXPECT_EQ(main.width, 586);
  EXPECT_EQ(main.height, 353);
  EXPECT_GT(main.shapeRects, 1) << "the window is shaped by its region file";

  const QImage shot = x.grab(main);
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral(CALIXO_SCREENSHOT), "PNG"));

  EXPECT_EQ(readFile("Calixo.ini"), TCalixoini::DefaultTemplate());
  const std::string table = readFile("TimeList.dbf");
  ASSERT_EQ(table.size(), 226u);
  const char *names[] = {"DATE", "TIME", "SET", "AUTODEL", "RUN", "DO"};
  const char types[] = {'N', 'N', 'N', 'N', 'N', 'C'};
  const int widths[] = {10, 22, 1, 1, 1, 249}, decimals[] = {2, 20, 0, 0, 0, 0};
  for (size_t i = 0; i < 6; ++i) {
    const size_t at = 32 + 32 * i;
    EXPECT_EQ(std::string(table.c_str() + at), names[i]);
    EXPECT_EQ(table[at + 11], types[i]);
    EXPECT_EQ(static_cast<unsigned char>(table[at + 16]), widths[i]);
    EXPECT_EQ(static_cast<unsigned char>(table[at + 17]), decimals[i]);
  }

  x.sendDeleteWindow(main.id);
  EXPECT_EQ(calixo.waitForExit(10s), 0);
}

// A set 7:00 entry of today fires at 7:00: the program, started under
// faketime at 06:59:50, shows the entry's text in a message box (saved as
// calixo-alarm.png) and has already stored SET 0 for it when the box appears.
TEST_F(EndToEnd, AlarmBoxAppearsAtSevenAndTheEntryIsUnset) {
  for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    std::filesystem::copy_file(f.path(), dir() / f.path().filename());
  {
    dbf::TDbfDataSet t("Setup");
    static const dbf::FieldDef fields[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20},
                                           {"SET", 'N', 1, 0},   {"AUTODEL", 'N', 1, 0},
                                           {"RUN", 'N', 1, 0},   {"DO", 'C', 249, 0}};
    ASSERT_TRUE(t.CreateTable("TIMELIST", 'F', [](int i, dbf::FieldDef &def) {
      def = i >= 1 && i <= 6 ? fields[i - 1] : dbf::FieldDef{};
      return true;
    }));
    t.SetTableName("TIMELIST");
    t.Open();
    t.Insert();
    t.FloatPut("DATE", static_cast<double>(calixo::dayNumber(2026, 12, 8)));
    t.FloatPut("TIME", 420.0 / 1440.0);
    t.IntegerPut("SET", 1);
    t.StringPut("DO", "wake up");
    t.Post();
    t.Close();
  }
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir(), "2026-12-08 06:59:50");

  auto setFlag = [] {
    dbf::TDbfDataSet t("Check");
    t.SetTableName("TIMELIST");
    t.Open();
    t.First();
    const int set = t.IntegerGet("SET");
    t.Close();
    return set;
  };
  // The main window first, alone, and the entry still waiting.
  std::vector<TopWindow> windows;
  const auto shown = std::chrono::steady_clock::now() + 8s;
  while (std::chrono::steady_clock::now() < shown && windows.empty()) {
    std::this_thread::sleep_for(100ms);
    windows = x.viewableTopWindows();
  }
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(setFlag(), 1);

  // Then, once the fake clock passes 7:00, the box.
  const auto end = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < end && calixo.running()) {
    windows = x.viewableTopWindows();
    if (windows.size() >= 2)
      break;
    std::this_thread::sleep_for(200ms);
  }
  ASSERT_EQ(windows.size(), 2u) << "no alarm box appeared";
  EXPECT_EQ(setFlag(), 0) << "the fired entry is no longer set";
  std::this_thread::sleep_for(500ms);
  for (const TopWindow &w : windows)
    if (w.width != 586) {
      const QImage shot = x.grab(w);
      EXPECT_FALSE(shot.isNull());
      shot.save(QStringLiteral(CALIXO_ALARM_SCREENSHOT), "PNG");
    }
}

// The viewable top-level windows once there are at least n (or the time is up).
std::vector<TopWindow> waitForWindows(X &x, size_t n, std::chrono::milliseconds limit) {
  std::vector<TopWindow> windows;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end && windows.size() < n) {
    std::this_thread::sleep_for(100ms);
    windows = x.viewableTopWindows();
  }
  return windows;
}

// The first viewable top-level window other than main (id 0 when none comes).
TopWindow waitForOtherWindow(X &x, const TopWindow &main, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    for (const TopWindow &w : x.viewableTopWindows())
      if (w.id != main.id)
        return w;
    std::this_thread::sleep_for(100ms);
  }
  return {};
}

void xdo(const std::string &args) {
  ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
  std::this_thread::sleep_for(150ms);
}

void clickAt(int x, int y, int button = 1) {
  xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " + std::to_string(button));
}

// A user plans a day with real input: the red button opens the time list,
// a typed text lands in the 7:00 row and in the table, the popup menu sets
// its alarm, and the month grid shows the day's marker.
TEST_F(EndToEnd, TimeListTypedTextAndAlarmReachTheTableAndTheGrid) {
  for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    std::filesystem::copy_file(f.path(), dir() / f.path().filename());
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir());
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
  ASSERT_EQ(windows.size(), 1u);
  std::this_thread::sleep_for(700ms);
  const TopWindow main = windows[0];
  const QImage before = x.grab(main);

  clickAt(main.x + 529 + 12, main.y + 45 + 12);  // ImageRed
  const TopWindow list = waitForOtherWindow(x, main, 5s);
  ASSERT_NE(list.id, 0u) << "the red button did not open the time list";
  std::this_thread::sleep_for(500ms);

  // The grid sits at (10, 40) under an 18-pixel header; its top row is 6:30,
  // so 7:00 is the second row; the text column starts 81 pixels in.
  const int cellX = list.x + 10 + 81 + 30, cellY = list.y + 40 + 18 + 18 + 9;
  clickAt(cellX, cellY);
  xdo("type --delay 40 meeting");
  xdo("key Return");

  auto readEntry = [](int &set, std::string &text, double &time) {
    dbf::TDbfDataSet t("Check");
    t.SetTableName("TIMELIST");
    t.Open();
    const int count = t.RecordCount();
    if (count > 0) {
      t.First();
      set = t.IntegerGet("SET");
      text = t.StringGet("DO");
      time = t.FloatGet("TIME");
    }
    t.Close();
    return count;
  };
  int set = -1;
  std::string text;
  double time = 0;
  EXPECT_EQ(readEntry(set, text, time), 1);
  EXPECT_EQ(text, "meeting");
  EXPECT_NEAR(time, 420.0 / 1440.0, 1e-9);
  EXPECT_EQ(set, 0);

  clickAt(cellX, cellY, 3);  // the popup menu; its first item sets the alarm
  xdo("key Down Return");
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(readEntry(set, text, time), 1);
  EXPECT_EQ(set, 1) << "the menu did not set the alarm";
  EXPECT_EQ(text, "meeting");

  const QImage shot = x.grab(list);
  EXPECT_TRUE(shot.save(QStringLiteral(CALIXO_TIMELIST_SCREENSHOT), "PNG"));
  const QImage after = x.grab(main);
  EXPECT_NE(before, after) << "the month grid shows no new marker";
}

// The green button of the real program opens the memo list; its add button
// makes a memo in "TextList.dbf" and pins its note to the desktop.
TEST_F(EndToEnd, GreenButtonOpensTheMemoListWhoseAddPinsANote) {
  for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    std::filesystem::copy_file(f.path(), dir() / f.path().filename());
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir());
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
  ASSERT_EQ(windows.size(), 1u);
  std::this_thread::sleep_for(700ms);
  const TopWindow main = windows[0];

  clickAt(main.x + 528 + 12, main.y + 131 + 12);  // ImageGreen
  const TopWindow list = waitForOtherWindow(x, main, 5s);
  ASSERT_NE(list.id, 0u) << "the green button did not open the memo list";
  EXPECT_EQ(list.x, 437);
  EXPECT_EQ(list.y, 330);
  std::this_thread::sleep_for(300ms);

  clickAt(list.x + 41 + 10, list.y + 225 + 10);  // ImageADD
  std::this_thread::sleep_for(700ms);
  EXPECT_EQ(x.viewableTopWindows().size(), 3u) << "no note was pinned";
  dbf::TDbfDataSet t("Check");
  t.SetTableName("TextList");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 1);
  if (t.RecordCount() == 1) {
    t.First();
    EXPECT_EQ(t.IntegerGet("SHOW"), 1);
  }
  t.Close();

  clickAt(main.x + 528 + 12, main.y + 131 + 12);  // and hides it again
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(x.viewableTopWindows().size(), 2u) << "the list did not hide; the note stays";
}

}  // namespace

