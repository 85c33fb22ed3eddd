// TPictureButton: the transparent colour of pixel (1, 1), the press offset
// for every mouse button, the click only for a left release inside, and the
// picture from a BMP file or the built-in fallback.
#include "picturebutton.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// A picture with a background colour (also at (1, 1)) around a red square.
QImage buttonPicture(QColor background) {
  QImage img(12, 10, QImage::Format_RGB32);
  img.fill(background);
  for (int y = 3; y < 7; ++y)
    for (int x = 4; x < 8; ++x)
      img.setPixelColor(x, y, QColor(255, 0, 0));
  return img;
}

TEST(PictureButton, ColourOfPixel11BecomesTransparentEverywhere) {
  QWidget window;
  window.setAutoFillBackground(true);
  QPalette pal = window.palette();
  pal.setColor(QPalette::Window, QColor(0, 0, 255));
  window.setPalette(pal);
  window.resize(60, 60);
  auto *button = new TPictureButton(&window);
  button->move(10, 10);
  button->setPicture(buttonPicture(QColor(0, 255, 0)));
  EXPECT_EQ(button->size(), QSize(12, 10));
  EXPECT_EQ(qAlpha(button->picture().pixel(1, 1)), 0);
  EXPECT_EQ(qAlpha(button->picture().pixel(11, 9)), 0);
  EXPECT_EQ(button->picture().pixel(5, 5), qRgba(255, 0, 0, 255));

  const QImage shown = window.grab().toImage();
  EXPECT_EQ(shown.pixelColor(10, 10), QColor(0, 0, 255));  // the window shows through
  EXPECT_EQ(shown.pixelColor(15, 15), QColor(255, 0, 0));
  EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
}

struct PressRow {
  const char *name;
  QPoint offset;
  Qt::MouseButton button;
  QPoint releaseAt;  // in the button's coordinates while it is pressed
  bool inside;
  int clicks;
};

TEST(PictureButton, PressMovesByItsOffsetReleaseMovesBackAndOnlyLeftInsideClicks) {
  const std::vector<PressRow> rows = {
      {"left inside, up-left", {-1, -1}, Qt::LeftButton, {5, 5}, true, 1},
      {"left inside, down-right", {1, 1}, Qt::LeftButton, {5, 5}, true, 1},
      {"left released outside", {-1, -1}, Qt::LeftButton, {40, 5}, false, 0},
      {"left released above", {1, 1}, Qt::LeftButton, {5, -3}, false, 0},
      {"right inside", {-1, -1}, Qt::RightButton, {5, 5}, true, 0},
      {"middle inside", {1, 1}, Qt::MiddleButton, {5, 5}, true, 0},
  };
  for (const PressRow &row : rows) {
    SCOPED_TRACE(row.name);
    QWidget window;
    window.resize(100, 100);
    auto *button = new TPictureButton(&window);
    button->setPicture(buttonPicture(QColor(0, 255, 0)));
    button->move(50, 40);
    button->setPressOffset(row.offset);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy pressed(button, &TPictureButton::pressed);
    QSignalSpy released(button, &TPictureButton::released);
    QSignalSpy clicked(button, &TPictureButton::clicked);
    std::vector<QPoint> posAtSignal;
    QObject::connect(button, &TPictureButton::released,
                     [&] { posAtSignal.push_back(button->pos()); });

    QTest::mousePress(button, row.button, {}, QPoint(5, 5));
    EXPECT_EQ(button->pos(), QPoint(50, 40) + row.offset);
    EXPECT_TRUE(button->isPressed());
    QTest::mouseRelease(button, row.button, {}, row.releaseAt);
    EXPECT_EQ(button->pos(), QPoint(50, 40));
    EXPECT_FALSE(button->isPressed());

    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<Qt::MouseButton>(), row.button);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released.at(0).at(0).value<Qt::MouseButton>(), row.button);
    EXPECT_EQ(released.at(0).at(1).toBool(), row.inside);
    EXPECT_EQ(clicked.count(), row.clicks);
    // The button is back in place before anyone acts on the release.
    ASSERT_EQ(posAtSignal.size(), 1u);
    EXPECT_EQ(posAtSignal[0], QPoint(50, 40));
  }
}

struct LoadRow {
  const char *name;
  const char *file;  // written into the folder; nullptr: nothing written
  const char *format;
  const char *asked;  // the path given to loadPicture, relative to the folder
  bool usesFile;
};

TEST(PictureButton, LoadsABmpFileOrFallsBackToTheBuiltInPicture) {
  const std::vector<LoadRow> rows = {
      {"bmp file", "b.bmp", "BMP", "b.bmp", true},
      {"name in another case", "Button.bmp", "BMP", "BUTTON.BMP", true},
      {"empty setting", nullptr, nullptr, "", false},
      {"missing file", nullptr, nullptr, "nothere.bmp", false},
      {"png under a bmp name", "p.bmp", "PNG", "p.bmp", false},
  };
  for (const LoadRow &row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    if (row.file) {
      ASSERT_TRUE(buttonPicture(QColor(0, 255, 0)).save(dir.filePath(row.file), row.format));
    }
    const QString asked = *row.asked ? dir.filePath(row.asked) : QString();
    TPictureButton button;
    EXPECT_EQ(button.loadPicture(asked, QStringLiteral(":/bmp/BMPBUTRED.bmp")), row.usesFile);
    EXPECT_EQ(button.size(), row.usesFile ? QSize(12, 10) : QSize(30, 30));
    EXPECT_EQ(qAlpha(button.picture().pixel(1, 1)), 0);
  }
}

}  // namespace
