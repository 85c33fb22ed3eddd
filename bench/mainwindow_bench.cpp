// Start-up of the main window to its first paint, beside a bare frameless
// widget of the same size, RefreshMonth over a large time table, and a month
// change painted with its lunar labels, ordinary and in festival mode.
//
// Every start-up runs in a child process of its own (a fresh application
// object each time, and a peak memory figure that belongs to that start-up
// alone); the child reports its time through a pipe. Run offscreen unless
// QT_QPA_PLATFORM says otherwise.
#include "mainform.h"

#include "calixoini.h"
#include "clock.h"
#include "drawgrid.h"
#include "repeattable.h"
#include "ui.h"

#include <QEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

calixo::ManualClock g_clock{{2024, 5, 15, 10, 0, 0, 0}};

// A folder with the shipped data files and a time table of n entries, none
// of them in May 2024 (so every Locate of a month scan reads the whole table).
std::map<int, fs::path> g_folders;

const fs::path &folderWithEntries(int n) {
  auto &folders = g_folders;
  auto it = folders.find(n);
  if (it != folders.end())
    return it->second;
  std::string pattern = (fs::temp_directory_path() / "calixo-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    std::abort();
  const fs::path dir = pattern;
  for (const auto &f : fs::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
    fs::copy_file(f.path(), dir / f.path().filename());
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  {
    dbf::TDbfDataSet table;
    bool busy = false;
    TTimeTable tt(table, busy);
    tt.CreateTimeTableIfMissing();
    tt.OpenTable();
    for (int i = 0; i < n; ++i) {
      auto row = std::make_shared<STIMELISTDATA>();
      row->Hour = i % 24;
      row->Minute = (i % 2) * 30;
      row->Text = "entry " + std::to_string(i);
      row->SetFlag = i % 2;
      tt.SaveEntry(2020, 1 + i % 12, 1 + i % 28, row, 2);
    }
    table.Close();
  }
  fs::current_path(old);
  return folders.emplace(n, dir).first->second;
}

// Signals the first paint of the watched widget.
class FirstPaint : public QObject {
public:
  bool painted = false;
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint)
      painted = true;
    return false;
  }
};

struct StartResult {
  double seconds = 0;
  long maxRssKiB = 0;
};

// In a child process: the application object, the window, its first paint.
StartResult startInChild(bool mainWindow, const fs::path &dir) {
  int fds[2];
  if (::pipe(fds) != 0)
    std::abort();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    fs::current_path(dir);
    calixo::setClock(&g_clock);
    calixo::setMessageHook([](const QString &) {});
    const auto start = Clock::now();
    static int argc = 1;
    static char name[] = "calixo";
    static char *argv[] = {name, nullptr};
    calixo::CalixoApplication app(argc, argv);
    FirstPaint watch;
    QWidget *w;
    if (mainWindow) {
      auto *form = new TMainForm;
      form->FormCreate();
      w = form;
    } else {
      w = new QWidget(nullptr, Qt::FramelessWindowHint);
      w->resize(586, 353);
    }
    w->installEventFilter(&watch);
    w->show();
    while (!watch.painted)
      app.processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (::write(fds[1], &seconds, sizeof seconds) != sizeof seconds)
      ::_exit(2);
    ::_exit(0);  // the figure is taken; tearing down is not part of it
  }
  ::close(fds[1]);
  StartResult r;
  if (::read(fds[0], &r.seconds, sizeof r.seconds) != sizeof r.seconds)
    r.seconds = -1;
  ::close(fds[0]);
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  r.maxRssKiB = usage.ru_maxrss;
  return r;
}

void runStartup(benchmark::State &state, bool mainWindow) {
  const fs::path &dir = folderWithEntries(static_cast<int>(state.range(0)));
  long peak = 0;
  for (auto _ : state) {
    const StartResult r = startInChild(mainWindow, dir);
    if (r.seconds < 0) {
      state.SkipWithError("the child did not report");
      return;
    }
    state.SetIterationTime(r.seconds);
    peak = std::max(peak, r.maxRssKiB);
  }
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void BM_StartupBareWindow(benchmark::State &state) { runStartup(state, false); }
void BM_StartupMainWindow(benchmark::State &state) { runStartup(state, true); }
BENCHMARK(BM_StartupBareWindow)->Arg(10)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartupMainWindow)->Arg(10)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Runs body(app, form) in dir with the main window created in this process,
// then goes back to the folder it came from. The start-up children fork
// before any application object exists here, so none of them inherits one.
template <class Body>
void withMainForm(const fs::path &dir, Body body) {
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  calixo::setClock(&g_clock);
  calixo::setMessageHook([](const QString &) {});
  static int argc = 1;
  static char name[] = "calixo";
  static char *argv[] = {name, nullptr};
  {
    calixo::CalixoApplication app(argc, argv);
    TMainForm form;
    form.FormCreate();
    body(app, form);
  }
  fs::current_path(old);
}

