// Starts the real calixo in an empty folder on an X server, looks at what it
// wrote and at its windows through the X protocol, saves a screenshot of the
// main window and closes it the way a window manager does.
#include "e2e_support.h"
#include "notification_bus.h"

#include "calixoini.h"
#include "clock.h"
#include "dbf.h"

#include <set>

namespace {

using namespace e2e;

struct SetEntry {
  int year, month, day, hour, minute;
  const char *text;
  int run = 0;
};

// A time table in the current folder holding set alarms, in this order.
bool writeTimeList(const std::vector<SetEntry> &entries) {
  dbf::TDbfDataSet t("Setup");
  static const dbf::FieldDef fields[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20},
                                         {"SET", 'N', 1, 0},   {"AUTODEL", 'N', 1, 0},
                                         {"RUN", 'N', 1, 0},   {"DO", 'C', 249, 0}};
  if (!t.CreateTable("TIMELIST", 'F', [](int i, dbf::FieldDef &def) {
        def = i >= 1 && i <= 6 ? fields[i - 1] : dbf::FieldDef{};
        return true;
      }))
    return false;
  t.SetTableName("TIMELIST");
  t.Open();
  for (const SetEntry &e : entries) {
    t.Insert();
    t.FloatPut("DATE", static_cast<double>(calixo::dayNumber(e.year, e.month, e.day)));
    t.FloatPut("TIME", (e.hour * 60 + e.minute) / 1440.0);
    t.IntegerPut("SET", 1);
    t.IntegerPut("RUN", e.run);
    t.StringPut("DO", e.text);
    t.Post();
  }
  t.Close();
  return true;
}

// One numeric field of every record of a table in the current folder.
std::vector<int> fieldOfEveryRecord(const char *table, const char *field) {
  std::vector<int> values;
  dbf::TDbfDataSet t("Check");
  t.SetTableName(table);
  t.Open();
  for (int i = 1; i <= t.RecordCount(); ++i) {
    t.GotoPosition(i);
    values.push_back(t.IntegerGet(field));
  }
  t.Close();
  return values;
}

// Fills dir as the launcher fills a new data folder: the shipped files and
// its first settings, which it returns ("" when they cannot be read).
std::string useFirstRunSettings(const std::filesystem::path &dir) {
  copyRuntimeData(dir);
  std::ifstream in(CALIXO_FIRST_RUN_INI, std::ios::binary);
  const std::string firstRun{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::ofstream(dir / "Calixo.ini", std::ios::binary) << firstRun;
  return firstRun;
}

// The viewable windows once the program shows any, within 20 seconds.
std::vector<TopWindow> windowsAfterStart(X &x, Program &calixo) {
  std::vector<TopWindow> windows;
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < end && calixo.running() && windows.empty()) {
    windows = x.viewableTopWindows();
    std::this_thread::sleep_for(50ms);
  }
  return windows;
}

// The sticky notes on the screen, left to right.
std::vector<TopWindow> notesOnScreen(X &x) {
  std::vector<TopWindow> notes;
  for (const TopWindow &w : x.viewableTopWindows())
    if (w.width == 200 && w.height == 160)
      notes.push_back(w);
  std::sort(notes.begin(), notes.end(), [](const TopWindow &a, const TopWindow &b) { return a.x < b.x; });
  return notes;
}

