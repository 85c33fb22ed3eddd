// Fuzz target: arbitrary bytes opened as a table file, every field of every
// record read by name and by position, and a Locate over the whole table. The engine must refuse or
// read; it must never read outside the file or crash.
#include "dbf.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path = [] {
    const char *tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/calixo_dbf_fuzz_" +
           std::to_string(::getpid()) + ".dbf";
  }();
  if (FILE *f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  try {
    dbf::TDbfDataSet table("Fuzz");
    table.SetTableName(path);
    table.Open();
    const auto fields = table.Fields();
    const int count = table.RecordCount();
    for (int n = 1; n <= count; ++n) {
      table.GotoPhysical(n);
      (void)table.CurrentDeleted();
      for (size_t i = 0; i < fields.size(); ++i) {
        const auto &f = fields[i];
        try {
          (void)table.StringGet(f.name);
          (void)table.StringGetAt(static_cast<int>(i));
          if (f.type == 'N' || f.type == 'F') {
            (void)table.FloatGet(f.name);
            (void)table.FloatGetAt(static_cast<int>(i));
          }
        } catch (const std::exception &) {
          // a field that does not read is an answer, not a fault
        }
      }
    }
    if (!fields.empty()) {
      (void)table.Locate(fields.front().name, dbf::LocateKey(36526.0));
      (void)table.Locate(fields.front().name, dbf::LocateKey(std::string("x")));
    }
    table.Close();
  } catch (const std::exception &) {
    // refused: fine
  }
  std::remove(path.c_str());
  return 0;
}
