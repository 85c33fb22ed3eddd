// Shared pieces of the table engine tests: the two schemas the program
// creates, a fixed clock, and a table in memory or in a fresh directory.
#pragma once

#include "clock.h"
#include "dbf.h"
#include "fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace dbftest {

inline std::vector<dbf::FieldDef> timeListSchema() {
  return {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
          {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}};
}

inline std::vector<dbf::FieldDef> memoListSchema() {
  return {{"DATETIME", 'N', 30, 20}, {"LOCK", 'N', 1, 0}, {"SHOW", 'N', 1, 0},
          {"X", 'N', 8, 0}, {"Y", 'N', 8, 0}, {"TEXT", 'C', 249, 0}};
}

// The callback CreateTable asks: the schema's fields, then an empty name.
inline dbf::FieldListCallback fieldsOf(std::vector<dbf::FieldDef> defs) {
  return [defs](int index, dbf::FieldDef &def) {
    if (index <= static_cast<int>(defs.size()))
      def = defs[static_cast<size_t>(index - 1)];
    return true;
  };
}

// 2026-12-08 10:20:30.400, so dates and change stamps are known.
inline const calixo::LocalDateTime kNow{2026, 12, 8, 10, 20, 30, 400};
inline constexpr uint32_t kStamp = ((10u * 64 + 20) * 64 + 30) * 1024 + 400;

inline uint32_t le32(const std::string &s, size_t off) {
  return static_cast<uint8_t>(s[off]) | static_cast<uint8_t>(s[off + 1]) << 8 |
         static_cast<uint8_t>(s[off + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[off + 3])) << 24;
}
inline uint16_t le16(const std::string &s, size_t off) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[off]) | static_cast<uint8_t>(s[off + 1]) << 8);
}

// A time-list table in memory, open in a component named DbfDataSetTIMELIST.
class MemoryTable : public ::testing::Test {
protected:
  void SetUp() override {
    calixo::setClock(&m_clock);
    ASSERT_TRUE(m_ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
    m_ds.SetTableName("TIMELIST");
    m_ds.Open();
  }
  void TearDown() override { calixo::setClock(nullptr); }

  // Appends a record the way the program does: bottom, insert, puts, post.
  void add(double date, const std::string &text, double time = 0.5, int set = 0) {
    m_ds.Last();
    m_ds.Insert();
    m_ds.FloatPut("DATE", date);
    m_ds.FloatPut("TIME", time);
    m_ds.IntegerPut("SET", set);
    m_ds.StringPut("DO", text);
    m_ds.Post();
  }
  void markDeleted(int n) {
    m_ds.GotoPhysical(n);
    m_ds.Delete();
  }
  std::string bytes() { return m_fs.contents("TIMELIST.DBF"); }

  calixo::ManualClock m_clock{kNow};
  dbf::MemoryFileSystem m_fs;
  dbf::TDbfDataSet m_ds{"DbfDataSetTIMELIST", &m_fs};
};

// A fresh directory that is the current directory for one test.
class DiskTest : public ::testing::Test {
protected:
  void SetUp() override {
    calixo::setClock(&m_clock);
    m_old = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "calixo-dbf-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    std::filesystem::current_path(m_dir);
  }
  void TearDown() override {
    calixo::setClock(nullptr);
    std::filesystem::current_path(m_old);
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  calixo::ManualClock m_clock{kNow};
  std::filesystem::path m_old, m_dir;
};

}  // namespace dbftest