TEST_F(EndToEnd, StartsInAnEmptyFolderShowsOneShapedWindowAndEndsWithZero) {
  copyRuntimeData(dir());
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
  EXPECT_TRUE(shot.save(QStringLiteral(CALIXO_PLAIN_SCREENSHOT), "PNG"));
  // The window offers the program's icon to the window system.
  EXPECT_EQ(x.iconSizes(main.id),
            (std::vector<std::pair<int, int>>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));

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

// The ink of one day's label in a screenshot of the main window: pixels of
// exactly colour in the lower part of the cell right of the label's start.
// firstCell is the cell of day 1 (its weekday). The grid sits at (230, 120),
// cells 38 x 25 under a header row; a label starts 6 pixels left of the
// cell's centre, half-way down.
int labelInk(const QImage &shot, int firstCell, int day, QRgb colour) {
  const int k = firstCell + day - 1;
  const int left = 230 + k % 7 * 38, top = 120 + (k / 7 + 1) * 25;
  int ink = 0;
  for (int y = top + 12; y < top + 25; ++y)
    for (int px = left + 13; px < left + 38; ++px)
      ink += (shot.pixel(px, y) | 0xFF000000u) == (colour | 0xFF000000u);
  return ink;
}

QRgb weekdayColour(int firstCell, int day) {
  const int col = (firstCell + day - 1) % 7;
  return (col == 0 || col == 6) ? qRgb(255, 0, 0) : qRgb(0, 0, 0);
}

// The festivals' and solar terms' blue.
constexpr QRgb kFestivalBlue = qRgb(0, 0, 0xC8);

// Starts the program with the launcher's first settings on date (9:00), saves
// its window as screenshot, and checks every day of the month: its label is
// drawn under the day number in the festival blue exactly for the days in
// special, else in its weekday's black or red. firstColumn is the column of
// the 1st, days the month's length. The settings file is only ever read.
void checkFirstRunMonth(const std::filesystem::path &dir, const char *date, int firstColumn, int days,
                        const std::set<int> &special, const QString &screenshot) {
  const std::string firstRun = useFirstRunSettings(dir);
  ASSERT_FALSE(firstRun.empty());
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir, date);
  const std::vector<TopWindow> windows = windowsAfterStart(x, calixo);
  ASSERT_EQ(windows.size(), 1u);
  std::this_thread::sleep_for(700ms);  // the first paint
  const QImage shot = x.grab(windows[0]);
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(screenshot, "PNG"));

  for (int day = 1; day <= days; ++day) {
    SCOPED_TRACE(day);
    const bool blue = special.count(day) > 0;
    EXPECT_GE(labelInk(shot, firstColumn, day, blue ? kFestivalBlue : weekdayColour(firstColumn, day)), 15);
    EXPECT_EQ(labelInk(shot, firstColumn, day, kFestivalBlue) > 0, blue);
  }
  EXPECT_EQ(readFile("Calixo.ini"), firstRun);
  x.sendDeleteWindow(windows[0].id);
  EXPECT_EQ(calixo.waitForExit(10s), 0);
}

// Started as the launcher starts it in a new data folder (its first settings
// turn on the extended lunar table and the festivals), on 8 December 2026:
// every day of the month shows its lunar label under the day number, in pure
// black or red, the two solar terms (大雪 on the 7th, 冬至 on the 22nd) and
// 圣诞节 (the 25th) in blue. The screenshot is the README's picture of the main window.
TEST_F(EndToEnd, FirstRunSettingsShowTodaysLunarDates) {
  // 1 December 2026 is a Tuesday.
  checkFirstRunMonth(dir(), "2026-12-08 09:00:00", 2, 31, {7, 22, 25}, QStringLiteral(CALIXO_SCREENSHOT));
}

// The launcher's first settings on 17 February 2026, 春节: 立春 (the 4th),
// 小年 (the 10th), 情人节 (the 14th), 除夕 (the 16th), 春节 (the 17th, today,
// the selected cell) and 雨水 (the 18th) are labelled in blue, every other
// day in its ordinary colour. The
// screenshot is the README's picture of the festivals.
TEST_F(EndToEnd, FirstRunSettingsShowFestivalsAndSolarTerms) {
  // 1 February 2026 is a Sunday.
  checkFirstRunMonth(dir(), "2026-02-17 09:00:00", 0, 28, {4, 10, 14, 16, 17, 18},
                     QStringLiteral(CALIXO_FESTIVALS_SCREENSHOT));
}

