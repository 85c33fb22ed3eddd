#include "bmpfile.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

namespace artwork {

namespace {

void put16(QByteArray &b, quint16 v) {
  b.append(char(v & 0xFF));
  b.append(char(v >> 8));
}
void put32(QByteArray &b, quint32 v) {
  for (int i = 0; i < 4; ++i)
    b.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray headers(int w, int h, int bpp, int paletteSize, int rowBytes) {
  const quint32 offset = 14 + 40 + 4 * paletteSize;
  const quint32 imageSize = quint32(rowBytes) * quint32(h);
  QByteArray b;
  b.append("BM");
  put32(b, offset + imageSize);
  put32(b, 0);
  put32(b, offset);
  put32(b, 40);
  put32(b, quint32(w));
  put32(b, quint32(h));  // positive: bottom-up
  put16(b, 1);
  put16(b, quint16(bpp));
  put32(b, 0);  // BI_RGB
  put32(b, imageSize);
  put32(b, 2835);  // 72 dpi
  put32(b, 2835);
  put32(b, quint32(paletteSize));
  put32(b, 0);
  return b;
}

int nearest(QRgb c, const QList<QRgb> &palette) {
  int best = 0, bestDist = std::numeric_limits<int>::max();
  for (int i = 0; i < palette.size(); ++i) {
    const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
              db = qBlue(c) - qBlue(palette[i]);
    const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

QByteArray bmp24(const QImage &image) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const int rowBytes = (img.width() * 3 + 3) & ~3;
  QByteArray b = headers(img.width(), img.height(), 24, 0, rowBytes);
  for (int y = img.height() - 1; y >= 0; --y) {
    const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    int n = 0;
    for (int x = 0; x < img.width(); ++x, n += 3) {
      b.append(char(qBlue(line[x])));
      b.append(char(qGreen(line[x])));
      b.append(char(qRed(line[x])));
    }
    for (; n < rowBytes; ++n)
      b.append('\0');
  }
  return b;
}

QByteArray bmp4(const QImage &image, const QList<QRgb> &palette) {
  Q_ASSERT(!palette.isEmpty() && palette.size() <= 16);
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const int rowBytes = ((img.width() + 1) / 2 + 3) & ~3;
  QByteArray b = headers(img.width(), img.height(), 4, int(palette.size()), rowBytes);
  for (QRgb c : palette) {
    b.append(char(qBlue(c)));
    b.append(char(qGreen(c)));
    b.append(char(qRed(c)));
    b.append('\0');
  }
  for (int y = img.height() - 1; y >= 0; --y) {
    QByteArray row(rowBytes, '\0');
    for (int x = 0; x < img.width(); ++x) {
      const int i = nearest(img.pixel(x, y), palette);
      row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? i << 4 : i));
    }
    b.append(row);
  }
  return b;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
  QSaveFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

}  // namespace artwork
