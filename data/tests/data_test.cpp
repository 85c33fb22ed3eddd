// The shipped artwork: resources resolve at their sizes and depths, the
// bitmaps have their transparent colour at pixel (1, 1), the skins are light
// where controls sit, and every region file is a well-formed region data
// block that follows its skin's outline.
#include "buttonpictures.h"
#include "region.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <cstring>
#include <vector>

namespace {

QByteArray readAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

uint32_t u32(const QByteArray &b, int at) {
  uint32_t v = 0;
  std::memcpy(&v, b.constData() + at, 4);
  return v;  // little-endian host
}
uint16_t u16(const QByteArray &b, int at) {
  uint16_t v = 0;
  std::memcpy(&v, b.constData() + at, 2);
  return v;
}

struct Bitmap {
  const char *name;
  int w, h, bpp;
};
const Bitmap kBitmaps[] = {
    {"BMPBUTRED", 30, 30, 24},   {"BMPBUTBLUE", 31, 30, 24},   {"BMPBUTGREEN", 31, 30, 24},
    {"BMPLAST", 15, 17, 24},     {"BMPNEXT", 15, 17, 24},      {"BMPBUTCLOSE", 28, 28, 24},
    {"BMPBUTSGREEN", 26, 26, 24}, {"BMPBUTSRED", 26, 26, 24},  {"BMPBUTSBLUE", 26, 26, 24},
    {"BMPHAVEDATA", 16, 16, 4},  {"BMPCLOCKSET", 16, 16, 24}, {"BMPRUN", 16, 16, 24},
};

TEST(Bitmaps, LoadAtTheirSizeAndDepthWithTransparentPixel11) {
  for (const Bitmap &b : kBitmaps) {
    SCOPED_TRACE(b.name);
    const QString path = QStringLiteral(":/bmp/%1.bmp").arg(QLatin1String(b.name));
    const QByteArray bytes = readAll(path);
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(u32(bytes, 2), uint32_t(bytes.size()));
    EXPECT_EQ(u32(bytes, 14), 40u);
    EXPECT_EQ(u16(bytes, 28), b.bpp);
    EXPECT_EQ(u32(bytes, 30), 0u);  // uncompressed

    const QImage img(path);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(b.w, b.h));
    // (1, 1) is background, like the corner; the picture itself covers a
    // fair part of the bitmap and never uses the transparent colour.
    const QRgb key = img.pixel(1, 1);
    EXPECT_EQ(key, img.pixel(0, 0));
    int shape = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        shape += img.pixel(x, y) != key;
    EXPECT_GT(shape, b.w * b.h / 10);
    EXPECT_LT(shape, b.w * b.h * 95 / 100);
  }
}

TEST(Bitmaps, EveryButtonFallbackExists) {
  const char *keys[][2] = {{"Mainbutton", "B1"},  {"Mainbutton", "B2"},  {"Mainbutton", "B3"},
                           {"Mainbutton", "B4L"}, {"Mainbutton", "B4R"}, {"Mainbutton", "B5L"},
                           {"Mainbutton", "B5R"}, {"Mainbutton", "B6"},  {"Clockbutton", "B1S"},
                           {"Clockbutton", "B1U"}, {"Clockbutton", "B2S"}, {"Clockbutton", "B2U"},
                           {"Notebutton", "B1S"}, {"Notebutton", "B1U"}};
  for (const auto &k : keys) {
    const std::string res = calixo::builtinButtonPicture(k[0], k[1]);
    EXPECT_FALSE(QImage(QString::fromStdString(res)).isNull()) << k[0] << "/" << k[1] << " " << res;
  }
}

TEST(MonthPicture, IsA24BitBitmapOfTheControlSize) {
  const QString path = QStringLiteral(CALIXO_RUNTIME_DIR "/calixo.bmp");
  const QByteArray bytes = readAll(path);
  ASSERT_GE(bytes.size(), 54);
  EXPECT_EQ(u16(bytes, 28), 24);
  EXPECT_EQ(QImage(path).size(), QSize(192, 292));
}

bool isLight(QRgb c) { return qRed(c) > 235 && qGreen(c) > 230 && qBlue(c) > 215; }

struct Window {
  const char *skin, *region;
  QSize skinSize, windowSize;
  std::vector<QRect> lightAreas;  // where labels, edits and grids sit
};

const std::vector<Window> &windows() {
  static const std::vector<Window> w = {
      {"main.jpg", "CALIXOBL.EXB", {573, 353}, {586, 353},
       {{232, 48, 36, 19}, {232, 62, 49, 58}, {288, 71, 217, 49}, {230, 120, 281, 177}, {528, 45, 32, 220}}},
      {"timelist.jpg", "CALIXOBLR.EXB", {228, 266}, {237, 266},
       {{8, 16, 145, 21}, {10, 40, 143, 201}, {176, 21, 26, 207}}},
      {"memo.jpg", "CALIXOTOP.EXB", {258, 287}, {267, 298}, {{24, 32, 217, 185}, {41, 225, 72, 26}}},
      {"countdown.jpg", "CalixoMb.EXB", {350, 235}, {355, 239}, {{21, 34, 308, 161}}},
  };
  return w;
}