// Pixels of exactly colour in one day's cell of the main window.
int cellPixels(const QImage &shot, int firstCell, int day, QRgb colour) {
  const int k = firstCell + day - 1;
  const int left = 230 + k % 7 * 38, top = 120 + (k / 7 + 1) * 25;
  int n = 0;
  for (int y = top; y < top + 25; ++y)
    for (int px = left; px < left + 38; ++px)
      n += (shot.pixel(px, y) | 0xFF000000u) == (colour | 0xFF000000u);
  return n;
}


// A new user with no settings file and two plans for 8 December 2026: 圣诞节
// in blue; the pointer resting on today brings up the whole date with the
// plans (saved as the README's picture of it); the arrow keys, Page Down and Home move the selection while
// today keeps its pale mark, and Enter opens the time list.
TEST_F(EndToEnd, AGregorianFestivalTheHoverTextAndTheKeys) {
  copyRuntimeData(dir());
  ASSERT_TRUE(writeTimeList({{2026, 12, 8, 8, 30, "team meeting"}, {2026, 12, 8, 7, 0, "run"}}));
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir(), "2026-12-08 09:00:00");
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
  ASSERT_EQ(windows.size(), 1u);
  const TopWindow main = windows[0];
  constexpr QRgb today = qRgb(0xFF, 0xE8, 0x8A);  // TMainForm::TodayColour
  auto grid = [&] { return x.grab(main); };
  ASSERT_TRUE(waitUntil([&] { return labelInk(grid(), 2, 25, kFestivalBlue) > 15; }, 10s))
      << "圣诞节 is not drawn in blue";

  // 8 December: column 2 of the second day row.
  const int cellX = main.x + 230 + 2 * 38 + 19, cellY = main.y + 120 + 2 * 25 + 12;
  clickAt(cellX, cellY);
  xdo("mousemove " + std::to_string(cellX + 2) + " " + std::to_string(cellY + 1));
  const TopWindow tip = waitForOtherWindow(x, main, 5s);
  ASSERT_NE(tip.id, 0u) << "no tool tip over the day";
  // Six lines: the date, the lunar date, the day's stem-branch, the count of
  // plans and the two plans.
  EXPECT_GT(tip.height, 6 * 12);
  EXPECT_GT(tip.width, 120);
  const QImage tipShot = x.grab(tip);
  ASSERT_FALSE(tipShot.isNull());
  // The grid and the tip together, as the README shows them.
  const QImage both = x.grab(x.screen(), main.x + 200, main.y + 110, std::max(tip.x + tip.width + 8 - main.x - 200, 320),
                std::max(tip.y + tip.height + 8 - main.y - 110, 200));
  EXPECT_TRUE(both.save(QStringLiteral(CALIXO_HOVER_SCREENSHOT), "PNG"));
  xdo("mousemove " + std::to_string(main.x + 100) + " " + std::to_string(main.y + 330));

  // Today (the 8th) is selected: no pale mark. A day on, it shows.
  EXPECT_EQ(cellPixels(grid(), 2, 8, today), 0);
  xdo("key Right");
  EXPECT_TRUE(waitUntil([&] { return cellPixels(grid(), 2, 8, today) > 300; }, 5s))
      << "today lost its mark when the 9th was selected";
  // Page Down: January 2027 (the 1st a Friday) with 元旦 in blue, no today.
  xdo("key Next");
  EXPECT_TRUE(waitUntil([&] { return labelInk(grid(), 5, 1, kFestivalBlue) > 15; }, 5s))
      << "Page Down did not show January 2027";
  // Home: back to today, selected again.
  xdo("key Home");
  EXPECT_TRUE(waitUntil([&] {
    const QImage g = grid();
    return labelInk(g, 2, 25, kFestivalBlue) > 15 && cellPixels(g, 2, 8, today) == 0;
  }, 5s)) << "Home did not come back to today";
  // Enter: the time list of the selected day.
  std::vector<xcb_window_t> known;
  for (const TopWindow &w : x.viewableTopWindows())
    known.push_back(w.id);
  xdo("key Return");
  const TopWindow list = waitForNewWindow(x, known, 5s);
  EXPECT_NE(list.id, 0u) << "Enter did not open the time list";
  x.sendDeleteWindow(main.id);
  EXPECT_EQ(calixo.waitForExit(10s), 0);
}

