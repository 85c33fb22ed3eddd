// SetRgn through the shared library: a region file shapes the window, a
// block that is no region clears the shape without a word, a file that
// cannot be read gives ".exb 没有找到" and leaves the shape alone, and the
// result is -1 every time. Runs in a folder of its own, like the program.
#include "contoura.h"
#include "rgnbytes.h"

#include "ui.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using contoura_test::rgnBlock;
using contoura_test::rgnOf;

const QString kMissing = QStringLiteral(".exb 没有找到");

class SetRgnTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_oldDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    calixo::setMessageHook([this](const QString &text) { m_messages.push_back(text); });
  }
  void TearDown() override {
    calixo::setMessageHook(nullptr);
    QDir::setCurrent(m_oldDir);
  }
  static void write(const char *name, const std::string &bytes) {
    QFile f(QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
  }

  QTemporaryDir m_dir;
  QString m_oldDir;
  std::vector<QString> m_messages;
};

// What SetRgn leaves on a window that had the shape kBefore.
const QRegion kBefore(QRect(3, 3, 10, 10));
enum class Outcome { Shaped, Cleared, Unchanged };

struct Row {
  const char *name;
  std::optional<std::string> file;  // nullopt: no file of that name
  const char *askedName;
  Outcome outcome;
  QRegion shape;  // for Shaped
  bool message;
};

TEST_F(SetRgnTest, ShapesClearsOrReportsAsTheFileSays) {
  const std::vector<Row> rows = {
      {"one rectangle over the whole window", rgnOf({{0, 0, 100, 80}}), "A.EXB", Outcome::Shaped,
       QRegion(0, 0, 100, 80), false},
      {"two rectangles", rgnOf({{10, 0, 90, 2}, {0, 2, 100, 80}}), "A.EXB", Outcome::Shaped,
       QRegion(10, 0, 80, 2).united(QRegion(0, 2, 100, 78)), false},
      {"empty rectangles are skipped", rgnOf({{5, 5, 5, 9}, {9, 9, 4, 4}, {1, 1, 2, 2}}), "A.EXB",
       Outcome::Shaped, QRegion(1, 1, 1, 1), false},
      {"name in another case", rgnOf({{0, 0, 4, 4}}), "a.exb", Outcome::Shaped, QRegion(0, 0, 4, 4),
       false},
      {"zero-length file", std::string(), "A.EXB", Outcome::Cleared, {}, false},
      {"wrong header size", rgnBlock(40, 1, 0, 0, {}), "A.EXB", Outcome::Cleared, {}, false},
      {"count beyond the file", rgnBlock(32, 1, 3, 48, {{0, 0, 1, 1}}), "A.EXB", Outcome::Cleared,
       {}, false},
      {"valid block without pixels", rgnOf({}), "A.EXB", Outcome::Cleared, {}, false},
      {"missing file", std::nullopt, "A.EXB", Outcome::Unchanged, {}, true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    QFile::remove(QStringLiteral("A.EXB"));
    if (row.file)
      write("A.EXB", *row.file);
    m_messages.clear();
    QWidget window;
    window.resize(100, 80);
    window.setMask(kBefore);
    EXPECT_EQ(SetRgn(&window, row.askedName), -1);
    switch (row.outcome) {
    case Outcome::Shaped:
      EXPECT_EQ(window.mask(), row.shape);
      break;
    case Outcome::Cleared:
      EXPECT_TRUE(window.mask().isEmpty());
      break;
    case Outcome::Unchanged:
      EXPECT_EQ(window.mask(), kBefore);
      break;
    }
    EXPECT_EQ(m_messages, row.message ? std::vector<QString>{kMissing} : std::vector<QString>{});
  }
}

TEST_F(SetRgnTest, AFolderOrNoNameIsAnUnreadableFile) {
  ASSERT_TRUE(QDir().mkdir(QStringLiteral("D.EXB")));
  // A FIFO is refused without blocking, and a file far larger than any
  // region file (16 MB) without being read whole.
  ASSERT_EQ(::mkfifo("F.EXB", 0644), 0);
  write("H.EXB", rgnOf({{0, 0, 4, 4}}));
  std::filesystem::resize_file("H.EXB", (16 << 20) + 1);
  QWidget window;
  window.setMask(kBefore);
  EXPECT_EQ(SetRgn(&window, "D.EXB"), -1);
  EXPECT_EQ(SetRgn(&window, nullptr), -1);
  EXPECT_EQ(SetRgn(&window, ""), -1);
  EXPECT_EQ(SetRgn(&window, "F.EXB"), -1);
  EXPECT_EQ(SetRgn(&window, "H.EXB"), -1);
  EXPECT_EQ(m_messages, (std::vector<QString>(5, kMissing)));
  EXPECT_EQ(window.mask(), kBefore);
}

TEST_F(SetRgnTest, AMissingFileDoesNotStopTheNextWindowFromBeingShaped) {
  write("CALIXOBL.EXB", rgnOf({{2, 0, 98, 80}}));
  QWidget first, second;
  EXPECT_EQ(SetRgn(&first, "CALIXOBLR.EXB"), -1);
  EXPECT_EQ(SetRgn(&second, "CALIXOBL.EXB"), -1);
  EXPECT_EQ(m_messages, std::vector<QString>{kMissing});
  EXPECT_TRUE(first.mask().isEmpty());
  EXPECT_EQ(second.mask(), QRegion(2, 0, 96, 80));
}

}  // namespace
