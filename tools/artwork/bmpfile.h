// Windows BMP files as the program's built-in bitmaps need them: 24-bit
// colour, and 4-bit (16 colours) with a palette. Bottom-up rows padded to
// four bytes, BITMAPINFOHEADER, no compression.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

namespace artwork {

QByteArray bmp24(const QImage &image);
// Every pixel of image is mapped to the nearest palette entry (at most 16).
QByteArray bmp4(const QImage &image, const QList<QRgb> &palette);

bool writeFile(const QString &path, const QByteArray &bytes);

}  // namespace artwork