// A set 7:00 entry of today fires at 7:00: the program, started under
// faketime at 06:59:50, shows the entry's text in a message box (saved as
// calixo-alarm.png) and has already stored SET 0 for it when the box appears.
TEST_F(EndToEnd, AlarmBoxAppearsAtSevenAndTheEntryIsUnset) {
  copyRuntimeData(dir());
  ASSERT_TRUE(writeTimeList({{2026, 12, 8, 7, 0, "wake up"}}));
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir(), "2026-12-08 06:59:50");

  auto setFlag = [] {
    int set = -1;
    withFirstRecord("TIMELIST", [&](dbf::TDbfDataSet &t) { set = t.IntegerGet("SET"); });
    return set;
  };
  // The main window first, alone, and the entry still waiting.
  std::vector<TopWindow> windows = waitForWindows(x, 1, 8s);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(setFlag(), 1);

  // Then, once the fake clock passes 7:00, the box.
  const TopWindow box = waitForNewWindow(x, {windows[0].id}, 30s);
  ASSERT_NE(box.id, 0u) << "no alarm box appeared";
  EXPECT_EQ(x.viewableTopWindows().size(), 2u);
  EXPECT_EQ(setFlag(), 0) << "the fired entry is no longer set";
  const QImage shot = waitForPainted(x, box, 5s);
  EXPECT_FALSE(shot.isNull());
  shot.save(QStringLiteral(CALIXO_ALARM_SCREENSHOT), "PNG");
}

// A user plans a day with real input: the red button opens the time list,
// a typed text lands in the 7:00 row and in the table, the popup menu sets
// its alarm, and the month grid shows the day's marker.
TEST_F(EndToEnd, TimeListTypedTextAndAlarmReachTheTableAndTheGrid) {
  copyRuntimeData(dir());
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
    return withFirstRecord("TIMELIST", [&](dbf::TDbfDataSet &t) {
      set = t.IntegerGet("SET");
      text = t.StringGet("DO");
      time = t.FloatGet("TIME");
    });
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
  copyRuntimeData(dir());
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
  int show = -1;
  EXPECT_EQ(withFirstRecord("TextList", [&](dbf::TDbfDataSet &t) { show = t.IntegerGet("SHOW"); }), 1);
  EXPECT_EQ(show, 1);

  clickAt(main.x + 528 + 12, main.y + 131 + 12);  // and hides it again
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(x.viewableTopWindows().size(), 2u) << "the list did not hide; the note stays";
}

