#include "filenames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(FileNames, LettersMatchRegardlessOfCase) {
  const fs::path dir = fs::temp_directory_path() / ("calixo-names-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "TIMELIST.DBF") << "x";
  const std::string asked = (dir / "TimeList.dbf").string();
  EXPECT_EQ(calixo::resolveFileName(asked), (dir / "TIMELIST.DBF").string());
  EXPECT_TRUE(calixo::fileExists(asked));
  EXPECT_FALSE(calixo::fileExists((dir / "TextList.dbf").string()));
  // A new name is used as given.
  EXPECT_EQ(calixo::resolveFileName((dir / "pp.dbf").string()), (dir / "pp.dbf").string());

  std::ofstream(dir / "PP.DBF") << "packed";
  EXPECT_EQ(calixo::renameFile((dir / "pp.dbf").string(), asked), 0);
  EXPECT_FALSE(fs::exists(dir / "PP.DBF"));
  std::ifstream in(dir / "TIMELIST.DBF");
  std::string content;
  in >> content;
  EXPECT_EQ(content, "packed");
  EXPECT_EQ(calixo::removeFile(asked), 0);
  EXPECT_NE(calixo::removeFile(asked), 0);
  fs::remove_all(dir);
}

// The one reader of whole files (settings, region files, pictures, note
// positions): only regular files, never blocking, never far too large.
TEST(FileNames, ReadRegularFileRefusesWhatIsNoFile) {
  const fs::path dir = fs::temp_directory_path() / ("calixo-read-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "small") << "12345";
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  fs::create_directory(dir / "folder");
  struct Row {
    const char *name;
    uint64_t max;
    int err;
    const char *bytes;
  };
  const Row rows[] = {
      {"small", 5, 0, "12345"},         {"small", 4, EFBIG, ""},    {"fifo", 100, ENODEV, ""},
      {"folder", 100, ENODEV, ""},      {"missing", 100, ENOENT, ""},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.name);
    std::string out = "old";
    EXPECT_EQ(calixo::readRegularFile((dir / r.name).string(), out, r.max), r.err);
    EXPECT_EQ(out, r.bytes);
  }
  std::string device;
  EXPECT_EQ(calixo::readRegularFile("/dev/zero", device, 100), ENODEV);
  fs::remove_all(dir);
}
