// The table engine beside shapelib on the time-list schema: write-through
// appends, no-match scans and the pack. After the runs each pair is printed
// with its ratio (ours / shapelib).
#include "dbf.h"

#include <benchmark/benchmark.h>
#include <shapefil.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

const dbf::FieldDef kTimeList[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
                                   {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}};

bool timeListField(int index, dbf::FieldDef &def) {
  // Six fields, then an empty name that ends the list (and says go on).
  def = index >= 1 && index <= 6 ? kTimeList[index - 1] : dbf::FieldDef{};
  return true;
}

// Every benchmark works in one scratch folder that is removed at exit.
struct ScratchDir {
  fs::path old = fs::current_path();
  fs::path dir = fs::temp_directory_path() / ("calixo_dbf_bench_" + std::to_string(::getpid()));
  ScratchDir() {
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  ~ScratchDir() {
    fs::current_path(old);
    fs::remove_all(dir);
  }
};

DBFHandle createShapelibTable(const char *name) {
  DBFHandle h = DBFCreate(name);
  for (const auto &f : kTimeList)
    DBFAddField(h, f.name.c_str(), f.type == 'C' ? FTString : FTDouble, f.width, f.decimals);
  return h;
}

void writeShapelibRecord(DBFHandle h, int i) {
  DBFWriteDoubleAttribute(h, i, 0, 46000 + i % 365);
  DBFWriteDoubleAttribute(h, i, 1, (i % 48) / 48.0);
  DBFWriteIntegerAttribute(h, i, 2, i % 2);
  DBFWriteIntegerAttribute(h, i, 3, 0);
  DBFWriteIntegerAttribute(h, i, 4, 0);
  DBFWriteStringAttribute(h, i, 5, "plan text for the day");
}

// A time-list table of n records, every tenth marked deleted when asked,
// written with shapelib once (fast) and read by both sides.
void makeTable(const char *name, int n, bool deleteTenth) {
  DBFHandle h = createShapelibTable(name);
  for (int i = 0; i < n; ++i) {
    writeShapelibRecord(h, i);
    if (deleteTenth && i % 10 == 0)
      DBFMarkRecordDeleted(h, i, 1);
  }
  DBFClose(h);
}

void BM_Append10000_Ours(benchmark::State &state) {
  for (auto _ : state) {
    dbf::TDbfDataSet t("Bench");
    t.CreateTable("APPOURS", 'F', timeListField);
    t.SetTableName("APPOURS");
    t.Open();
    for (int i = 0; i < 10000; ++i) {
      t.Insert();
      t.FloatPut("DATE", 46000 + i % 365);
      t.FloatPut("TIME", (i % 48) / 48.0);
      t.IntegerPut("SET", i % 2);
      t.StringPut("DO", "plan text for the day");
      t.Post();
    }
    t.Close();
  }
}

void BM_Append10000_Shapelib(benchmark::State &state) {
  for (auto _ : state) {
    DBFHandle h = createShapelibTable("appshp.dbf");
    for (int i = 0; i < 10000; ++i) {
      writeShapelibRecord(h, i);
      DBFUpdateHeader(h);  // writes the record and the header and flushes
    }
    DBFClose(h);
  }
}

void BM_Scan100000_Ours(benchmark::State &state) {
  makeTable("SCAN.DBF", 100000, false);
  dbf::TDbfDataSet t("Bench");
  t.SetTableName("SCAN.DBF");
  t.Open();
  for (auto _ : state)
    benchmark::DoNotOptimize(t.Locate("DATE", dbf::LocateKey(1.0)));
  t.Close();
}

bool shapelibFind(DBFHandle h, double date) {
  const int n = DBFGetRecordCount(h);
  for (int i = 0; i < n; ++i)
    if (!DBFIsRecordDeleted(h, i) && DBFReadDoubleAttribute(h, i, 0) == date)
      return true;
  return false;
}

void BM_Scan100000_Shapelib(benchmark::State &state) {
  makeTable("SCAN.DBF", 100000, false);
  DBFHandle h = DBFOpen("SCAN.DBF", "rb");
  for (auto _ : state)
    benchmark::DoNotOptimize(shapelibFind(h, 1.0));
  DBFClose(h);
}

// The month-marking pattern: one Locate per day of a month with no entries.
void BM_Month31Locates_Ours(benchmark::State &state) {
  makeTable("MONTH.DBF", 10000, false);
  dbf::TDbfDataSet t("Bench");
  t.SetTableName("MONTH.DBF");
  t.Open();
  for (auto _ : state)
    for (int d = 1; d <= 31; ++d)
      benchmark::DoNotOptimize(t.Locate("DATE", dbf::LocateKey(double(50000 + d))));
  t.Close();
}

void BM_Month31Locates_Shapelib(benchmark::State &state) {
  makeTable("MONTH.DBF", 10000, false);
  DBFHandle h = DBFOpen("MONTH.DBF", "rb");
  for (auto _ : state)
    for (int d = 1; d <= 31; ++d)
      benchmark::DoNotOptimize(shapelibFind(h, 50000 + d));
  DBFClose(h);
}

void BM_Pack10000_Ours(benchmark::State &state) {
  makeTable("PACK.DBF", 10000, true);
  dbf::TDbfDataSet t("Bench");
  t.SetTableName("PACK.DBF");
  t.Open();
  for (auto _ : state)
    t.PackTo("pp");
  t.Close();
}

void BM_Pack10000_Shapelib(benchmark::State &state) {
  makeTable("PACK.DBF", 10000, true);
  DBFHandle src = DBFOpen("PACK.DBF", "rb");
  for (auto _ : state) {
    DBFHandle dst = DBFCloneEmpty(src, "ppshp.dbf");
    const int n = DBFGetRecordCount(src);
    int out = 0;
    for (int i = 0; i < n; ++i)
      if (!DBFIsRecordDeleted(src, i))
        DBFWriteTuple(dst, out++, const_cast<char *>(DBFReadTuple(src, i)));
    DBFClose(dst);
  }
  DBFClose(src);
}

BENCHMARK(BM_Append10000_Ours)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Append10000_Shapelib)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Scan100000_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan100000_Shapelib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Month31Locates_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Month31Locates_Shapelib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pack10000_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pack10000_Shapelib)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so the pairs can be compared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const auto &r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred)
        m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    std::printf("\n%-20s %14s %14s %8s\n", "case", "ours (ms)", "shapelib (ms)", "ratio");
    for (const char *name : {"Append10000", "Scan100000", "Month31Locates", "Pack10000"}) {
      const auto ours = m_times.find(std::string("BM_") + name + "_Ours/iterations:3");
      auto o = ours != m_times.end() ? ours : m_times.find(std::string("BM_") + name + "_Ours");
      auto s = m_times.find(std::string("BM_") + name + "_Shapelib/iterations:3");
      if (s == m_times.end())
        s = m_times.find(std::string("BM_") + name + "_Shapelib");
      if (o == m_times.end() || s == m_times.end())
        continue;
      std::printf("%-20s %14.3f %14.3f %8.3f\n", name, o->second, s->second, o->second / s->second);
    }
  }

private:
  std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char **argv) {
  ScratchDir scratch;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
