// calixo-artwork: draws the program's artwork (the four window skins, the
// built-in bitmaps, the default month picture, the program's icon) and derives the region files
// from the skins it wrote. Everything is drawn procedurally with QPainter and
// a fixed-seed random generator, so a run reproduces the committed files.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRgb>
#include <QString>

#include <cstdint>

namespace artwork {

// The palette every picture shares.
namespace colour {
inline const QColor outside(192, 192, 192);  // around the rounded outlines; masked away
inline const QColor red(184, 36, 32);
inline const QColor redLight(214, 70, 52);
inline const QColor redDark(104, 16, 14);
inline const QColor gold(214, 170, 80);
inline const QColor goldDark(150, 108, 40);
inline const QColor paperTop(255, 251, 240);
inline const QColor paperBottom(243, 231, 204);
inline const QColor card(255, 255, 255);
inline const QColor cardBorder(222, 202, 160);
inline const QColor ink(70, 48, 36);
}  // namespace colour

// A small deterministic generator (the same numbers on every machine).
class Random {
public:
  explicit Random(uint32_t seed) : m_state(seed) {}
  double next() {  // [0, 1)
    m_state = m_state * 1664525u + 1013904223u;
    return double(m_state >> 8) / double(1u << 24);
  }
  double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
  uint32_t m_state;
};

QFont chineseFont(int pixelSize, bool bold = false);

struct SSkin {
  const char *file;  // under skins/
  const char *region;  // under runtime/
  QImage (*paint)();
};
QImage paintMainSkin();
QImage paintTimeListSkin();
QImage paintMemoSkin();
QImage paintCountdownSkin();

struct SBitmap {
  QString name;  // resource name, file bmp/<name>.bmp
  QImage image;  // pixel (1, 1) holds the transparent colour
  QList<QRgb> palette;  // empty: 24-bit colour; else the 16 colours of a 4-bit file
};
QList<SBitmap> paintBitmaps();

QImage paintMonthPicture();
// The program's icon at size x size pixels, with alpha.
QImage paintMainIcon(int size);
// The sizes of the icon the program carries.
inline constexpr int kMainIconSizes[] = {16, 24, 32, 48, 64};
// The month picture control's outline: a rounded rectangle, as an alpha shape.
QImage monthPictureShape();

}  // namespace artwork
