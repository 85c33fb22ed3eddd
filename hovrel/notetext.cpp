#include "notetext.h"

#include "ui.h"

#include <algorithm>
#include <string>

namespace hovrel {

namespace {

// The GBK bytes of one character (a surrogate pair is one), 0 when GBK has
// no form for it.
int charBytes(QStringView one) {
  std::string gbk;
  return calixo::toGbk(one.toString(), gbk) ? static_cast<int>(gbk.size()) : 0;
}

int charLength(QStringView text, qsizetype i) {
  return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

}  // namespace

int gbkSize(QStringView text) {
  int bytes = 0;
  for (qsizetype i = 0; i < text.size();) {
    const int n = charLength(text, i);
    const int b = charBytes(text.mid(i, n));
    bytes += b ? b : 2;
    i += n;
  }
  return bytes;
}

SNoteTextFit fitNoteEdit(const QString &before, const QString &after, int maxBytes) {
  const qsizetype shorter = std::min(before.size(), after.size());
  qsizetype head = 0;
  while (head < shorter && before[head] == after[head])
    ++head;
  qsizetype tail = 0;
  while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  // Never split a surrogate pair between the unchanged parts and the edit.
  if (head > 0 && after[head - 1].isHighSurrogate())
    --head;
  if (tail > 0 && after[after.size() - tail].isLowSurrogate())
    --tail;

  SNoteTextFit fit;
  fit.at = static_cast<int>(head);
  fit.inserted = static_cast<int>(after.size() - head - tail);
  const QStringView inserted = QStringView(after).mid(head, fit.inserted);
  int room = maxBytes - gbkSize(QStringView(after).left(head)) - gbkSize(QStringView(after).right(tail));
  QString kept;
  for (qsizetype i = 0; i < inserted.size();) {
    const int n = charLength(inserted, i);
    const QStringView one = inserted.mid(i, n);
    i += n;
    const int bytes = charBytes(one);
    if (bytes == 0) {
      // As in the time list, an edit with a character GBK cannot store is
      // refused as a whole.
      fit.refused = true;
      fit.cut = false;
      return fit;
    }
    if (fit.cut || bytes > room) {
      fit.cut = true;
      continue;
    }
    room -= bytes;
    kept += one;
  }
  fit.kept = kept;
  return fit;
}

}  // namespace hovrel
