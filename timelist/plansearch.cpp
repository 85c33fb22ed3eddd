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

bool containsFolded(std::string_view folded, std::string_view needle) {
  for (size_t at = folded.find(needle); at != std::string_view::npos; at = folded.find(needle, at + 1))
    if (boundaryAt(folded, at))
      return true;
  return false;
}

const dbf::FieldDef *field(dbf::TDbfDataSet &table, const char *name) {
  for (const dbf::FieldDef &f : table.Fields())
    if (strcasecmp(f.name.c_str(), name) == 0)
      return &f;
  return nullptr;
}

}  // namespace

bool PlanTextContains(std::string_view text, std::string_view needle) {
  std::string t, n;
  foldInto(text, t);
  foldInto(needle, n);
  return !n.empty() && containsFolded(t, n);
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
  std::string folded, n;
  foldInto(needle, n);
  table.ScanRecords([&](int, const char *rec) {
    if (dbf::RecordDeleted(rec))
      return true;
    std::string_view t(rec + text->offset, static_cast<size_t>(text->width));
    while (!t.empty() && t.back() == ' ')
      t.remove_suffix(1);
    if (t.size() < n.size())
      return true;
    foldInto(t, folded);
    if (!containsFolded(folded, n))
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
