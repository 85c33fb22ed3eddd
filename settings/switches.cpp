#include "switches.h"

#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace calixo {

namespace {

std::string trimmed(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
    ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
    --e;
  return s.substr(b, e - b);
}

}  // namespace

const std::vector<SwitchSpec> &Switches() {
  // One row per switch. Add new switches here; the dialog and the readers
  // pick them up from this table.
  static const std::vector<SwitchSpec> rows = {
      {"Lunar", "Extended", SwitchKind::Flag, 1, 0, 1, "农历日期到2100年"},
      {"Lunar", "Festivals", SwitchKind::Flag, 1, 0, 1, "显示节日和节气"},
      {"Timelist", "KeepHistory", SwitchKind::Flag, 1, 0, 1, "保留过去月份的计划"},
  };
  return rows;
}

const SwitchSpec *FindSwitch(const std::string &section, const std::string &key) {
  for (const SwitchSpec &s : Switches())
    if (strcasecmp(s.Section, section.c_str()) == 0 && strcasecmp(s.Key, key.c_str()) == 0)
      return &s;
  return nullptr;
}

bool SwitchFlagValue(const std::string &stored) { return trimmed(stored) != "0"; }

int SwitchNumberValue(const SwitchSpec &spec, const std::string &stored) {
  const std::string t = trimmed(stored);
  if (t.empty())
    return spec.Default;
  char *end = nullptr;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (*end != '\0' || v < spec.Min || v > spec.Max)
    return spec.Default;
  return static_cast<int>(v);
}

}  // namespace calixo
