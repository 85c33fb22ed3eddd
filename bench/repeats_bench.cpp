// The occurrences of a month for 1,000 anniversaries, as the grid asks on
// every month change, and the minute's look for due reminders over them.
#include "clock.h"
#include "repeats.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Lunar dates (leap months and day 0 among them) and Gregorian ones, mixed.
std::vector<repeats::SREPEATDATA> anniversaries(int n) {
  std::vector<repeats::SREPEATDATA> list;
  for (int i = 0; i < n; ++i) {
    repeats::SREPEATDATA r;
    r.Kind = i % 3 == 0 ? 'G' : 'L';
    r.Month = 1 + i % 12;
    if (r.Kind == 'L' && i % 7 == 0)
      r.Month = -r.Month;
    r.Day = i % 31 == 0 ? 0 : 1 + i % (r.Kind == 'G' ? 28 : 30);
    r.SetFlag = 1;
    r.Hour = 8;
    r.Ahead = i % 10;
    list.push_back(r);
  }
  return list;
}

void BM_OccurrencesInMonth(benchmark::State &state) {
  const auto list = anniversaries(static_cast<int>(state.range(0)));
  int month = 0;
  for (auto _ : state) {
    // January and February cross the lunar new year; the rest do not.
    const auto found = repeats::occurrencesInMonth(list, 2026, 1 + month++ % 12, lunar::LunarTable::Extended);
    benchmark::DoNotOptimize(found.data());
  }
}
BENCHMARK(BM_OccurrencesInMonth)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_RemindersDue(benchmark::State &state) {
  const auto list = anniversaries(static_cast<int>(state.range(0)));
  const int64_t today = calixo::dayNumber(2026, 9, 22);
  for (auto _ : state) {
    const auto due = repeats::remindersDue(list, today, 8, 0, lunar::LunarTable::Extended);
    benchmark::DoNotOptimize(due.data());
  }
}
BENCHMARK(BM_RemindersDue)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
