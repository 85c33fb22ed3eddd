// Scratch tables of processes that no longer run are removed; those of
// running processes and files that only look alike are left alone.
#include "scratchtable.h"
#include "tempdir.h"

#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class ScratchTable : public TempDirTest {};

TEST_F(ScratchTable, OnlyThoseOfEndedProcessesAreRemoved) {
  const pid_t ended = ::fork();
  ASSERT_GE(ended, 0);
  if (ended == 0)
    ::_exit(0);
  ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
  const std::string own = calixo::scratchTableName();
  EXPECT_EQ(own, "pp" + std::to_string(::getpid()));
  const struct {
    std::string name;
    bool kept;
  } rows[] = {
      {"pp" + std::to_string(ended) + ".dbf", false},
      {"PP" + std::to_string(ended) + ".DBF", false},
      {"PP" + std::to_string(::getpid()) + ".DBF", true},
      {"pp" + std::to_string(::getppid()) + ".dbf", true},
      {"pp" + std::to_string(ended) + ".dbf.bak", true},
      {"ppx.dbf", true},
      {"TIMELIST.DBF", true},
  };
  for (const auto &r : rows)
    std::ofstream(r.name) << "x";
  calixo::removeLeftScratchTables();
  for (const auto &r : rows)
    EXPECT_EQ(std::filesystem::exists(r.name), r.kept) << r.name;
}

}  // namespace
