// The libjpeg decoder: every shipped skin decodes at its size with the same
// pixels as Qt's own reader, and bad data gives a null picture (never an exit).
#include "imagemy.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>

#include <cstdlib>

namespace {

QByteArray resource(const QString &path) {
  loadSkinPicture(path);  // registers the resources
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct SkinRow {
  const char *path;
  int w, h;
};
const SkinRow kSkins[] = {
    {":/skins/main.jpg", 573, 353},
    {":/skins/timelist.jpg", 228, 266},
    {":/skins/memo.jpg", 258, 287},
    {":/skins/countdown.jpg", 350, 235},
};

TEST(SkinJpeg, EveryShippedSkinDecodesAtItsSize) {
  for (const SkinRow &s : kSkins) {
    SCOPED_TRACE(s.path);
    const QImage img = loadSkinPicture(QString::fromLatin1(s.path));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(s.w, s.h));
  }
}

TEST(SkinJpeg, PixelsMatchQtsOwnJpegReader) {
  if (!QImageReader::supportedImageFormats().contains("jpeg"))
    GTEST_SKIP() << "Qt has no JPEG reader here to compare with";
  for (const SkinRow &s : kSkins) {
    SCOPED_TRACE(s.path);
    const QByteArray bytes = resource(QString::fromLatin1(s.path));
    const QImage ours = decodeJpeg(bytes).convertToFormat(QImage::Format_RGB32);
    const QImage qts = QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(ours.size(), qts.size());
    // Decoders may round differently by a step or two; a channel mix-up or a
    // shifted row is far more than that.
    long worst = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QRgb a = ours.pixel(x, y), b = qts.pixel(x, y);
        worst = std::max({worst, std::labs(long(qRed(a)) - qRed(b)),
                          std::labs(long(qGreen(a)) - qGreen(b)), std::labs(long(qBlue(a)) - qBlue(b))});
      }
    EXPECT_LE(worst, 3);
  }
}

TEST(SkinJpeg, BadDataGivesANullPicture) {
  const QByteArray good = resource(QStringLiteral(":/skins/memo.jpg"));
  ASSERT_GT(good.size(), 1000);
  QByteArray noise(4096, '\0');
  QRandomGenerator rng(7);
  for (char &c : noise)
    c = char(rng.bounded(256));
  QByteArray corruptScan = good;
  for (qsizetype i = good.size() / 2; i < good.size() / 2 + 64; ++i)
    corruptScan[i] = char(0xFF);
  struct Row {
    const char *name;
    QByteArray bytes;
  };
  const Row rows[] = {
      {"empty", QByteArray()},
      {"noise", noise},
      {"start of image only", QByteArray("\xFF\xD8", 2)},
      {"header cut short", good.left(200)},
      {"cut in the scan", good.left(good.size() / 2)},
      {"markers in the scan", corruptScan},
      {"not a jpeg", QByteArray("BM\x36\x00\x00\x00", 6) + QByteArray(64, '\x01')},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_TRUE(decodeJpeg(r.bytes).isNull());
  }
  EXPECT_TRUE(loadSkinPicture(QStringLiteral(":/skins/none.jpg")).isNull());
  // The decoder is still usable after the failures.
  EXPECT_FALSE(decodeJpeg(good).isNull());
}

}  // namespace
