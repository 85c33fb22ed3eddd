// The real program against what a user's folder may hold: damaged tables,
// odd settings, missing pictures and region files, a read-only folder. In
// every case the program keeps running (or refuses cleanly), reports a
// damaged table once through the general error report, and leaves the
// user's files exactly as they were.
#include "tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string readFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &p, const std::string &bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// The program in the test's folder with its standard error in a file, where
// the general error report writes every error it shows.
class Program {
public:
  Program(const fs::path &dir) : m_log(dir.parent_path() / (dir.filename().string() + ".stderr")) {
    m_pid = ::fork();
    if (m_pid == 0) {
      if (::chdir(dir.c_str()) != 0)
        ::_exit(126);
      const int fd = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, 2);
      ::setenv("QT_QPA_PLATFORM", "xcb", 1);
      ::execl(CALIXO_EXECUTABLE, CALIXO_EXECUTABLE, static_cast<char *>(nullptr));
      ::_exit(127);
    }
  }
  ~Program() {
    if (m_pid > 0 && running()) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    fs::remove(m_log, ec);
  }
  bool running() {
    int status = 0;
    return ::waitpid(m_pid, &status, WNOHANG) == 0;
  }
  std::string errors() const { return readFile(m_log); }
  // Waits until standard error holds text (or the time is up).
  bool waitForError(const std::string &text, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (errors().find(text) != std::string::npos)
        return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

private:
  pid_t m_pid = -1;
  fs::path m_log;
};

int countOf(const std::string &haystack, const std::string &needle) {
  int n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
    ++n;
  return n;
}

class Robustness : public TempDirTest {
protected:
  void copyShippedFiles() {
    for (const auto &f : fs::directory_iterator(CALIXO_RUNTIME_DATA_DIR))
      fs::copy_file(f.path(), dir() / f.path().filename(), fs::copy_options::overwrite_existing);
  }
};

// A valid time-list table of one record, built byte by byte so the test does
// not trust the engine it checks.
std::string timeListTable() {
  std::string h(32, '\0');
  h[0] = 0x03; h[1] = 126; h[2] = 12; h[3] = 8;
  h[4] = 1;
  h[8] = static_cast<char>(225 & 0xFF); h[9] = 0;
  h[10] = static_cast<char>(285 & 0xFF); h[11] = static_cast<char>(285 >> 8);
  struct F { const char *name; char type; int width, dec; };
  const F fields[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
                      {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}};
  std::string d;
  for (const F &f : fields) {
    std::string desc(32, '\0');
    desc.replace(0, std::string(f.name).size(), f.name);
    desc[11] = f.type;
    desc[16] = static_cast<char>(f.width);
    desc[17] = static_cast<char>(f.dec);
    d += desc;
  }
  std::string rec = " ";
  rec += "  46364.00";
  rec += "0.31250000000000000000";
  rec += "100";
  rec += std::string("get up").append(243, ' ');
  return h + d + "\x0d" + rec + "\x1a";
}

struct DamagedTable {
  const char *name;
  std::string (*bytes)();
  const char *expected;  // in the error report
};

const DamagedTable kDamaged[] = {
    {"BadVersionByte", [] { std::string t = timeListTable(); t[0] = 0x04; return t; },
     "dBase DBF file header invalid"},
    {"HeaderLengthBeyondTheFile",
     [] { std::string t = timeListTable(); t[8] = '\xff'; t[9] = '\x7f'; return t; },
     "dBase DBF file header invalid"},
    {"RecordLengthSmallerThanItsFields",
     [] { std::string t = timeListTable(); t[10] = 20; t[11] = 0; return t; },
     "dBase DBF file header invalid"},
    {"ZeroLengthFile", [] { return std::string(); }, "dBase DBF file header invalid"},
    {"CutInsideTheHeader", [] { return timeListTable().substr(0, 100); },
     "dBase DBF file header invalid"},
    {"OtherFields",
     [] { std::string t = timeListTable(); t.replace(32, 4, "WHEN"); return t; }, "TimeList"},
};

