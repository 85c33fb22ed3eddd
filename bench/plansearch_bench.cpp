// The plan search over an archive of 100,000 plans: a text that a few plans
// hold, one that every tenth plan holds, and one that none holds.
#include "plansearch.h"

#include "timetable.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Archive {
  fs::path dir;
  dbf::TDbfDataSet table{"TimeHistory"};
  explicit Archive(int n) {
    std::string pattern = (fs::temp_directory_path() / "calixo-search-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      std::abort();
    dir = pattern;
    fs::current_path(dir);
    const auto &schema = timeTableSchema();
    table.CreateTable("TIMEHIST.DBF", 'F', [&schema](int i, dbf::FieldDef &def) {
      def = i >= 1 && i <= 6 ? schema[static_cast<size_t>(i - 1)] : dbf::FieldDef{};
      return true;
    });
    table.SetTableName("TIMEHIST.DBF");
    table.Open();
    for (int i = 0; i < n; ++i) {
      table.Insert();
      table.FloatPut("DATE", 40000.0 + i / 10);
      table.FloatPut("TIME", (i % 48) / 48.0);
      // GBK "会议" in every tenth plan, a rare word in every 10,000th.
      std::string text = "plan " + std::to_string(i) + (i % 10 == 0 ? " \xbb\xe1\xd2\xe9" : " walk the dog");
      if (i % 10000 == 0)
        text += " dentist";
      table.StringPut("DO", text);
      table.Post();
    }
  }
  ~Archive() {
    table.Close();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

Archive &archive() {
  static Archive a(100000);
  return a;
}

void search(benchmark::State &state, const std::string &text) {
  Archive &a = archive();
  const std::vector<TPlanSource> sources = {[&a](const std::string &n, std::vector<SFoundPlan> &out) {
    FindPlansInTable(a.table, n, true, out);
  }};
  size_t found = 0;
  for (auto _ : state) {
    const auto hits = FindPlans(text, sources);
    found = hits.size();
    benchmark::DoNotOptimize(hits.data());
  }
  state.counters["plans"] = a.table.RecordCount();
  state.counters["found"] = static_cast<double>(found);
}

void BM_SearchArchiveRare(benchmark::State &state) { search(state, "Dentist"); }
void BM_SearchArchiveChinese(benchmark::State &state) { search(state, "\xbb\xe1\xd2\xe9"); }
void BM_SearchArchiveNone(benchmark::State &state) { search(state, "xyzzy"); }
BENCHMARK(BM_SearchArchiveRare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchArchiveChinese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchArchiveNone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
