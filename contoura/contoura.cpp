// SetRgn: reads a region file whole, builds the region from it and shapes the
// window. Everything it needs is its own or the platform's (Qt Widgets for the
// window, the region and the message box), so any program may load it.
#include "contoura.h"
#include "rgnparse.h"

#include "filenames.h"

#include <QApplication>
#include <QMessageBox>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A region file far larger than any window outline (the program's are a
// few kilobytes): it is refused with the usual message rather than read whole.
constexpr uint64_t kRegionFileMax = 16u << 20;

// The whole file. False when it cannot be opened, is not a regular file (a
// FIFO or device is refused without blocking on it), is larger than any
// region file, or a read fails.
bool readRegionFile(const char *fileName, std::vector<uint8_t> &bytes) {
  if (!fileName)
    return false;
  std::string data;
  if (calixo::readRegularFile(fileName, data, kRegionFileMax) != 0)
    return false;
  bytes.assign(data.begin(), data.end());
  return true;
}

// Far beyond any screen; keeps width and height arithmetic inside int.
constexpr int32_t kCoordinateLimit = 1 << 24;

QRect toQRect(const contoura::SRgnRect &r) {
  const auto clamp = [](int32_t v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
  const int left = clamp(r.left), top = clamp(r.top), right = clamp(r.right), bottom = clamp(r.bottom);
  if (right <= left || bottom <= top)
    return QRect();
  return QRect(left, top, right - left, bottom - top);
}

// The union of the rectangles, merged pairwise so that a long list costs
// n log n rather than n squared.
QRegion unionOf(const std::vector<contoura::SRgnRect> &rects) {
  std::vector<QRegion> parts;
  parts.reserve(rects.size());
  for (const contoura::SRgnRect &r : rects) {
    const QRect q = toQRect(r);
    if (!q.isEmpty())
      parts.emplace_back(q);
  }
  while (parts.size() > 1) {
    std::vector<QRegion> next;
    next.reserve(parts.size() / 2 + 1);
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
      next.push_back(parts[i].united(parts[i + 1]));
    if (parts.size() % 2)
      next.push_back(parts.back());
    parts.swap(next);
  }
  return parts.empty() ? QRegion() : parts.front();
}

void shape(QWidget *window, const std::vector<uint8_t> &bytes) {
  const auto rects = contoura::parseRgnData(bytes.data(), bytes.size());
  if (!window)
    return;
  const QRegion region = rects ? unionOf(*rects) : QRegion();
  // A block without a single pixel shows the plain rectangle, as one that is
  // not a region does: a window shaped to nothing could not be seen again.
  if (region.isEmpty())
    window->clearMask();
  else
    window->setMask(region);
}

// The one message: a modal box with no owner, no caption of its own (the
// platform shows its default, the program's name) and a single OK button.
void showNotFound() {
  if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
    return;  // no widgets without a widget application: nothing to show it on
  QMessageBox box(QMessageBox::NoIcon, QString(), QStringLiteral(".exb 没有找到"), QMessageBox::Ok);
  box.exec();
}

}  // namespace

extern "C" int SetRgn(void *window, const char *fileName) {
  // Nothing may leave this function: every failure to read the file is the
  // one message, and the window keeps its shape.
  bool read = false;
  try {
    std::vector<uint8_t> bytes;
    read = readRegionFile(fileName, bytes);
    if (read)
      shape(static_cast<QWidget *>(window), bytes);
  } catch (...) {
    read = false;
  }
  if (!read) {
    try {
      showNotFound();
    } catch (...) {
    }
  }
  return -1;
}
