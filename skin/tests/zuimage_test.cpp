// TZuImage: which setters repaint at once, what a paint
// draws (style, caption cells, what shows through), and the left press:
// mouse-down, OnZuClick and the drag of FormHandle.
#include "zuimage.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const QColor kParentColor(0x20, 0x40, 0xC0);

// A window of a plain known colour holding one TZuImage at (10, 10).
struct ZuWindow {
  QWidget window;
  TZuImage *zu;
  ZuWindow() {
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setAutoFillBackground(true);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, kParentColor);
    window.setPalette(pal);
    window.resize(200, 150);
    zu = new TZuImage(&window);
    zu->setGeometry(10, 10, 120, 80);
  }
  void show() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
  }
  // The pixel at p in the control's coordinates, as the window shows it.
  QColor at(QPoint p) { return window.grab().toImage().pixelColor(zu->mapTo(&window, p)); }
  // Whether any pixel of rect (control coordinates) is close to colour c
  // (text edges are antialiased).
  bool anyPixel(QRect r, QColor c) {
    const QImage img = window.grab().toImage();
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const QColor p = img.pixelColor(zu->mapTo(&window, QPoint(x, y)));
        if (std::abs(p.red() - c.red()) <= 40 && std::abs(p.green() - c.green()) <= 40 &&
            std::abs(p.blue() - c.blue()) <= 40)
          return true;
      }
    return false;
  }
};

struct SetterRow {
  const char *name;
  std::function<void(TZuImage &)> set;
  bool repaints;
};

