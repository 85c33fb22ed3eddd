// calixo-artwork: writes the program's artwork into a data folder.
//
//   calixo-artwork DATA_DIR              skins/*.jpg, bmp/*.bmp, icons/*.png, runtime/*
//                                        under DATA_DIR
//   calixo-artwork region SKIN OUTFILE   the region file of a new skin picture
//
// The region files are derived from the JPEG skins as written (decoded
// again), so they follow exactly the outlines a user sees.
#include "artwork.h"
#include "bmpfile.h"
#include "region.h"

#include <QBuffer>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>

#include <cstdio>

namespace artwork {

QFont chineseFont(int pixelSize, bool bold) {
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

}  // namespace artwork

namespace {

using namespace artwork;

bool fail(const QString &what) {
  std::fprintf(stderr, "calixo-artwork: %s\n", qPrintable(what));
  return false;
}

bool writeRegion(const QImage &mask, const QString &path) {
  if (!writeFile(path, rgnData(regionRects(mask))))
    return fail("cannot write " + path);
  return true;
}

bool regionOfSkin(const QString &skinPath, const QString &out) {
  QImage skin;
  if (!skin.load(skinPath))
    return fail("cannot read " + skinPath);
  return writeRegion(outlineMask(skin), out);
}

bool writeAll(const QString &dataDir) {
  const QDir dir(dataDir);
  for (const char *sub : {"skins", "bmp", "runtime", "icons"}) {
    if (!dir.mkpath(sub))
      return fail("cannot create " + dir.filePath(sub));
  }
  const SSkin skins[] = {{"main.jpg", "CALIXOBL.EXB", paintMainSkin},
                         {"timelist.jpg", "CALIXOBLR.EXB", paintTimeListSkin},
                         {"memo.jpg", "CALIXOTOP.EXB", paintMemoSkin},
                         {"countdown.jpg", "CalixoMb.EXB", paintCountdownSkin}};
  for (const SSkin &s : skins) {
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    if (!s.paint().save(&buf, "JPG", 92))
      return fail("no JPEG writer (Qt's jpeg image format plugin)");
    const QString path = dir.filePath(QStringLiteral("skins/") + s.file);
    if (!writeFile(path, jpeg))
      return fail("cannot write " + path);
    if (!regionOfSkin(path, dir.filePath(QStringLiteral("runtime/") + s.region)))
      return false;
  }
  for (const SBitmap &b : paintBitmaps()) {
    const QString path = dir.filePath("bmp/" + b.name + ".bmp");
    if (!writeFile(path, b.palette.isEmpty() ? bmp24(b.image) : bmp4(b.image, b.palette)))
      return fail("cannot write " + path);
  }
  for (int size : kMainIconSizes) {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    if (!paintMainIcon(size).save(&buf, "PNG"))
      return fail("no PNG writer");
    const QString path = dir.filePath(QStringLiteral("icons/MAINICON-%1.png").arg(size));
    if (!writeFile(path, png))
      return fail("cannot write " + path);
  }
  if (!writeFile(dir.filePath("runtime/calixo.bmp"), bmp24(paintMonthPicture())))
    return fail("cannot write calixo.bmp");
  return writeRegion(maskFromAlpha(monthPictureShape()), dir.filePath("runtime/Zuimage.EXB"));
}

}  // namespace

int main(int argc, char **argv) {
  // Drawing text needs a GUI application but never a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  bool ok = false;
  if (args.size() == 2)
    ok = writeAll(args[1]);
  else if (args.size() == 4 && args[1] == QLatin1String("region"))
    ok = regionOfSkin(args[2], args[3]);
  else
    std::fprintf(stderr, "usage: calixo-artwork DATA_DIR\n       calixo-artwork region SKIN OUTFILE\n");
  return ok ? 0 : 1;
}
