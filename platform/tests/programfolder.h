// A widget test in a program folder of its own: the shipped data files
// (region files, the default month picture) copied into a fresh current
// directory, the clock stopped at the fixture's start time, and every
// message the program would show collected in `messages` instead.
#pragma once

#include "clock.h"
#include "tempdir.h"
#include "ui.h"

#include <QString>

#include <filesystem>
#include <vector>

class ProgramFolderTest : public TempDirTest {
protected:
  explicit ProgramFolderTest(calixo::LocalDateTime start) : clock(start) {}

  calixo::ManualClock clock;
  std::vector<QString> messages;

  void SetUp() override {
    TempDirTest::SetUp();
    for (const auto &f : std::filesystem::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
      std::filesystem::copy_file(f.path(), dir() / f.path().filename());
    calixo::setClock(&clock);
    calixo::setMessageHook([this](const QString &t) { messages.push_back(t); });
  }
  // Windows are to be gone before this runs: they may show messages or ask
  // the time while they close.
  void TearDown() override {
    calixo::setMessageHook(nullptr);
    calixo::setClock(nullptr);
    TempDirTest::TearDown();
  }
};
