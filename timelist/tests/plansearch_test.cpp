// The plan search over the time table, the archive and a source of another
// kind of entry: what matches, in which order, and what never matches.
#include "plansearch.h"

#include "clock.h"
#include "tempdir.h"
#include "timehistory.h"
#include "timetable.h"

#include <gtest/gtest.h>

namespace {

const std::string kChinese = "\xd6\xd0\xce\xc4";  // 中文
const std::string kXing = "\xd0\xce";             // 形: the middle bytes of 中文
const std::string kMeeting = "\xbb\xe1\xd2\xe9";  // 会议

struct PlanSearch : TempDirTest {
  dbf::TDbfDataSet live{"DbfDataSetTIMELIST"};
  bool busy = false;
  TTimeTable tt{live, busy};
  TTimeHistory history;

  void SetUp() override {
    TempDirTest::SetUp();
    tt.CreateTimeTableIfMissing();
    tt.OpenTable();
    tt.setHistory(&history);
  }
  void TearDown() override {
    if (live.Active())
      live.Close();
    TempDirTest::TearDown();
  }
  void store(int y, int m, int d, int h, int mi, const std::string &text) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = mi;
    r->Text = text;
    tt.SaveEntry(y, m, d, r, 2);
  }
  std::vector<TPlanSource> sources() {
    return {[this](const std::string &n, std::vector<SFoundPlan> &out) { FindPlansInTable(live, n, false, out); },
            [this](const std::string &n, std::vector<SFoundPlan> &out) {
              if (dbf::TDbfDataSet *a = history.Table())
                FindPlansInTable(*a, n, true, out);
            },
            // Entries of another kind join as a source of their own.
            [](const std::string &n, std::vector<SFoundPlan> &out) {
              if (PlanTextContains("Mum's birthday", n))
                out.push_back({2026, 3, 2, 0, 0, "Mum's birthday", false});
            }};
  }
  std::vector<std::string> find(const std::string &text) {
    std::vector<std::string> out;
    for (const SFoundPlan &p : FindPlans(text, sources()))
      out.push_back(std::to_string(p.Year * 10000 + p.Month * 100 + p.Day) + " " + std::to_string(p.Hour) + ":" +
                    std::to_string(p.Minute) + (p.History ? " H " : " ") + p.Text);
    return out;
  }
};

TEST_F(PlanSearch, FindsCurrentArchivedAndOtherEntriesByDateAndTime) {
  store(2026, 2, 10, 9, 30, "Team " + kMeeting);
  store(2026, 3, 5, 7, 0, "call Mum");
  store(2026, 2, 10, 8, 0, kChinese + " class");
  store(2026, 1, 20, 18, 0, "MEETING room");
  ASSERT_TRUE(tt.PurgeMonthBefore(2026, 3));  // February goes to the archive
  store(2026, 1, 20, 7, 30, "skip me");
  live.GotoPhysical(live.RecordCount());
  live.Delete();  // a deleted record is never found

  const struct {
    std::string text;
    std::vector<std::string> want;
  } rows[] = {
      {"mum", {"20260302 0:0 Mum's birthday", "20260305 7:0 call Mum"}},
      {kMeeting, {"20260210 9:30 H Team " + kMeeting}},
      {"meeting", {"20260120 18:0 MEETING room"}},
      {"class", {"20260210 8:0 H " + kChinese + " class"}},
      {kChinese, {"20260210 8:0 H " + kChinese + " class"}},
      {kXing, {}},  // bytes inside two characters are no character of the text
      {"skip", {}},
      {"", {}},
      {"m", {"20260120 18:0 MEETING room", "20260210 9:30 H Team " + kMeeting, "20260302 0:0 Mum's birthday",
             "20260305 7:0 call Mum"}},
  };
  for (const auto &r : rows)
    EXPECT_EQ(find(r.text), r.want) << r.text;
}

}  // namespace