class DamagedTimeList : public Robustness, public ::testing::WithParamInterface<DamagedTable> {};

TEST_P(DamagedTimeList, IsReportedOnceAndLeftUntouched) {
  copyShippedFiles();
  const std::string bytes = GetParam().bytes();
  writeFile(dir() / "TimeList.dbf", bytes);
  Program calixo(dir());
  EXPECT_TRUE(calixo.waitForError("calixo: ", 20s)) << "no error report";
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  const std::string errors = calixo.errors();
  EXPECT_EQ(countOf(errors, "calixo: "), 1) << errors;
  EXPECT_NE(errors.find(GetParam().expected), std::string::npos) << errors;
  EXPECT_EQ(readFile(dir() / "TimeList.dbf"), bytes) << "the damaged file was changed";
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedTimeList, ::testing::ValuesIn(kDamaged),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Robustness, TruncatedLastRecordIsReadAsFarAsItIsWhole) {
  copyShippedFiles();
  std::string bytes = timeListTable();
  bytes += bytes.substr(225, 100);  // half of a second record, no end marker
  writeFile(dir() / "TimeList.dbf", bytes);
  Program calixo(dir());
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(calixo.running());
  EXPECT_EQ(countOf(calixo.errors(), "calixo: "), 0) << calixo.errors();
  EXPECT_EQ(readFile(dir() / "TimeList.dbf"), bytes);
}

TEST_F(Robustness, LettersInANumericFieldAreReportedAndKept) {
  copyShippedFiles();
  std::string bytes = timeListTable();
  bytes.replace(226, 10, "  tomorrow");  // DATE of the only record
  writeFile(dir() / "TimeList.dbf", bytes);
  Program calixo(dir());
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(calixo.running());
  EXPECT_EQ(readFile(dir() / "TimeList.dbf"), bytes);
}

TEST_F(Robustness, MissingPicturesAndRegionFilesDoNotStopTheProgram) {
  // No region files, no calixo.bmp: every region file is named in a message
  // box, which blocks start-up until the user answers; the program lives on.
  Program calixo(dir());
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  EXPECT_TRUE(fs::exists(dir() / "Calixo.ini"));
}

TEST_F(Robustness, EmptyRegionFilesAreNoShapeAndNoError) {
  copyShippedFiles();
  for (const char *name : {"CALIXOBL.EXB", "Zuimage.EXB", "CALIXOBLR.EXB", "CALIXOTOP.EXB", "CalixoMb.EXB"})
    writeFile(dir() / name, "");
  Program calixo(dir());
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(calixo.running());
  EXPECT_EQ(countOf(calixo.errors(), "calixo: "), 0) << calixo.errors();
}

TEST_F(Robustness, OddSettingsFilesAreReadWithoutHarm) {
  const std::string odd[] = {
      "no sections at all\r\nB6=x\r\n",
      "[Picture]\r\n" + std::string(10000, 'A') + "\r\n[Button]\r\nB6=" + std::string(10000, 'b') + "\r\n",
      "[Button]\r\nB6=\xff\xfe\x80\x81 bad bytes\r\n[Button]\r\nB6=second\r\nB6=third\r\n",
  };
  for (const std::string &ini : odd) {
    SCOPED_TRACE(ini.substr(0, 40));
    copyShippedFiles();
    writeFile(dir() / "Calixo.ini", ini);
    {
      Program calixo(dir());
      std::this_thread::sleep_for(3s);
      EXPECT_TRUE(calixo.running());
      EXPECT_EQ(countOf(calixo.errors(), "calixo: "), 0) << calixo.errors();
    }
    EXPECT_EQ(readFile(dir() / "Calixo.ini"), ini) << "the settings file is only ever read";
  }
}

TEST_F(Robustness, ReadOnlyFolderStillStarts) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root writes into read-only folders";
  copyShippedFiles();
  fs::permissions(dir(), fs::perms::owner_read | fs::perms::owner_exec);
  Program calixo(dir());
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
}

}  // namespace
