#include "plansearch.h"

#include "clock.h"
#include "timetable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <tuple>

namespace {

bool isLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// ASCII letters to lower case, two-byte characters left as they are.
void foldInto(std::string_view text, std::string &out) {
  out.assign(text.data(), text.size());
  for (size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (isLead(c) && i + 1 < out.size())
      ++i;
    else if (c >= 'A' && c <= 'Z')
      out[i] = static_cast<char>(c + 32);
  }
}

// Is at a character boundary of text (no trail byte of a two-byte character)?
bool boundaryAt(std::string_view text, size_t at) {
  size_t i = 0;
  while (i < at)
    i += isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  return i == at;
}

inline char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// A needle ready for many texts: its folded bytes, which of them are the
// second byte of a two-byte character (compared exactly: such a byte may
// look like a letter), and both cases of its first byte.
class Needle {
public:
  explicit Needle(std::string_view needle) {
    foldInto(needle, m_bytes);
    m_trail.assign(m_bytes.size(), false);
    for (size_t i = 0; i < m_bytes.size(); ++i)
      if (isLead(static_cast<unsigned char>(m_bytes[i])) && i + 1 < m_bytes.size())
        m_trail[++i] = true;
    if (!m_bytes.empty()) {
      m_first = m_bytes[0];
      m_firstUpper = m_first >= 'a' && m_first <= 'z' ? static_cast<char>(m_first - 32) : m_first;
    }
  }
  bool empty() const { return m_bytes.empty(); }
  size_t size() const { return m_bytes.size(); }

  // Where the needle starts in text at a character boundary; npos if nowhere.
  size_t in(std::string_view text) const {
    const size_t n = m_bytes.size();
    if (n == 0 || text.size() < n)
      return std::string_view::npos;
    const char *p = text.data();
    const size_t last = text.size() - n;
    // Candidates are found with memchr, for each case of the first byte.
    auto next = [p, last](char c, size_t from) {
      if (from > last)
        return std::string_view::npos;
      const void *hit = std::memchr(p + from, c, last - from + 1);
      return hit ? static_cast<size_t>(static_cast<const char *>(hit) - p) : std::string_view::npos;
    };
    size_t lowerAt = next(m_first, 0);
    size_t upperAt = m_firstUpper != m_first ? next(m_firstUpper, 0) : std::string_view::npos;
    for (;;) {
      const size_t i = std::min(lowerAt, upperAt);
      if (i == std::string_view::npos)
        break;
      if (i == lowerAt)
        lowerAt = next(m_first, i + 1);
      else
        upperAt = next(m_firstUpper, i + 1);
      size_t k = 1;
      for (; k < n; ++k)
        if ((m_trail[k] ? p[i + k] : lower(p[i + k])) != m_bytes[k])
          break;
      if (k == n && boundaryAt(text, i))
        return i;
    }
    return std::string_view::npos;
  }

private:
  std::string m_bytes;
  std::vector<bool> m_trail;
  char m_first = 0, m_firstUpper = 0;
};

const dbf::FieldDef *field(dbf::TDbfDataSet &table, const char *name) {
  for (const dbf::FieldDef &f : table.Fields())
    if (strcasecmp(f.name.c_str(), name) == 0)
      return &f;
  return nullptr;
}

}  // namespace

bool PlanTextContains(std::string_view text, std::string_view needle) {
  const Needle n(needle);
  return n.in(text) != std::string_view::npos;
}

void FindPlansInTable(dbf::TDbfDataSet &table, const std::string &needle, bool history,
                      std::vector<SFoundPlan> &out) {
  if (needle.empty() || !table.Active())
    return;
  const dbf::FieldDef *date = field(table, "DATE");
  const dbf::FieldDef *time = field(table, "TIME");
  const dbf::FieldDef *text = field(table, "DO");
  if (!date || !time || !text)
    return;
  const Needle n(needle);
  table.ScanRecords([&](int, const char *rec) {
    if (dbf::RecordDeleted(rec))
      return true;
    std::string_view t(rec + text->offset, static_cast<size_t>(text->width));
    const size_t at = n.in(t);
    if (at == std::string_view::npos)
      return true;
    // Trailing blanks are no part of the text.
    while (!t.empty() && t.back() == ' ')
      t.remove_suffix(1);
    if (at + n.size() > t.size())
      return true;
    double day = 0, fraction = 0;
    if (!dbf::NumberAt(rec, *date, day) || !std::isfinite(day) || std::fabs(day) > 1e7)
      return true;
    SFoundPlan p;
    calixo::dateFromDayNumber(static_cast<int64_t>(std::floor(day)), p.Year, p.Month, p.Day);
    if (dbf::NumberAt(rec, *time, fraction)) {
      int32_t h = 0, m = 0, s = 0;
      splitTimeFraction(fraction, h, m, s);
      p.Hour = h;
      p.Minute = m;
    }
    p.Text.assign(t.data(), t.size());
    p.History = history;
    out.push_back(std::move(p));
    return true;
  });
}

std::vector<SFoundPlan> FindPlans(const std::string &text, const std::vector<TPlanSource> &sources) {
  std::vector<SFoundPlan> found;
  if (text.empty())
    return found;
  for (const TPlanSource &source : sources)
    if (source)
      source(text, found);
  std::stable_sort(found.begin(), found.end(), [](const SFoundPlan &a, const SFoundPlan &b) {
    return std::tie(a.Year, a.Month, a.Day, a.Hour, a.Minute) < std::tie(b.Year, b.Month, b.Day, b.Hour, b.Minute);
  });
  return found;
}