TEST(Skins, AreJpegsOfTheirSizeAndLightUnderControls) {
  for (const Window &w : windows()) {
    SCOPED_TRACE(w.skin);
    const QString path = QStringLiteral(":/skins/") + QLatin1String(w.skin);
    EXPECT_TRUE(readAll(path).startsWith("\xFF\xD8\xFF"));
    const QImage img(path);
    ASSERT_EQ(img.size(), w.skinSize);
    for (const QRect &r : w.lightAreas) {
      int dark = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
          dark += !isLight(img.pixel(x, y));
      EXPECT_LT(dark, r.width() * r.height() / 100) << "area at " << r.x() << "," << r.y();
    }
  }
}

struct Region {
  uint32_t size, type, count, rgnSize;
  QRect bound;  // as left, top, right, bottom (exclusive)
  std::vector<QRect> rects;
  qsizetype fileLength;
  bool contains(int x, int y) const {
    for (const QRect &r : rects)
      if (r.contains(x, y))
        return true;
    return false;
  }
};

Region parse(const QByteArray &b) {
  Region r{};
  r.fileLength = b.size();
  if (b.size() < 32)
    return r;
  r.size = u32(b, 0);
  r.type = u32(b, 4);
  r.count = u32(b, 8);
  r.rgnSize = u32(b, 12);
  auto i32 = [&](int at) { return int(int32_t(u32(b, at))); };
  r.bound = QRect(QPoint(i32(16), i32(20)), QPoint(i32(24) - 1, i32(28) - 1));
  for (uint32_t i = 0; i < r.count && 32 + 16 * (i + 1) <= uint32_t(b.size()); ++i) {
    const int at = int(32 + 16 * i);
    r.rects.push_back(QRect(QPoint(i32(at), i32(at + 4)), QPoint(i32(at + 8) - 1, i32(at + 12) - 1)));
  }
  return r;
}

void checkRegion(const Region &g, QSize window, QSize shape) {
  EXPECT_EQ(g.size, 32u);
  EXPECT_EQ(g.type, 1u);
  EXPECT_GT(g.count, 0u);
  EXPECT_EQ(g.rgnSize, 16 * g.count);
  EXPECT_EQ(g.fileLength, qsizetype(32 + 16 * g.count));
  ASSERT_EQ(g.rects.size(), g.count);
  QRect united;
  for (size_t i = 0; i < g.rects.size(); ++i) {
    const QRect &r = g.rects[i];
    EXPECT_TRUE(r.isValid()) << "rectangle " << i;
    EXPECT_TRUE(QRect(QPoint(0, 0), window).contains(r)) << "rectangle " << i;
    for (size_t j = 0; j < i; ++j)
      EXPECT_FALSE(r.intersects(g.rects[j])) << "rectangles " << j << " and " << i;
    united = united.united(r);
  }
  EXPECT_EQ(g.bound, united);
  // Rounded corners are cut; the middle is in.
  const int w = shape.width(), h = shape.height();
  for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1),
                   QPoint(window.width() - 1, window.height() - 1)})
    EXPECT_FALSE(g.contains(p.x(), p.y())) << p.x() << "," << p.y();
  EXPECT_TRUE(g.contains(w / 2, h / 2));
  EXPECT_TRUE(g.contains(w / 2, 2));
  EXPECT_TRUE(g.contains(2, h / 2));
}

TEST(Regions, FollowTheirSkins) {
  for (const Window &w : windows()) {
    SCOPED_TRACE(w.region);
    const Region g = parse(readAll(QStringLiteral(CALIXO_RUNTIME_DIR "/") + QLatin1String(w.region)));
    checkRegion(g, w.windowSize, w.skinSize);
    for (const QRect &r : w.lightAreas) {
      for (QPoint p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        EXPECT_TRUE(g.contains(p.x(), p.y())) << "control corner " << p.x() << "," << p.y();
    }
    // The shipped file is the one the generator derives from the shipped skin.
    const QImage skin(QStringLiteral(":/skins/") + QLatin1String(w.skin));
    const auto rects = artwork::regionRects(artwork::outlineMask(skin));
    ASSERT_EQ(rects.size(), g.rects.size());
    for (size_t i = 0; i < rects.size(); ++i) {
      EXPECT_EQ(QRect(QPoint(rects[i].left, rects[i].top), QPoint(rects[i].right - 1, rects[i].bottom - 1)),
                g.rects[i]);
    }
  }
}

TEST(Regions, MonthPictureHasRoundedCorners) {
  const Region g = parse(readAll(QStringLiteral(CALIXO_RUNTIME_DIR "/Zuimage.EXB")));
  checkRegion(g, QSize(192, 292), QSize(192, 292));
  EXPECT_EQ(g.bound, QRect(0, 0, 192, 292));
}

}  // namespace