// Pinned notes come back after the program ended by its close button or by
// the window manager's close: two notes pinned, one closed with its own
// button and the other moved; after the close button exactly the other is
// back, where it was left, and after the window manager's close too.
TEST_F(EndToEnd, PinnedNotesComeBackAfterTheCloseButtonAndTheWindowManagersClose) {
  copyRuntimeData(dir());
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  TopWindow moved;
  {
    Program calixo(dir());
    const std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
    ASSERT_EQ(windows.size(), 1u);
    std::this_thread::sleep_for(700ms);
    const TopWindow main = windows[0];
    clickAt(main.x + 528 + 12, main.y + 131 + 12);  // ImageGreen
    const TopWindow list = waitForOtherWindow(x, main, 5s);
    ASSERT_NE(list.id, 0u);
    std::this_thread::sleep_for(300ms);
    clickAt(list.x + 41 + 10, list.y + 225 + 10);  // ImageADD, twice
    std::this_thread::sleep_for(700ms);
    clickAt(list.x + 41 + 10, list.y + 225 + 10);
    std::this_thread::sleep_for(700ms);
    std::vector<TopWindow> notes = notesOnScreen(x);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(fieldOfEveryRecord("TextList", "SHOW"), (std::vector<int>{1, 1}));

    // The first note (the left one) closes with its own button, top right.
    clickAt(notes[0].x + 187, notes[0].y + 11);
    ASSERT_TRUE(waitForViewable(x, notes[0].id, false, 5s)) << "the note did not close";
    EXPECT_EQ(fieldOfEveryRecord("TextList", "SHOW"), (std::vector<int>{0, 1}));

    // The second is dragged by its top strip 120 pixels right and 90 down.
    const int fromX = notes[1].x + 60, fromY = notes[1].y + 10;
    xdo("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1");
    for (int i = 1; i <= 6; ++i)
      xdo("mousemove " + std::to_string(fromX + 20 * i) + " " + std::to_string(fromY + 15 * i));
    xdo("mouseup 1");
    std::this_thread::sleep_for(700ms);
    notes = notesOnScreen(x);
    ASSERT_EQ(notes.size(), 1u);
    moved = notes[0];
    EXPECT_NE(moved.y, 0);

    clickAt(main.x + 529 + 12, main.y + 237 + 12);  // ImageClose
    ASSERT_EQ(calixo.waitForExit(10s), 0);
  }
  EXPECT_EQ(fieldOfEveryRecord("TextList", "SHOW"), (std::vector<int>{0, 1}))
      << "the note the user did not close stays pinned";

  for (const char *ending : {"close button", "window manager's close"}) {
    SCOPED_TRACE(ending);
    Program calixo(dir());
    const std::vector<TopWindow> windows = waitForWindows(x, 2, 20s);
    std::this_thread::sleep_for(700ms);
    const std::vector<TopWindow> notes = notesOnScreen(x);
    ASSERT_EQ(x.viewableTopWindows().size(), 2u) << "the main window and one note";
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].x, moved.x);
    EXPECT_EQ(notes[0].y, moved.y);
    if (std::string(ending) == "close button") {
      TopWindow main;
      for (const TopWindow &w : x.viewableTopWindows())
        if (w.width == 586)
          main = w;
      clickAt(main.x + 529 + 12, main.y + 237 + 12);
    } else {
      for (const TopWindow &w : x.viewableTopWindows())
        if (w.width == 586)
          x.sendDeleteWindow(w.id);
    }
    ASSERT_EQ(calixo.waitForExit(10s), 0);
    EXPECT_EQ(fieldOfEveryRecord("TextList", "SHOW"), (std::vector<int>{0, 1}));
  }
}

// The program runs overnight: started under faketime at 23:59:50, it fires
// the next day's 0:00 alarm at midnight, and the entry is no longer set.
TEST_F(EndToEnd, AnAlarmOfTheNextDayFiresAtMidnight) {
  copyRuntimeData(dir());
  ASSERT_TRUE(writeTimeList({{2026, 12, 9, 0, 0, "new day"}, {2026, 12, 9, 0, 2, "later"}}));
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  Program calixo(dir(), "2026-12-08 23:59:50");
  std::vector<TopWindow> windows = waitForWindows(x, 1, 8s);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{1, 1}));

  ASSERT_NE(waitForNewWindow(x, {windows[0].id}, 40s).id, 0u) << "no alarm box appeared at midnight";
  EXPECT_EQ(x.viewableTopWindows().size(), 2u);
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 1}))
      << "the 0:00 entry fired; the 0:02 one waits";
}

