// The skinned windows on a real X server: each skin in a frameless window
// shaped by its shipped region file. The X server's own shape of the window
// must be the file's region, the screen must show the skin inside it and the
// backdrop outside it, and a left press-drag on the skin moves the window.
// A screenshot of every shaped window is written for people to look at.
#include "imagemy.h"
#include "zuimage.h"

#include "contoura.h"
#include "ui.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

xcb_connection_t *xcbConnection() {
  auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The window's bounding shape as the X server holds it.
QRegion serverShape(QWidget &w) {
  xcb_connection_t *c = xcbConnection();
  const auto win = static_cast<xcb_window_t>(w.winId());
  std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&std::free)> reply(
      xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, win, XCB_SHAPE_SK_BOUNDING),
                                     nullptr),
      &std::free);
  QRegion region;
  if (!reply)
    return region;
  const xcb_rectangle_t *r = xcb_shape_get_rectangles_rectangles(reply.get());
  for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
    region += QRect(r[i].x, r[i].y, r[i].width, r[i].height);
  return region;
}

// Where the X server has the window's origin on the screen.
QPoint serverPosition(QWidget &w) {
  xcb_connection_t *c = xcbConnection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
      xcb_translate_coordinates_reply(
          c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(w.winId()), root, 0, 0), nullptr),
      &std::free);
  return reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint(-1, -1);
}

QImage grabScreen(QRect area) {
  return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

struct SkinWindow {
  const char *name;
  const char *picture;
  const char *regionFile;
  QSize size;
};

const SkinWindow kSkins[] = {
    {"main", ":/skins/main.jpg", "CALIXOBL.EXB", {573, 353}},
    {"timelist", ":/skins/timelist.jpg", "CALIXOBLR.EXB", {228, 266}},
    {"memo", ":/skins/memo.jpg", "CALIXOTOP.EXB", {258, 287}},
    {"countdown", ":/skins/countdown.jpg", "CalixoMb.EXB", {350, 235}},
};

const QPoint kAt(100, 100);
// A backdrop of this colour lies under the skinned windows, so the screen
// shows plainly where a shape cuts the window away.
const QColor kBackdrop(255, 0, 255);

class SkinOnX : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(xcbConnection(), nullptr) << "needs the xcb platform";
    ASSERT_TRUE(m_dir.isValid());
    m_oldDir = QDir::currentPath();
    for (const QString &f : QDir(QStringLiteral(CALIXO_RUNTIME_DIR)).entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(QStringLiteral(CALIXO_RUNTIME_DIR "/") + f, m_dir.filePath(f)));
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    calixo::setMessageHook([this](const QString &t) { m_messages.push_back(t); });
    m_backdrop.setWindowFlag(Qt::FramelessWindowHint);
    m_backdrop.setAutoFillBackground(true);
    QPalette pal = m_backdrop.palette();
    pal.setColor(QPalette::Window, kBackdrop);
    m_backdrop.setPalette(pal);
    m_backdrop.setGeometry(0, 0, 900, 700);
    m_backdrop.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_backdrop));
  }
  void TearDown() override {
    calixo::setMessageHook(nullptr);
    QDir::setCurrent(m_oldDir);
  }

  // A frameless window carrying the skin, shaped by its region file, shown
  // at kAt. The main window also gets its month picture, shaped too.
  std::unique_ptr<QWidget> showSkin(const SkinWindow &s, TImageMy *&skin, TZuImage **zu = nullptr) {
    auto window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    window->resize(s.size);
    window->move(kAt);
    skin = new TImageMy(window.get());
    skin->setPicture(loadSkinPicture(QString::fromLatin1(s.picture)));
    skin->FormHandle = window.get();
    if (zu) {
      *zu = new TZuImage(window.get());
      (*zu)->setGeometry(33, 8, 192, 292);
      (*zu)->setShowStyle(0);
      (*zu)->Bitmap = QImage(QStringLiteral("calixo.bmp"));
      SetRgn(*zu, "Zuimage.EXB");
    }
    SetRgn(window.get(), s.regionFile);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(200);
    return window;
  }

  QWidget m_backdrop;
  QTemporaryDir m_dir;
  QString m_oldDir;
  std::vector<QString> m_messages;
};