TEST(ZuImage, OnlyColourCaptionCaptionYAndCaptionColourRepaintAtOnce) {
  const std::vector<SetterRow> rows = {
      {"Color", [](TZuImage &z) { z.setColor(Qt::red); }, true},
      {"Caption", [](TZuImage &z) { z.setCaption(QStringLiteral("一月")); }, true},
      {"CaptionY", [](TZuImage &z) { z.setCaptionY(5); }, true},
      {"CaptionColor", [](TZuImage &z) { z.setCaptionColor(Qt::blue); }, true},
      {"CaptionX", [](TZuImage &z) { z.setCaptionX(7); }, false},
      {"ShowStyle", [](TZuImage &z) { z.setShowStyle(0); }, false},
      {"ParentMove", [](TZuImage &z) { z.setParentMove(false); }, false},
      {"BmpType", [](TZuImage &z) { z.setBmpType(1); }, false},
      {"BmpName", [](TZuImage &z) { z.setBmpName(QStringLiteral("a.bmp")); }, false},
      {"BmpAuto", [](TZuImage &z) { z.setBmpAuto(true); }, false},
  };
  ZuWindow w;
  w.show();
  for (const SetterRow &row : rows) {
    SCOPED_TRACE(row.name);
    QCoreApplication::processEvents();
    const int before = w.zu->paintCount();
    row.set(*w.zu);
    // Synchronous: no event processing between the setter and the check.
    EXPECT_EQ(w.zu->paintCount(), before + (row.repaints ? 1 : 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.zu->paintCount(), before + (row.repaints ? 1 : 0));
  }
}

TEST(ZuImage, CaptionXShowsAtTheNextPaint) {
  ZuWindow w;
  w.zu->setColor(QColor(0, 255, 0));
  w.zu->setCaptionColor(QColor(255, 0, 0));
  w.zu->setCaption(QStringLiteral("MMMM"));
  w.show();
  const QRect farCell(60, 0, 40, 14);
  EXPECT_FALSE(w.anyPixel(farCell, QColor(255, 0, 0)));
  w.zu->setCaptionX(60);
  w.zu->Redraw();
  EXPECT_TRUE(w.anyPixel(farCell, QColor(255, 0, 0)));
}

TEST(ZuImage, StyleOneFillsWithColourAndTheCaptionCellsToo) {
  ZuWindow w;
  w.zu->setColor(QColor(0, 200, 0));
  w.zu->setCaptionColor(QColor(200, 0, 0));
  w.zu->setCaptionY(20);
  w.zu->setCaption(QStringLiteral("X"));
  w.show();
  EXPECT_EQ(w.at(QPoint(100, 70)), QColor(0, 200, 0));
  EXPECT_EQ(w.at(QPoint(0, 0)), QColor(0, 200, 0));
  EXPECT_TRUE(w.anyPixel(QRect(0, 20, 12, 14), QColor(200, 0, 0)));
  EXPECT_FALSE(w.anyPixel(QRect(0, 0, 12, 14), QColor(200, 0, 0)));
}

TEST(ZuImage, StyleZeroDrawsTheBitmapUnscaledAtTheOrigin) {
  ZuWindow w;
  w.zu->setShowStyle(0);
  QImage bmp(20, 10, QImage::Format_RGB32);
  bmp.fill(QColor(250, 250, 0));
  w.zu->Bitmap = bmp;
  w.show();
  EXPECT_EQ(w.at(QPoint(0, 0)), QColor(250, 250, 0));
  EXPECT_EQ(w.at(QPoint(19, 9)), QColor(250, 250, 0));
  EXPECT_EQ(w.at(QPoint(20, 9)), kParentColor);
  EXPECT_EQ(w.at(QPoint(5, 10)), kParentColor);
}

TEST(ZuImage, EmptyBitmapPaintsOnlyTheCaptionOnWhiteBeforeAnyColourPaint) {
  ZuWindow w;
  w.zu->setShowStyle(0);
  w.zu->setCaption(QStringLiteral("MM"));
  w.show();
  EXPECT_EQ(w.at(QPoint(100, 70)), kParentColor);
  EXPECT_EQ(w.at(QPoint(1, 1)), QColor(255, 255, 255));  // the caption's cell
  EXPECT_TRUE(w.anyPixel(QRect(0, 0, 20, 14), QColor(0, 0, 0)));
}

TEST(ZuImage, CaptionCellsKeepTheColourOfTheLastStyleOnePaint) {
  ZuWindow w;
  w.zu->setColor(QColor(0, 0, 90));
  w.show();
  w.zu->setShowStyle(0);
  w.zu->setCaption(QStringLiteral("MM"));
  EXPECT_EQ(w.at(QPoint(100, 70)), kParentColor);
  EXPECT_EQ(w.at(QPoint(1, 1)), QColor(0, 0, 90));
}

enum class Seen { MouseDown, ZuClick };

struct PressRow {
  const char *name;
  bool parentMove;
  Qt::MouseButton button;
  std::vector<Seen> expected;
};

TEST(ZuImage, PressRaisesMouseDownAndOnZuClickAsParentMoveSays) {
  const std::vector<PressRow> rows = {
      {"left, ParentMove", true, Qt::LeftButton, {Seen::ZuClick}},
      {"left, no ParentMove", false, Qt::LeftButton, {Seen::MouseDown, Seen::ZuClick}},
      {"right, ParentMove", true, Qt::RightButton, {Seen::MouseDown}},
      {"right, no ParentMove", false, Qt::RightButton, {Seen::MouseDown}},
  };
  for (const PressRow &row : rows) {
    SCOPED_TRACE(row.name);
    ZuWindow w;
    w.show();
    const QPoint start = w.window.pos();
    std::vector<Seen> seen;
    TZuImage *sender = nullptr;
    w.zu->setParentMove(row.parentMove);
    QObject::connect(w.zu, &TZuImage::mouseDown, [&](QMouseEvent *) { seen.push_back(Seen::MouseDown); });
    w.zu->OnZuClick = [&](TZuImage *s) {
      sender = s;
      seen.push_back(Seen::ZuClick);
    };
    QTest::mousePress(w.zu, row.button, {}, QPoint(20, 20));
    QTest::mouseMove(w.zu, QPoint(60, 50));
    QTest::mouseRelease(w.zu, row.button, {}, QPoint(60, 50));
    EXPECT_EQ(seen, row.expected);
    if (row.button == Qt::LeftButton) {
      EXPECT_EQ(sender, w.zu);
    }
    // No FormHandle: nothing moves.
    EXPECT_EQ(w.window.pos(), start);
  }
}

TEST(ZuImage, LeftPressWithParentMoveDragsFormHandle) {
  ZuWindow w;
  w.window.move(100, 100);
  w.show();
  w.zu->FormHandle = &w.window;
  const QPoint start = w.window.pos();
  QTest::mousePress(w.zu, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseMove(w.zu, QPoint(50, 35));
  QTest::mouseRelease(w.zu, Qt::LeftButton, {}, QPoint(50, 35));
  EXPECT_EQ(w.window.pos(), start + QPoint(30, 15));
  // After the release the mouse no longer drags.
  QTest::mouseMove(w.zu, QPoint(10, 10));
  EXPECT_EQ(w.window.pos(), start + QPoint(30, 15));
}

}  // namespace