// An alarm reaches the desktop's notification service as well as its box:
// summary, body, icon, urgency and the two actions. 稍后提醒 chosen in the
// notification closes the box and keeps the reminder in the snooze file; the
// program is killed and started again ten minutes later on a desktop that
// has no notification service any more, and the reminder comes back as the
// box alone (saved as calixo-snooze.png).
TEST_F(EndToEnd, AnAlarmNotifiesAndItsSnoozeOutlivesARestart) {
  copyRuntimeData(dir());
  ASSERT_TRUE(writeTimeList({{2026, 12, 8, 7, 0, "wake up"}}));
  NotificationBus bus(dir() / "bus");
  ASSERT_EQ(bus.problem(), "");
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  auto waitForSnoozeFile = [](bool wantLine) {
    std::string text;
    waitUntil(
        [&] {
          text = readFile("snooze.lst");
          return text.empty() != wantLine;
        },
        10s);
    return text;
  };
  // The main window by its width: on a slow start the box may be up as soon.
  auto waitForMain = [&x] {
    TopWindow main;
    waitUntil(
        [&] {
          for (const TopWindow &w : x.viewableTopWindows())
            if (w.width == 586) {
              main = w;
              return true;
            }
          return false;
        },
        20s);
    return main;
  };
  {
    Program calixo(dir(), "2026-12-08 06:59:50");
    const TopWindow main = waitForMain();
    ASSERT_NE(main.id, 0u);
    const TopWindow box = waitForOtherWindow(x, main, 30s);
    ASSERT_NE(box.id, 0u) << "no alarm box appeared";
    const std::string calls = bus.waitForNotifyCalls(1, 10s);
    EXPECT_EQ(NotificationBus::count(calls, "<'Calixo 提醒'>"), 1) << calls;
    for (const char *part : {"<'Calixo'>, <uint32 0>, <'calixo'>, <'Calixo 提醒'>, <'07:00 wake up'>",
                             "<['snooze', '稍后提醒', 'dismiss', '知道了']>", "'urgency': <byte 0x02>",
                             "'image-data': <(48, 48, 192, true, 8, 4, "})
      EXPECT_NE(calls.find(part), std::string::npos) << part << " in " << calls.substr(0, 400);

    ASSERT_TRUE(bus.invokeAction(1, "snooze"));
    EXPECT_TRUE(waitForViewable(x, box.id, false, 5s)) << "稍后提醒 in the notification closes the box";
    const std::string line = waitForSnoozeFile(true);
    ASSERT_GE(line.size(), 19u) << "nothing was snoozed";
    EXPECT_EQ(line.substr(0, 17), "2026-12-08 07:10:") << line;
    EXPECT_EQ(line.substr(19), " 07:00 wake up\n") << line;
  }

  bus.stopService();
  Program calixo(dir(), "2026-12-08 07:09:50");
  const TopWindow main = waitForMain();
  ASSERT_NE(main.id, 0u);
  const TopWindow box = waitForOtherWindow(x, main, 30s);
  ASSERT_NE(box.id, 0u) << "the snoozed reminder did not come back";
  EXPECT_EQ(waitForSnoozeFile(false), "") << "taken from the file as it comes";
  EXPECT_EQ(waitForNewWindow(x, {main.id, box.id}, 1s).id, 0u) << "the box alone, no error";
  const QImage shot = waitForPainted(x, box, 5s);
  EXPECT_FALSE(shot.isNull());
  shot.save(QStringLiteral(CALIXO_SNOOZE_SCREENSHOT), "PNG");
}

// Answers a box the way a user does: the pointer over it and Enter. True
// when it went away.
bool answer(X &x, const TopWindow &box) {
  xdo("mousemove " + std::to_string(box.x + box.width / 2) + " " + std::to_string(box.y + box.height / 2));
  xdo("key Return");
  return waitForViewable(x, box.id, false, 5s);
}