TEST_F(SkinOnX, EverySkinShowsShapedByItsRegionFile) {
  QDir().mkpath(QStringLiteral(CALIXO_SCREENSHOT_DIR));
  for (const SkinWindow &s : kSkins) {
    SCOPED_TRACE(s.name);
    const QRect area(kAt, s.size);
    TImageMy *skin = nullptr;
    auto window = showSkin(s, skin);
    ASSERT_EQ(serverPosition(*window), kAt);

    const QRegion shape = serverShape(*window);
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_EQ(shape, window->mask());
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));

    // Inside the shape the screen shows the skin, outside it the backdrop.
    const QImage shown = grabScreen(area);
    const QImage picture = skin->picture().convertToFormat(QImage::Format_RGB32);
    int inside = 0, outside = 0;
    for (int y = 0; y < s.size.height(); y += 3)
      for (int x = 0; x < s.size.width(); x += 3) {
        if (shape.contains(QPoint(x, y))) {
          ASSERT_EQ(shown.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
          ++inside;
        } else {
          ASSERT_EQ(QColor(shown.pixel(x, y)), kBackdrop) << x << "," << y;
          ++outside;
        }
      }
    EXPECT_GT(inside, outside);
    EXPECT_GT(outside, 0);
    EXPECT_TRUE(shown.save(QStringLiteral(CALIXO_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(s.name))));
  }
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(SkinOnX, MonthPictureIsShapedInsideTheMainWindow) {
  TImageMy *skin = nullptr;
  TZuImage *zu = nullptr;
  auto window = showSkin(kSkins[0], skin, &zu);
  ASSERT_FALSE(zu->Bitmap.isNull());
  const QRegion zuShape = zu->mask();
  ASSERT_FALSE(zuShape.isEmpty());
  const QImage shown = grabScreen(QRect(kAt, kSkins[0].size));
  const QImage picture = skin->picture().convertToFormat(QImage::Format_RGB32);
  const QImage month = zu->Bitmap.convertToFormat(QImage::Format_RGB32);
  int cut = 0;
  for (int y = 0; y < zu->height(); y += 2)
    for (int x = 0; x < zu->width(); x += 2) {
      const QPoint w = zu->mapTo(window.get(), QPoint(x, y));
      if (!window->mask().contains(w))
        continue;
      if (zuShape.contains(QPoint(x, y))) {
        if (x < month.width() && y < month.height()) {
          ASSERT_EQ(shown.pixel(w), month.pixel(x, y)) << x << "," << y;
        }
      } else {
        ASSERT_EQ(shown.pixel(w), picture.pixel(w)) << x << "," << y;
        ++cut;
      }
    }
  EXPECT_GT(cut, 0);
  QDir().mkpath(QStringLiteral(CALIXO_SCREENSHOT_DIR));
  EXPECT_TRUE(shown.save(QStringLiteral(CALIXO_SCREENSHOT_DIR "/main-with-month.png")));
}

TEST_F(SkinOnX, LeftPressDragOnTheSkinMovesTheWindow) {
  TImageMy *skin = nullptr;
  auto window = showSkin(kSkins[0], skin);
  ASSERT_EQ(serverPosition(*window), kAt);
  const QRegion shapeBefore = serverShape(*window);

  QTest::mousePress(skin, Qt::LeftButton, {}, QPoint(300, 150));
  QTest::mouseMove(skin, QPoint(340, 180));
  QTest::mouseRelease(skin, Qt::LeftButton, {}, QPoint(340, 180));
  QTest::qWait(100);
  EXPECT_EQ(serverPosition(*window), kAt + QPoint(40, 30));
  // The shape travels with the window.
  EXPECT_EQ(serverShape(*window), shapeBefore);

  // Once released, moving the mouse moves nothing.
  QTest::mouseMove(skin, QPoint(100, 100));
  QTest::qWait(50);
  EXPECT_EQ(serverPosition(*window), kAt + QPoint(40, 30));

  // Without a drag target a press-drag leaves the window where it is.
  skin->FormHandle = nullptr;
  QTest::mousePress(skin, Qt::LeftButton, {}, QPoint(300, 150));
  QTest::mouseMove(skin, QPoint(360, 200));
  QTest::mouseRelease(skin, Qt::LeftButton, {}, QPoint(360, 200));
  QTest::qWait(50);
  EXPECT_EQ(serverPosition(*window), kAt + QPoint(40, 30));
}

}  // namespace
