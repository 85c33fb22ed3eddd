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

const std::vector<SwitchRow> &Switches() {
  // One row per switch. Add new switches here; the dialog and the readers
  // pick them up from this table.
  static const std::vector<SwitchRow> rows = {
      {"Lunar", "Extended", SwitchKind::Flag, 1, 0, 1, "农历日期到2100年"},
      {"Lunar", "Festivals", SwitchKind::Flag, 1, 0, 1, "显示节日和节气"},
      {"Holidays", "Show", SwitchKind::Flag, 1, 0, 1, "显示休班"},
      {"Repeats", "Enabled", SwitchKind::Flag, 1, 0, 1, "纪念日"},
      {"Timelist", "KeepHistory", SwitchKind::Flag, 1, 0, 1, "保留过去月份的计划"},
      {"Reminders", "CatchUp", SwitchKind::Flag, 1, 0, 1, "启动时显示错过的提醒"},
      {"Reminders", "Notify", SwitchKind::Flag, 1, 0, 1, "提醒时发送桌面通知"},
      {"Reminders", "Sound", SwitchKind::Flag, 1, 0, 1, "提醒时播放提示音"},
      // 0: the reminder box has no 稍后提醒 button.
      {"Reminders", "Snooze", SwitchKind::Number, 10, 0, 120, "稍后提醒间隔（分钟）"},
      {"Calendar", "DayTips", SwitchKind::Flag, 1, 0, 1, "鼠标停在日期上时显示整个日期"},
      {"Calendar", "Keys", SwitchKind::Flag, 1, 0, 1, "用方向键、翻页键、Home和回车选择日期"},
      {"Calendar", "TodayMark", SwitchKind::Flag, 1, 0, 1, "选中别的日期时仍标出今天"},
      {"Calendar", "SmallMarker", SwitchKind::Flag, 1, 0, 1, "计划标记缩小到格子左下角，不遮文字"},
      // Nothing syncs without a URL, nor with Enabled=0.
      {"Sync", "Enabled", SwitchKind::Flag, 1, 0, 1, "与 CalDAV 日历同步（启动时、改动后和每15分钟）"},
      {"Sync", "URL", SwitchKind::Text, 0, 0, 0, "CalDAV 日历地址"},
      {"Sync", "User", SwitchKind::Text, 0, 0, 0, "用户名"},
  };
  return rows;
}

const SwitchRow *FindSwitch(const std::string &section, const std::string &key) {
  for (const SwitchRow &s : Switches())
    if (strcasecmp(s.Section, section.c_str()) == 0 && strcasecmp(s.Key, key.c_str()) == 0)
      return &s;
  return nullptr;
}

bool SwitchFlagValue(const std::string &stored) { return trimmed(stored) != "0"; }

std::string SwitchTextValue(const std::string &stored) { return trimmed(stored); }

int SwitchNumberValue(const SwitchRow &row, const std::string &stored) {
  const std::string t = trimmed(stored);
  if (t.empty())
    return row.Default;
  char *end = nullptr;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (*end != '\0' || v < row.Min || v > row.Max)
    return row.Default;
  return static_cast<int>(v);
}

}  // namespace calixo
