#include "filenames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