void BM_RefreshMonthInProcess(benchmark::State &state) {
  withMainForm(folderWithEntries(static_cast<int>(state.range(0))),
               [&](calixo::CalixoApplication &, TMainForm &form) {
                 for (auto _ : state) {
                   form.RefreshMonth();
                   benchmark::DoNotOptimize(HasEntries.data());
                 }
                 state.counters["entries"] = static_cast<double>(form.DbfDataSetTIMELIST->RecordCount());
               });
}
BENCHMARK(BM_RefreshMonthInProcess)->Arg(10000)->Unit(benchmark::kMillisecond);

// Counts the paints of the watched widget.
class PaintCount : public QObject {
public:
  int paints = 0;
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint)
      ++paints;
    return false;
  }
};

// Turns between November and December 2026 once per iteration, the grid
// painted each time, as the user sees a month change.
void changeMonthsPainted(benchmark::State &state, TMainForm &form) {
  int i = 0;
  for (auto _ : state) {
    SelYear = 2026;
    SelMonth = 11 + i++ % 2;
    SelDay = 1;
    form.RefreshMonth();
    form.DrawGridDate->repaint();
  }
}

// A month change as the user sees it: November and December 2026 in turn,
// each laid out over the large table and its grid painted at once. Argument
// 1: with [Lunar] Festivals=0, so every day cell draws its lunar label; 2:
// the switches as they are when absent, so every cell also looks up its
// festival, the next day's lunar date and its solar term (立冬, 小雪, 大雪 and
// 冬至 are drawn in their colour); 0: Extended=0, the classic display, under
// which 2026 has none.
void BM_MonthChangePainted(benchmark::State &state) {
  const fs::path &dir = folderWithEntries(static_cast<int>(state.range(0)));
  if (state.range(1) == 2)
    fs::remove(dir / "Calixo.ini");
  else
    std::ofstream(dir / "Calixo.ini", std::ios::binary | std::ios::trunc)
        << TCalixoini::DefaultTemplate()
        << (state.range(1) == 1 ? "[Lunar]\r\nFestivals=0\r\n" : "[Lunar]\r\nExtended=0\r\n");
  withMainForm(dir, [&](calixo::CalixoApplication &app, TMainForm &form) {
    form.show();
    app.processEvents();
    PaintCount count;
    form.DrawGridDate->installEventFilter(&count);
    changeMonthsPainted(state, form);
    state.counters["grid_paints"] = benchmark::Counter(count.paints, benchmark::Counter::kAvgIterations);
  });
  fs::remove(dir / "Calixo.ini");
}
// Over 10 entries the month's layout is quick and the labels' share shows.
BENCHMARK(BM_MonthChangePainted)
    ->Args({10, 0})
    ->Args({10, 1})
    ->Args({10, 2})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Unit(benchmark::kMillisecond);

// The same month change with 1,000 anniversaries in REPEATS.DBF (10 time
// entries, extended lunar table): the grid's marks for them are found anew
// on every change.
void BM_MonthChangePaintedWithAnniversaries(benchmark::State &state) {
  const fs::path &dir = folderWithEntries(10);
  std::ofstream(dir / "Calixo.ini", std::ios::binary | std::ios::trunc)
      << TCalixoini::DefaultTemplate() << "[Lunar]\r\nExtended=1\r\n";
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  {
    repeats::TRepeatTable table;
    table.CreateIfMissing();
    table.Open();
    for (int i = 0; i < state.range(0); ++i) {
      repeats::SREPEATDATA r;
      r.Kind = i % 3 == 0 ? 'G' : 'L';
      r.Month = 1 + i % 12;
      r.Day = 1 + i % 28;
      r.Text = "anniversary " + std::to_string(i);
      table.Append(r);
    }
  }
  fs::current_path(old);
  withMainForm(dir, [&](calixo::CalixoApplication &app, TMainForm &form) {
    form.show();
    app.processEvents();
    changeMonthsPainted(state, form);
  });
  fs::remove(dir / "Calixo.ini");
  fs::remove(dir / "REPEATS.DBF");
}
BENCHMARK(BM_MonthChangePaintedWithAnniversaries)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  if (!std::getenv("QT_QPA_PLATFORM"))
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto &[n, dir] : g_folders) {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return 0;
}