// Started a few seconds before midnight on a clock running three times as
// fast, with two entries of 0:00 and one of 0:01 of the next day: the first
// box appears at midnight; left open past 0:01 it holds back the others
// (still set, no second box), which then come one by one as each box is
// answered, in time order, each cleared only once its box is shown.
TEST_F(EndToEnd, AlarmsDueBehindAnOpenBoxComeOneByOneAfterIt) {
  copyRuntimeData(dir());
  ASSERT_TRUE(writeTimeList({{2026, 12, 9, 0, 0, "first"}, {2026, 12, 9, 0, 0, "second"},
                             {2026, 12, 9, 0, 1, "third"}}));
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  const auto started = std::chrono::steady_clock::now();
  Program calixo(dir(), "2026-12-08 23:59:45 x3");
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 8s);
  ASSERT_EQ(windows.size(), 1u);
  const TopWindow main = windows[0];
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{1, 1, 1}));

  const TopWindow first = waitForNewWindow(x, {main.id}, 20s);
  ASSERT_NE(first.id, 0u) << "no box at midnight";
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 1, 1}));
  // 0:01:05 on the fast clock: 80 seconds after the start, a third of that
  // in real time, and a margin for the start-up.
  // A box coming meanwhile fails at once.
  const auto past0001 = std::chrono::duration_cast<std::chrono::milliseconds>(
      started + 80s / 3 + 3s - std::chrono::steady_clock::now());
  EXPECT_FALSE(waitUntil([&] { return !calixo.running() || x.viewableTopWindows().size() != 2; }, past0001))
      << "a box came while the first was open";
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 1, 1}));

  ASSERT_TRUE(answer(x, first));
  const TopWindow second = waitForNewWindow(x, {main.id, first.id}, 5s);
  ASSERT_NE(second.id, 0u) << "the second 0:00 entry did not follow";
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 0, 1}));
  waitForPainted(x, second, 5s).save(QStringLiteral(CALIXO_LATE_ALARM_SCREENSHOT), "PNG");
  ASSERT_TRUE(answer(x, second));
  const TopWindow third = waitForNewWindow(x, {main.id, first.id, second.id}, 5s);
  ASSERT_NE(third.id, 0u) << "the 0:01 entry did not follow";
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 0, 0}));
  ASSERT_TRUE(answer(x, third));
  EXPECT_EQ(x.viewableTopWindows().size(), 1u);
}

// Runs with the real program: a bare name starts the program of that name
// from PATH, with no argument, in the home folder (never the data folder's
// file of that name); a name that starts nothing shows a box saying so, and
// only then is its entry cleared.
TEST_F(EndToEnd, RunsStartWhatTheyNameAndAFailedRunSaysSo) {
  copyRuntimeData(dir());
  const std::filesystem::path bin = dir() / "bin", home = dir() / "home";
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(home);
  const std::string log = (dir() / "probe.log").string();
  const auto script = [&](const std::filesystem::path &p, const std::string &what) {
    std::ofstream(p) << "#!/bin/sh\nprintf '%s|%s|%s\\n' '" << what << "' \"$PWD\" \"$*\" > '" << log
                     << ".tmp'\nmv '" << log << ".tmp' '" << log << "'\n";
    std::filesystem::permissions(p, std::filesystem::perms::owner_all);
  };
  script(bin / "calixo-probe", "path");
  script(dir() / "calixo-probe", "data folder");
  ASSERT_TRUE(writeTimeList({{2026, 12, 8, 7, 0, "calixo-probe", 1}, {2026, 12, 8, 7, 0, "calixo-missing", 1}}));
  const std::string keptPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  const std::string keptHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("PATH", (bin.string() + ":" + keptPath).c_str(), 1);
  ::setenv("HOME", home.c_str(), 1);
  X x;
  Program calixo(dir(), "2026-12-08 06:59:50");
  ::setenv("PATH", keptPath.c_str(), 1);
  ::setenv("HOME", keptHome.c_str(), 1);
  ASSERT_TRUE(x.ok()) << "no X display";
  const std::vector<TopWindow> windows = waitForWindows(x, 1, 8s);
  ASSERT_EQ(windows.size(), 1u);
  const TopWindow box = waitForNewWindow(x, {windows[0].id}, 20s);
  ASSERT_NE(box.id, 0u) << "the failed run showed no box";
  EXPECT_EQ(fieldOfEveryRecord("TIMELIST", "SET"), (std::vector<int>{0, 0}));
  waitUntil([&] { return std::filesystem::exists(log); }, 5s);
  EXPECT_EQ(readFile(log), "path|" + home.string() + "|\n");
  waitForPainted(x, box, 5s).save(QStringLiteral(CALIXO_FAILED_RUN_SCREENSHOT), "PNG");
  EXPECT_TRUE(answer(x, box));
}

}  // namespace
