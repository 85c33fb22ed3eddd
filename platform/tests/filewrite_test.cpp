#include "filewrite.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string readFile(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FileWrite : public TempDirTest {};

// A replaced file holds the new bytes; a failed replacement leaves the old
// file as it was and no scratch file behind.
TEST_F(FileWrite, ReplaceIsWholeOrNothing) {
  std::ofstream("data.txt", std::ios::binary) << "old";
  EXPECT_EQ(calixo::replaceFile("data.txt", std::string(100000, 'x')), 0);
  EXPECT_EQ(readFile("data.txt"), std::string(100000, 'x'));
  EXPECT_FALSE(std::filesystem::exists("data.txt.part"));

  EXPECT_EQ(calixo::replaceFile("no-such-folder/data.txt", "new"), ENOENT);
  // The name is a folder: the scratch file is written, the rename fails.
  std::filesystem::create_directory("folder");
  EXPECT_EQ(calixo::replaceFile("folder", "new", ".new"), EISDIR);
  EXPECT_FALSE(std::filesystem::exists("folder.new"));
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
}

}  // namespace
