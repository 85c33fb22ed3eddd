// The lunar labels of one month view in festival mode: 42 cells, each
// converted with its next day and labelled by festival, solar term or lunar
// day, as the month grid does on every repaint.
#include "lunar.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

namespace {

void BM_FestivalModeMonthLabels(benchmark::State &state) {
  // February 2000: 除夕 on 立春, 春节, 元宵 on 雨水; six weeks from 30 January.
  const int year = 2000;
  for (auto _ : state) {
    int month = 1, day = 30;
    size_t bytes = 0;
    std::optional<lunar::LunarDate> today = lunar::SolarToLunar(year - 1911, month, day);
    for (int cell = 0; cell < 42; ++cell) {
      int nextMonth = month, nextDay = day + 1;
      if (nextDay > lunar::SolarMonthLength(year, month)) {
        nextDay = 1;
        ++nextMonth;
      }
      const std::optional<lunar::LunarDate> next = lunar::SolarToLunar(year - 1911, nextMonth, nextDay);
      const lunar::DayLabel label = lunar::FestivalModeLabel(year, month, day, *today, *next);
      bytes += label.text.size() + (label.special ? 1 : 0);
      today = next;
      month = nextMonth;
      day = nextDay;
    }
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_FestivalModeMonthLabels)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
