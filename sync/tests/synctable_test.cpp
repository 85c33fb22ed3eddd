#include "synctable.h"

#include "filenames.h"
#include "tempdir.h"

#include <filesystem>

#include <gtest/gtest.h>

using namespace calixo::sync;

namespace {

const calixo::ics::Date kDay{2026, 12, 8};
Row at(int h, int m) { return Row{kDay, h, m}; }

struct SyncTable : TempDirTest {
  dbf::TDbfDataSet live{"DbfDataSetTIMELIST"};
  bool busy = false;
  TTimeTable tt{live, busy};

  void SetUp() override {
    TempDirTest::SetUp();
    fresh();
  }
  // An empty table again.
  void fresh() {
    if (live.Active())
      live.Close();
    std::filesystem::remove(calixo::resolveFileName(kTimeTableFile));
    tt.CreateTimeTableIfMissing();
    tt.OpenTable();
  }
  void TearDown() override {
    if (live.Active())
      live.Close();
    TempDirTest::TearDown();
  }
  void store(int h, int m, const std::string &text, bool run = false) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = m;
    r->Text = text;
    r->RunFlag = run ? 1 : 0;
    r->SetFlag = run ? 1 : 0;
    tt.SaveEntry(kDay.year, kDay.month, kDay.day, r, 2);
  }
  std::vector<Plan> plans() {
    return ReadLocal(tt, nullptr, false, kDay).plans;
  }
};

}  // namespace

// Where a pulled plan lands, and when the table is left alone.
TEST_F(SyncTable, APulledPlanIsPlacedAsTheImportPlacesIt) {
  const struct {
    const char *what;
    std::vector<std::pair<Row, std::string>> before;  // rows stored first ("run:" a run)
    bool busy;
    Action action;
    bool ok;
    std::vector<Plan> after;  // the table's plans, runs left out
  } rows[] = {
      {"a free row", {}, false,
       [] { Action a; a.writeRow = a.place = true; a.write = Plan{at(14, 0), "B", true}; return a; }(), true,
       {Plan{at(14, 0), "B", true}}},
      {"a row with another plan: the next free row, its time in front",
       {{at(14, 0), "mine"}, {at(14, 30), "x"}}, false,
       [] { Action a; a.writeRow = a.place = true; a.write = Plan{at(14, 0), "B"}; return a; }(), true,
       {Plan{at(14, 0), "mine"}, Plan{at(14, 30), "x"}, Plan{at(15, 0), "14:00 B"}}},
      {"a run's row likewise", {{at(14, 0), "run:gedit"}}, false,
       [] { Action a; a.writeRow = a.place = true; a.write = Plan{at(14, 0), "B"}; return a; }(), true,
       {Plan{at(14, 30), "14:00 B"}}},
      {"a moved event empties its old row and takes its own new one", {{at(9, 0), "A"}}, false,
       [] {
         Action a;
         a.clearRow = a.expectPlan = a.writeRow = a.place = true;
         a.clear = at(9, 0);
         a.expect = Plan{at(9, 0), "A"};
         a.write = Plan{at(10, 0), "A2"};
         return a;
       }(),
       true, {Plan{at(10, 0), "A2"}}},
      {"a user's edit since the run read the row wins", {{at(9, 0), "A, edited"}}, false,
       [] {
         Action a;
         a.clearRow = a.expectPlan = true;
         a.clear = at(9, 0);
         a.expect = Plan{at(9, 0), "A"};
         return a;
       }(),
       false, {Plan{at(9, 0), "A, edited"}}},
      {"a busy table stores nothing and says so", {}, true,
       [] { Action a; a.writeRow = a.place = true; a.write = Plan{at(14, 0), "B"}; return a; }(), false, {}},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(r.what);
    fresh();
    for (const auto &[row, text] : r.before) {
      const bool run = text.rfind("run:", 0) == 0;
      store(row.hour, row.minute, run ? text.substr(4) : text, run);
    }
    busy = r.busy;
    Plan placed;
    std::string why;
    EXPECT_EQ(ApplyToTable(tt, r.action, placed, why), r.ok);
    EXPECT_EQ(why.empty(), r.ok) << why;
    busy = false;
    EXPECT_EQ(plans(), r.after);
  }
}
