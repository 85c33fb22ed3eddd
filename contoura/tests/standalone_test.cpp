// libcontoura.so in a program that is not the calendar: this test links
// neither the library nor any of the calendar's code, loads the library with
// dlopen(RTLD_NOW) (which fails if it needs a symbol that only the calendar
// defines) and shapes a window of its own with a sound, a missing and a
// damaged region file. The library's message box is answered the way a user
// would: its OK button is clicked once the box is up.
#include "rgnbytes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <dlfcn.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using contoura_test::rgnBlock;
using contoura_test::rgnOf;
using SetRgnFunction = int (*)(void *, const char *);

// The application lives until the process ends and is never destroyed: the
// library stays loaded to the end too, and Qt's exit-time clean-up must not
// run before it.
QApplication &application() {
  static int argc = 1;
  static char name[] = "contoura_standalone_test";
  static char *argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication *app = new QApplication(argc, argv);
  return *app;
}

// What a box that came up showed.
struct SBoxSeen {
  QString text, title;
  int buttons = 0;
  bool modal = false;
};

// Clicks OK on every message box that comes up while it lives, after noting
// what the box showed.
class BoxAnswerer {
public:
  BoxAnswerer() {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible())
          continue;
        seen.push_back({box->text(), box->windowTitle(), int(box->buttons().size()), box->isModal()});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
          ok->click();
        else
          box->reject();
      }
    });
    m_timer.start();
  }
  std::vector<SBoxSeen> seen;

private:
  QTimer m_timer;
};

class StandaloneContoura : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    application();
    s_library = ::dlopen(CONTOURA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  }
  void SetUp() override {
    ASSERT_NE(s_library, nullptr) << ::dlerror();
    m_setRgn = reinterpret_cast<SetRgnFunction>(::dlsym(s_library, "SetRgn"));
    ASSERT_NE(m_setRgn, nullptr) << ::dlerror();
    ASSERT_TRUE(m_dir.isValid());
    m_oldDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
  }
  void TearDown() override { QDir::setCurrent(m_oldDir); }

  static void *s_library;
  SetRgnFunction m_setRgn = nullptr;
  QTemporaryDir m_dir;
  QString m_oldDir;
};

void *StandaloneContoura::s_library = nullptr;

TEST(StandaloneContouraLoad, LoadsWithEverySymbolBoundAtOnce) {
  application();
  // A second handle of its own: RTLD_NOW binds every symbol the library
  // needs now, so one that only the calendar defines fails right here.
  void *handle = ::dlopen(CONTOURA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  EXPECT_NE(::dlsym(handle, "SetRgn"), nullptr) << ::dlerror();
}

struct SRow {
  const char *name;
  std::optional<std::string> file;  // nullopt: no file
  QRegion shape;                    // empty: no shape
  bool keepsShape;                  // the shape it had before stays
  bool message;
};

TEST_F(StandaloneContoura, ShapesAWindowOfItsOwnCaller) {
  const QRegion before(QRect(4, 4, 20, 20));
  const std::vector<SRow> rows = {
      {"sound file", rgnOf({{8, 0, 112, 2}, {0, 2, 120, 90}}),
       QRegion(8, 0, 104, 2).united(QRegion(0, 2, 120, 88)), false, false},
      {"missing file", std::nullopt, {}, true, true},
      {"count beyond the file", rgnBlock(32, 1, 5, 80, {{0, 0, 10, 10}}), {}, false, false},
      {"not a region at all", std::string("BM\x36\0\0\0 this is a bitmap", 24), {}, false, false},
  };
  for (const SRow &row : rows) {
    SCOPED_TRACE(row.name);
    QFile::remove(QStringLiteral("WINDOW.EXB"));
    if (row.file) {
      QFile f(QStringLiteral("WINDOW.EXB"));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(row.file->data(), qint64(row.file->size()));
    }
    QWidget window;
    window.resize(120, 90);
    window.setMask(before);
    window.show();
    BoxAnswerer answerer;
    EXPECT_EQ(m_setRgn(&window, "WINDOW.EXB"), -1);
    if (row.keepsShape)
      EXPECT_EQ(window.mask(), before);
    else
      EXPECT_EQ(window.mask(), row.shape);
    if (row.message) {
      ASSERT_EQ(answerer.seen.size(), 1u);
      EXPECT_EQ(answerer.seen[0].text, QStringLiteral(".exb 没有找到"));
      EXPECT_TRUE(answerer.seen[0].title.isEmpty()) << "the box has no caption of its own";
      EXPECT_EQ(answerer.seen[0].buttons, 1);
      EXPECT_TRUE(answerer.seen[0].modal);
    } else {
      EXPECT_TRUE(answerer.seen.empty());
    }
  }
}

}  // namespace
