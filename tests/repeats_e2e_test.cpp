// An anniversary added through the real program's windows with real input:
// the context menu of today's cell opens the dialog filled with today's lunar
// date, and at the reminder's minute (under libfaketime) the reminder box
// appears and FIRED holds today. The agenda then lists it.
#include "e2e_support.h"

#include "clock.h"

#include <cstdio>

namespace e2e {
namespace {

using RepeatsEndToEnd = TempDirTest;

std::string agenda(const std::filesystem::path &dir, const char *from, const char *to) {
  const std::string cmd = "cd '" + dir.string() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                          CALIXO_EXECUTABLE + "' --agenda " + from + " " + to;
  std::string out;
  if (FILE *p = ::popen(cmd.c_str(), "r")) {
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

TEST_F(RepeatsEndToEnd, AddedOnADayAndRemindedAtItsMinute) {
  copyRuntimeData(dir());
  {
    std::ifstream in(CALIXO_FIRST_RUN_INI, std::ios::binary);
    std::ofstream(dir() / "Calixo.ini", std::ios::binary) << in.rdbuf();
  }
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  // 22 September 2026 is 八月十二; the dialog's reminder time is 8:00.
  Program calixo(dir(), "2026-09-22 07:59:15");
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
  ASSERT_EQ(windows.size(), 1u);
  const TopWindow main = windows[0];
  waitForPainted(x, main, 10s);

  // 1 September 2026 is a Tuesday: the 22nd is grid column 2, row 4 (the
  // grid sits at (230, 120), cells 38 x 25).
  clickAt(main.x + 230 + 2 * 38 + 19, main.y + 120 + 4 * 25 + 12, 3);
  xdo("key Down Down Down Return");  // 设置..., 纪念日…, 添加纪念日
  ASSERT_GE(waitForWindows(x, 3, 10s).size(), 3u) << "the window and its dialog did not open";
  for (const TopWindow &w : x.viewableTopWindows())
    waitForPainted(x, w, 5s);
  xdo("type --delay 40 mom");
  xdo("key Return");

  int month = 0, day = 0, set = 0;
  std::string kind, text;
  int count = 0;
  waitUntil(
      [&] {
        count = withFirstRecord("REPEATS", [&](dbf::TDbfDataSet &t) {
          kind = t.StringGet("KIND");
          month = t.IntegerGet("MONTH");
          day = t.IntegerGet("DAY");
          set = t.IntegerGet("SET");
          text = t.StringGet("DO");
        });
        return count != 0;
      },
      5s, 100ms);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(kind, "L");
  EXPECT_EQ(month, 8);
  EXPECT_EQ(day, 12);
  EXPECT_EQ(set, 1);
  EXPECT_EQ(text, "mom");

  // At 8:00 the reminder: FIRED becomes today and a box appears.
  const size_t before = x.viewableTopWindows().size();
  int64_t fired = 0;
  waitUntil(
      [&] {
        withFirstRecord("REPEATS", [&](dbf::TDbfDataSet &t) { fired = static_cast<int64_t>(t.FloatGet("FIRED")); });
        return !calixo.running() || (fired != 0 && x.viewableTopWindows().size() > before);
      },
      60s, 200ms);
  EXPECT_EQ(fired, calixo::dayNumber(2026, 9, 22));
  EXPECT_GT(x.viewableTopWindows().size(), before) << "no reminder box appeared";
  for (const TopWindow &w : x.viewableTopWindows())
    waitForPainted(x, w, 5s);
  x.grab(x.screen()).save(QStringLiteral(CALIXO_REPEATS_SCREENSHOT), "PNG");

  EXPECT_EQ(agenda(dir(), "2026-09-22", "2026-09-22"), "2026-09-22\t08:00\t纪念日\tmom\n");
}

}  // namespace
}  // namespace e2e
