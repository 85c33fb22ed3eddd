#include "region.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace artwork {

QImage outlineMask(const QImage &skin, int tolerance) {
  const QImage img = skin.convertToFormat(QImage::Format_RGB32);
  const int w = img.width(), h = img.height();
  QImage mask(w, h, QImage::Format_Grayscale8);
  mask.fill(255);
  if (w == 0 || h == 0)
    return mask;
  const QRgb key = img.pixel(0, 0);
  auto isOutside = [&](int x, int y) {
    const QRgb c = img.pixel(x, y);
    return std::abs(qRed(c) - qRed(key)) <= tolerance && std::abs(qGreen(c) - qGreen(key)) <= tolerance &&
           std::abs(qBlue(c) - qBlue(key)) <= tolerance;
  };
  std::vector<std::pair<int, int>> stack;
  auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h || mask.constScanLine(y)[x] == 0 || !isOutside(x, y))
      return;
    mask.scanLine(y)[x] = 0;
    stack.emplace_back(x, y);
  };
  for (int x = 0; x < w; ++x) {
    visit(x, 0);
    visit(x, h - 1);
  }
  for (int y = 0; y < h; ++y) {
    visit(0, y);
    visit(w - 1, y);
  }
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    visit(x + 1, y);
    visit(x - 1, y);
    visit(x, y + 1);
    visit(x, y - 1);
  }
  return mask;
}

QImage maskFromAlpha(const QImage &shape) {
  const QImage img = shape.convertToFormat(QImage::Format_ARGB32);
  QImage mask(img.size(), QImage::Format_Grayscale8);
  for (int y = 0; y < img.height(); ++y) {
    const QRgb *in = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    uchar *out = mask.scanLine(y);
    for (int x = 0; x < img.width(); ++x)
      out[x] = qAlpha(in[x]) >= 128 ? 255 : 0;
  }
  return mask;
}

std::vector<SRegionRect> regionRects(const QImage &mask) {
  const QImage m = mask.convertToFormat(QImage::Format_Grayscale8);
  std::vector<SRegionRect> out;
  std::vector<std::pair<int, int>> bandRuns;  // runs of the open band
  int bandTop = 0;
  auto closeBand = [&](int bottom) {
    for (const auto &[l, r] : bandRuns)
      out.push_back({l, bandTop, r, bottom});
    bandRuns.clear();
  };
  for (int y = 0; y < m.height(); ++y) {
    std::vector<std::pair<int, int>> runs;
    const uchar *line = m.constScanLine(y);
    for (int x = 0; x < m.width();) {
      if (line[x] < 128) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < m.width() && line[x] >= 128)
        ++x;
      runs.emplace_back(start, x);
    }
    if (runs != bandRuns) {
      closeBand(y);
      bandRuns = std::move(runs);
      bandTop = y;
    }
  }
  closeBand(m.height());
  return out;
}

QByteArray rgnData(const std::vector<SRegionRect> &rects) {
  QByteArray b;
  auto put = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b.append(char((v >> (8 * i)) & 0xFF));
  };
  SRegionRect bound{0, 0, 0, 0};
  if (!rects.empty()) {
    bound = rects.front();
    for (const SRegionRect &r : rects) {
      bound.left = std::min(bound.left, r.left);
      bound.top = std::min(bound.top, r.top);
      bound.right = std::max(bound.right, r.right);
      bound.bottom = std::max(bound.bottom, r.bottom);
    }
  }
  put(32);
  put(1);
  put(uint32_t(rects.size()));
  put(uint32_t(rects.size() * 16));
  for (int32_t v : {bound.left, bound.top, bound.right, bound.bottom})
    put(uint32_t(v));
  for (const SRegionRect &r : rects) {
    for (int32_t v : {r.left, r.top, r.right, r.bottom})
      put(uint32_t(v));
  }
  return b;
}

}  // namespace artwork
