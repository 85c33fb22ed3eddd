// TImageMy: a left press is the drag's alone: without FormHandle it does
// nothing, and it never reaches the window underneath; other buttons do.
#include "imagemy.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

namespace {

struct PressRecorder : QWidget {
  int presses = 0;
  void mousePressEvent(QMouseEvent *e) override {
    ++presses;
    e->accept();
  }
};

TEST(ImageMy, LeftPressWithoutFormHandleDoesNothing) {
  PressRecorder window;
  window.setWindowFlag(Qt::FramelessWindowHint);
  window.resize(200, 200);
  window.move(50, 50);
  auto *skin = new TImageMy(&window);
  skin->resize(200, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QPoint start = window.pos();
  QTest::mousePress(skin, Qt::LeftButton, {}, QPoint(30, 30));
  QTest::mouseMove(skin, QPoint(80, 90));
  QTest::mouseRelease(skin, Qt::LeftButton, {}, QPoint(80, 90));
  EXPECT_EQ(window.pos(), start);
  EXPECT_EQ(window.presses, 0);

  skin->FormHandle = &window;
  QTest::mousePress(skin, Qt::LeftButton, {}, QPoint(30, 30));
  QTest::mouseRelease(skin, Qt::LeftButton, {}, QPoint(30, 30));
  EXPECT_EQ(window.presses, 0);
  QTest::mousePress(skin, Qt::RightButton, {}, QPoint(30, 30));
  QTest::mouseRelease(skin, Qt::RightButton, {}, QPoint(30, 30));
  EXPECT_EQ(window.presses, 1);
}

}  // namespace
