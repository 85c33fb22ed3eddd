// The program's own table code driven as fast as a user could never type,
// so that a test can kill it at random moments: the time table's SaveEntry
// and purge and the memo table's add, text report and delete, on the two
// tables of the current folder.
//
//   calixo_kill_driver edit SEED    adds and edits entries and memos until killed
//   calixo_kill_driver purge Y M    purges the month before M/Y, then waits to be killed
//   calixo_kill_driver archive Y M  the same, moving the month into TIMEHIST.DBF, after
//                                   completing a move that an earlier kill cut short
//   calixo_kill_driver recover      only completes such a move, then waits to be killed
//
// Before each change it writes "will <change>" to standard output and after
// it "done", each line with one write, so that every line written before a
// kill reaches the test.
#include "memotable.h"
#include "timehistory.h"
#include "timetable.h"

#include <cstdlib>
#include <random>
#include <string>

#include <unistd.h>

namespace {

void say(const std::string &line) {
  const std::string l = line + "\n";
  if (::write(1, l.data(), l.size()) != static_cast<ssize_t>(l.size()))
    std::_Exit(3);
}

int edit(unsigned seed) {
  bool busy = false;
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  TTimeTable times(table, busy);
  times.CreateTimeTableIfMissing();
  times.OpenTable();
  TMemoTable memos([](SMEMOLISTDATA *) {}, [](SMEMOLISTDATA *) {});
  memos.Open();
  say("ready");

  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int i = 0;; ++i) {
    const std::string text = std::to_string(seed) + "-" + std::to_string(i);
    const int what = pick(0, 99);
    if (what < 35 || (what < 60 && table.RecordCount() == 0)) {
      auto row = std::make_shared<STIMELISTDATA>();
      row->Hour = pick(0, 23);
      row->Minute = pick(0, 1) * 30;
      row->SetFlag = pick(0, 1);
      row->Text = "entry " + text;
      say("will TA " + std::to_string(row->SetFlag) + " " + row->Text);
      times.SaveEntry(2026, 12, 8, row, 2);
      if (row->RecNo == -1)
        return 4;  // SaveEntry swallowed an error
    } else if (what < 60) {
      auto row = std::make_shared<STIMELISTDATA>();
      row->RecNo = pick(1, table.RecordCount());
      row->SetFlag = pick(0, 1);
      row->Text = "edited " + text;
      say("will TE " + std::to_string(row->RecNo) + " " + std::to_string(row->SetFlag) + " " +
          row->Text);
      times.SaveEntry(2026, 12, 8, row, 2);
    } else if (what < 80 || memos.Count() == 0) {
      say("will MA");
      memos.Add();
    } else if (what < 92) {
      const int index = pick(0, memos.Count() - 1);
      const std::string memoText = "memo " + text;
      say("will MT " + std::to_string(index) + " " + memoText);
      memos.HandleMessage(WM_MEMO_TEXT, memos.Memo(index), reinterpret_cast<intptr_t>(memoText.c_str()));
    } else {
      const int row = pick(1, std::min(memos.Count(), TMemoTable::kListedRows));
      say("will MD " + std::to_string(row));
      memos.Delete(row);
    }
    say("done");
  }
}

int purge(int year, int month) {
  bool busy = false;
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  TTimeTable times(table, busy);
  times.OpenTable();
  say("will purge");
  times.PurgeMonthBefore(year, month);
  say("done");
  ::pause();
  return 0;
}

int archive(int year, int month, bool purgeToo) {
  bool busy = false;
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  TTimeTable times(table, busy);
  TTimeHistory history;
  times.setHistory(&history);
  times.OpenTable();
  say("will purge");
  times.RecoverPurge(history);
  if (purgeToo)
    times.PurgeMonthBefore(year, month);
  say("done");
  ::pause();
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "edit" && argc == 3)
      return edit(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    if (mode == "purge" && argc == 4)
      return purge(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "archive" && argc == 4)
      return archive(std::atoi(argv[2]), std::atoi(argv[3]), true);
    if (mode == "recover" && argc == 2)
      return archive(0, 0, false);
  } catch (const std::exception &e) {
    const std::string m = std::string("error ") + e.what() + "\n";
    if (::write(2, m.data(), m.size()) < 0)
      return 1;
    return 1;
  }
  return 2;
}
