// The real program against what a user's folder may hold: damaged tables,
// odd settings, missing pictures and region files, a read-only folder. In
// every case the program keeps running (or refuses cleanly), reports a
// damaged table once through the general error report, and leaves the
// user's files exactly as they were.
#include "robust_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace robust;

class Robustness : public TempDirTest {
protected:
  void copyShippedFiles() { robust::copyShippedFiles(dir()); }
};

struct FieldBytes {
  const char *name;
  char type;
  int width, dec;
};

// A dBase III table built byte by byte, so the test does not trust the
// engine it checks: the header, the field descriptors, the records (each
// given as the text of its fields, deletion flag left out) and the end mark.
std::string tableBytes(const std::vector<FieldBytes> &fields, const std::vector<std::string> &records) {
  int recordLength = 1;
  for (const FieldBytes &f : fields)
    recordLength += f.width;
  const int headerLength = 32 * (static_cast<int>(fields.size()) + 1) + 1;
  std::string h(32, '\0');
  h[0] = 0x03; h[1] = 126; h[2] = 12; h[3] = 8;
  h[4] = static_cast<char>(records.size());
  h[8] = static_cast<char>(headerLength & 0xFF); h[9] = static_cast<char>(headerLength >> 8);
  h[10] = static_cast<char>(recordLength & 0xFF); h[11] = static_cast<char>(recordLength >> 8);
  for (const FieldBytes &f : fields) {
    std::string desc(32, '\0');
    desc.replace(0, std::string(f.name).size(), f.name);
    desc[11] = f.type;
    desc[16] = static_cast<char>(f.width);
    desc[17] = static_cast<char>(f.dec);
    h += desc;
  }
  h += '\x0d';
  for (const std::string &r : records)
    h += " " + r;
  return h + "\x1a";
}

