// A fresh temporary folder that is the current directory for one test, since
// every file the program touches is named relative to the current directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

class TempDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_old = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "calixo-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    std::filesystem::current_path(m_dir);
  }
  void TearDown() override {
    std::filesystem::current_path(m_old);
    std::error_code ec;
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(m_dir, ec);
  }
  const std::filesystem::path &dir() const { return m_dir; }

private:
  std::filesystem::path m_old, m_dir;
};