// The time table with one entry, "get up" at 7:30 on 8 December 2026.
std::string timeListTable() {
  return tableBytes({{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
                     {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}},
                    {"  46364.000.31250000000000000000100" + std::string("get up").append(243, ' ')});
}

// The memo table with one memo whose note is pinned.
std::string textListTable() {
  return tableBytes({{"DATETIME", 'N', 30, 20}, {"LOCK", 'N', 1, 0}, {"SHOW", 'N', 1, 0},
                     {"X", 'N', 8, 0}, {"Y", 'N', 8, 0}, {"TEXT", 'C', 249, 0}},
                    {"    46364.31250000000000000000" "0" "1" "       0" "       0" +
                     std::string("buy milk").append(241, ' ')});
}

// The two tables of the program, each checked with the same damages.
struct TableKind {
  const char *name;
  const char *file;
  std::string (*valid)();
  std::string (*other)();  // the other table, whose fields this one does not have
  int headerLength, recordLength, firstFieldWidth;
  const char *wrongFields;   // what the report says of a file with other fields
  const char *badNumber;     // what the report says of letters in a numeric field; nullptr: no report
};

const TableKind kTimeList{"TimeList", "TimeList.dbf", timeListTable, textListTable, 225, 285, 10,
                          "is not a valid time table",
                          // The time list reads its entries quietly and
                          // shows what it could read.
                          nullptr};
const TableKind kTextList{"TextList", "TextList.dbf", textListTable, timeListTable, 225, 298, 30,
                          "is not a valid memo table", "Invalid number in field"};

struct Damage {
  const char *name;
  std::string (*bytes)(const TableKind &);
  // The text the one report holds; nullptr when the file is read without any.
  const char *(*expected)(const TableKind &);
  // The table is opened all the same (its whole records are shown): a memo
  // added goes into it, behind the last whole record.
  bool opened = false;
};

const char *headerInvalid(const TableKind &) { return "dBase DBF file header invalid"; }

const Damage kDamages[] = {
    {"BadVersionByte", [](const TableKind &k) { std::string t = k.valid(); t[0] = 0x04; return t; },
     headerInvalid},
    {"HeaderLengthBeyondTheFile",
     [](const TableKind &k) { std::string t = k.valid(); t[8] = '\xff'; t[9] = '\x7f'; return t; },
     headerInvalid},
    {"RecordLengthSmallerThanItsFields",
     [](const TableKind &k) { std::string t = k.valid(); t[10] = 20; t[11] = 0; return t; },
     headerInvalid},
    {"ZeroLengthFile", [](const TableKind &) { return std::string(); }, headerInvalid},
    {"CutInsideTheHeader", [](const TableKind &k) { return k.valid().substr(0, 100); }, headerInvalid},
    {"RenamedField",
     [](const TableKind &k) { std::string t = k.valid(); t.replace(32, 4, "WHEN"); return t; },
     [](const TableKind &k) { return k.wrongFields; }},
    {"AnotherTablesFields", [](const TableKind &k) { return k.other(); },
     [](const TableKind &k) { return k.wrongFields; }},
    {"LettersInANumericField",
     [](const TableKind &k) {
       std::string t = k.valid();
       t.replace(static_cast<size_t>(k.headerLength + 1), static_cast<size_t>(k.firstFieldWidth),
                 std::string(static_cast<size_t>(k.firstFieldWidth - 8), ' ') + "tomorrow");
       return t;
     },
     [](const TableKind &k) { return k.badNumber; }},
    // Half of a second record and no end mark: read as far as it is whole,
    // and the user is told that the end is damaged.
    {"TruncatedLastRecord",
     [](const TableKind &k) {
       std::string t = k.valid();
       t.pop_back();
       return t + t.substr(static_cast<size_t>(k.headerLength), static_cast<size_t>(k.recordLength / 2));
     },
     [](const TableKind &) { return "的末尾已损坏"; }, true},
};

class DamagedTable : public Robustness,
                     public ::testing::WithParamInterface<std::tuple<TableKind, Damage>> {};

TEST_P(DamagedTable, IsReportedOnceAndLeftUntouched) {
  const auto &[kind, damage] = GetParam();
  copyShippedFiles();
  const std::string bytes = damage.bytes(kind);
  writeFile(dir() / kind.file, bytes);
  // On the date of the tables' records, before their 7:30: nothing of them
  // comes due or counts as missed while the test runs, whatever the date.
  ProgramOptions opt;
  opt.fakeStart = "2026-12-08 06:00:00";
  Program calixo(dir(), opt);
  const char *expected = damage.expected(kind);
  if (expected) {
    EXPECT_TRUE(calixo.waitForError("calixo: ", 20s)) << "no error report";
  }
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  const std::string errors = calixo.errors();
  EXPECT_EQ(countOf(errors, "calixo: "), expected ? 1 : 0) << errors;
  if (expected) {
    EXPECT_NE(errors.find(expected), std::string::npos) << errors;
  }
  EXPECT_EQ(readFile(dir() / kind.file), bytes) << "the damaged file was changed";

  // The report's box waits for the user; once it is answered start-up goes
  // on and the other table is created beside the damaged one.
  if (expected) {
    EXPECT_TRUE(Xdo().run("key Return"));
  }
  const char *otherFile = std::string(kind.file) == kTimeList.file ? kTextList.file : kTimeList.file;
  const auto created = std::chrono::steady_clock::now() + 20s;
  while (findFile(dir(), otherFile).empty() && std::chrono::steady_clock::now() < created)
    std::this_thread::sleep_for(100ms);
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  // An empty table of the other kind: header, six descriptors, end of header, end mark.
  EXPECT_EQ(readFile(findFile(dir(), otherFile)).size(), 226u) << otherFile << " was not created";

  // The user goes on and adds a memo with the memo list's add button: it
  // lands in a sound memo table, and never in a refused one.
  const Xdo x;
  const Window main = x.waitForWindow(calixo.pid(), 586, 353, 10s);
  ASSERT_NE(main.id, 0u) << "no main window";
  ASSERT_TRUE(x.clickAt(main.x + 528 + 12, main.y + 131 + 12));  // ImageGreen
  const Window memo = x.waitForWindow(calixo.pid(), 267, 298, 5s);
  ASSERT_NE(memo.id, 0u) << "the green button opened no memo list";
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(x.clickAt(memo.x + 41 + 10, memo.y + 225 + 10));  // ImageADD
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  if (std::string(kind.file) == kTimeList.file) {
    EXPECT_EQ(readFile(findFile(dir(), kTextList.file)).size(), 226u + 298u) << "no memo was added";
    EXPECT_EQ(readFile(dir() / kind.file), bytes) << "the damaged file was changed";
  } else if (damage.opened) {
    // The memo takes the place of the broken bytes: one whole record, the new one, the end mark.
    EXPECT_EQ(readFile(dir() / kind.file).size(),
              static_cast<size_t>(kind.headerLength + 2 * kind.recordLength + 1));
  } else if (expected) {
    EXPECT_EQ(readFile(dir() / kind.file), bytes) << "a memo was written into the refused table";
  }
}

void PrintTo(const TableKind &k, std::ostream *os) { *os << k.name; }
void PrintTo(const Damage &d, std::ostream *os) { *os << d.name; }

INSTANTIATE_TEST_SUITE_P(Cases, DamagedTable,
                         ::testing::Combine(::testing::Values(kTimeList, kTextList),
                                            ::testing::ValuesIn(kDamages)),
                         [](const auto &info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

TEST_F(Robustness, MissingPicturesAndRegionFilesDoNotStopTheProgram) {
  // No region files, no calixo.bmp: every region file is named in a message
  // box, which blocks start-up until the user answers; the program lives on.
  Program calixo(dir());
  // The settings are written early in start-up; a loaded machine may take a
  // while to get there.
  for (int i = 0; i < 300 && !fs::exists(dir() / "Calixo.ini"); ++i)
    std::this_thread::sleep_for(100ms);
  std::this_thread::sleep_for(1s);
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

// Without calixo.bmp the month picture has nothing to fall back on: one
// report names the file and the program goes on without a picture.
TEST_F(Robustness, MissingDefaultPictureIsReportedOnce) {
  copyShippedFiles();
  fs::remove(dir() / "calixo.bmp");
  Program calixo(dir());
  EXPECT_TRUE(calixo.waitForError("calixo: ", 20s)) << "no error report";
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(calixo.running()) << calixo.errors();
  const std::string errors = calixo.errors();
  EXPECT_EQ(countOf(errors, "calixo: "), 1) << errors;
  EXPECT_NE(errors.find("calixo.bmp"), std::string::npos) << errors;
  EXPECT_FALSE(fs::exists(dir() / "calixo.bmp"));
  EXPECT_FALSE(findFile(dir(), "TimeList.dbf").empty()) << "start-up stopped at the picture";
}

// A folder the user may not write to: nothing can be created, each failure
// is reported, and the program still runs. Root may write anywhere, so as
// root the program runs as the unprivileged "nobody": a copy of it, the
// folder and a copy of the display's key it can read all lie in a scratch
// folder that "nobody" can reach wherever the checkout is.
TEST_F(Robustness, ReadOnlyFolderStillStarts) {
  fs::path folder = dir();
  ProgramOptions opt;
  std::unique_ptr<SharedScratch> shared;
  if (::geteuid() == 0) {
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
      GTEST_SKIP() << "root writes into read-only folders and there is no other user";
    opt.uid = nobody->pw_uid;
    opt.gid = nobody->pw_gid;
    shared = std::make_unique<SharedScratch>();
    ASSERT_TRUE(shared->valid()) << "no folder that every user may enter";
    opt.executable = shared->executable().string();
    folder = shared->root() / "data";
    ASSERT_TRUE(fs::create_directory(folder));
    ASSERT_EQ(::chown(folder.c_str(), opt.uid, opt.gid), 0);
    if (const char *auth = std::getenv("XAUTHORITY")) {
      const fs::path key = shared->root() / "xauth";
      fs::copy_file(auth, key);
      ASSERT_EQ(::chown(key.c_str(), opt.uid, opt.gid), 0);
      opt.xauthority = key.string();
    }
  }
  robust::copyShippedFiles(folder);
  std::vector<std::string> before;
  for (const auto &f : fs::directory_iterator(folder))
    before.push_back(f.path().filename().string());
  std::sort(before.begin(), before.end());
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  {
    Program calixo(folder, opt);
    EXPECT_TRUE(calixo.waitForError("calixo: ", 20s)) << "the failed creation was not reported";
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(calixo.running()) << calixo.errors();
    // The time table cannot be created: the engine's text for it.
    EXPECT_NE(calixo.errors().find("File access denied"), std::string::npos) << calixo.errors();
  }
  fs::permissions(folder, fs::perms::owner_all);
  std::vector<std::string> after;
  for (const auto &f : fs::directory_iterator(folder))
    after.push_back(f.path().filename().string());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before) << "a file appeared in the read-only folder";
}

}  // namespace
