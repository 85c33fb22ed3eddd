// The main window's share of the birthdays and anniversaries: opening
// REPEATS.DBF, the 纪念日 window and its context menu entries, the mark on a
// day an anniversary falls on, and the reminders the clock's tick asks for.
// Everything is off with [Repeats] Enabled=0.
#include "mainform.h"

#include "calixoini.h"
#include "cellcanvas.h"
#include "clock.h"
#include "drawgrid.h"
#include "gbk.h"
#include "repeatdialog.h"
#include "repeatsform.h"
#include "repeattable.h"
#include "ui.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>
#include <optional>

namespace {

// A small rose dot for the top-right corner of a day cell, where neither the
// day's number (top left) nor the lunar label (centre) nor the entry marker
// (bottom centre) reaches.
QImage repeatMark() {
  QImage mark(6, 6, QImage::Format_ARGB32_Premultiplied);
  mark.fill(Qt::transparent);
  QPainter p(&mark);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xD0, 0x20, 0x70));
  p.drawEllipse(QRectF(0, 0, 6, 6));
  return mark;
}

}  // namespace

lunar::LunarTable TMainForm::LunarTableInUse() const {
  return m_labelMode == lunar::LabelMode::Classic ? lunar::LunarTable::Classic : lunar::LunarTable::Extended;
}

void TMainForm::openRepeatTable() {
  if (!m_settings->SwitchOn("Repeats", "Enabled"))
    return;
  RepeatMarkBitmap = repeatMark();
  m_repeatTable = std::make_unique<repeats::TRepeatTable>();
  // A damaged table is reported, naming the file, and left as it is; the
  // program runs without anniversaries.
  calixo::guarded([this] {
    m_repeatTable->CreateIfMissing();
    m_repeatTable->Open();
  });
}

void TMainForm::layoutRepeatMarks(int year, int month) {
  RepeatMarks.fill(0);
  if (!m_repeatTable || !m_repeatTable->Active())
    return;
  for (const repeats::SOccurrence &o :
       repeats::occurrencesInMonth(m_repeatTable->Items(), year, month, LunarTableInUse())) {
    int y, m, d;
    calixo::dateFromDayNumber(o.DayNumber, y, m, d);
    const int cell = FirstCell + d - 1;
    if (cell >= 0 && cell < kDayCellCount)
      RepeatMarks[static_cast<size_t>(cell)] = 1;
  }
}

QStringList TMainForm::AnniversariesOn(int day) const {
  QStringList names;
  if (!m_repeatTable || !m_repeatTable->Active())
    return names;
  const int64_t n = calixo::dayNumber(SelYear, SelMonth, day);
  const auto &items = m_repeatTable->Items();
  for (const repeats::SOccurrence &o : repeats::occurrencesBetween(items, n, n, LunarTableInUse())) {
    const repeats::SREPEATDATA &r = items[o.Index];
    names << calixo::fromGbk(r.Text) + QStringLiteral("（%1）").arg(QString::fromStdString(repeats::dateName(r)));
  }
  return names;
}

void TMainForm::drawRepeatMark(TCellCanvas &canvas, int cell, const QRect &rect, int marksRight) {
  if (RepeatMarks[static_cast<size_t>(cell)] == 1)
    canvas.Draw(std::min(marksRight + 2, rect.right() - RepeatMarkBitmap.width()), rect.top() + 4,
                RepeatMarkBitmap);
}

void TMainForm::ShowRepeatsWindow() {
  if (!m_repeatTable || !m_repeatTable->Active())
    return;
  if (!RepeatsForm) {
    RepeatsForm = new TRepeatsForm(*m_repeatTable, LunarTableInUse());
    connect(RepeatsForm, &TRepeatsForm::changed, this, [this] {
      layoutRepeatMarks(SelYear, SelMonth);
      DrawGridDate->update();
      // Today's reminders may have changed with it.
      const calixo::LocalDateTime today = calixo::clock().now();
      ArmNextAlarm(today.year, today.month, today.day);
    });
    // First shown beside the calendar, so the marks it adds stay in view.
    RepeatsForm->move(frameGeometry().topRight() + QPoint(8, 0));
  }
  RepeatsForm->Reload();
  RepeatsForm->show();
  RepeatsForm->raise();
  RepeatsForm->activateWindow();
}

void TMainForm::AddRepeatOnDay(int day) {
  ShowRepeatsWindow();
  if (!RepeatsForm)
    return;
  const auto ld = lunar::SolarToLunar(SelYear - 1911, SelMonth, day, LunarTableInUse());
  const int month = SelMonth;
  RepeatsForm->AddRepeat([ld, month, day](TRepeatDialog &dialog) {
    dialog.setDayDates(ld ? ld->month : 1, ld ? ld->day : 1, month, day);
    // A day the lunar table does not reach gets its Gregorian date.
    if (!ld)
      dialog.ComboKind->setCurrentIndex(1);
  });
}

void TMainForm::addRepeatActions(QMenu &menu, const QPoint &pos) {
  if (!m_repeatTable || !m_repeatTable->Active())
    return;
  menu.addAction(QStringLiteral("纪念日…"), this, &TMainForm::ShowRepeatsWindow);
  int col, row;
  const QPoint inGrid = DrawGridDate->mapFrom(this, pos);
  if (DrawGridDate->rect().contains(inGrid) && DrawGridDate->MouseToCell(inGrid, col, row)) {
    const int k = cellOf(col, row);
    const int d = k >= 0 ? DayCells[static_cast<size_t>(k)] : 0;
    if (d != 0)
      menu.addAction(QStringLiteral("添加纪念日"), this, [this, d] { AddRepeatOnDay(d); });
  }
}

namespace {

// The reminder of r on day (daysUntil its occurrence), cleared by storing
// FIRED; the record is found again by its contents, since a delete in the
// 纪念日 window may have moved it meanwhile.
reminders::DueItem anniversaryReminder(QPointer<TMainForm> form, const repeats::SREPEATDATA &r, int64_t day,
                                       int daysUntil) {
  reminders::DueItem i;
  i.Day = day;
  i.Hour = r.Hour;
  i.Minute = r.Minute;
  calixo::utf8ToGbk(repeats::reminderText(r, daysUntil), i.Text);
  i.Clear = [form, key = r, day] {
    if (!form || !form->RepeatTable())
      return;
    for (const repeats::SREPEATDATA &now : form->RepeatTable()->Items())
      if (now.Kind == key.Kind && now.Month == key.Month && now.Day == key.Day && now.Text == key.Text &&
          now.Hour == key.Hour && now.Minute == key.Minute) {
        calixo::guarded([&] { form->RepeatTable()->SetFired(now.RecNo, day); });
        break;
      }
  };
  return i;
}

}  // namespace

std::vector<reminders::DueItem> TMainForm::AnniversaryRemindersOf(int64_t day) {
  std::vector<reminders::DueItem> out;
  if (!m_repeatTable || !m_repeatTable->Active())
    return out;
  const lunar::LunarTable table = LunarTableInUse();
  for (const repeats::SREPEATDATA &r : m_repeatTable->Items()) {
    if (r.SetFlag != 1 || r.Fired == day)
      continue;
    const std::optional<repeats::SOccurrence> next = repeats::nextOccurrence(r, day, table);
    if (next && next->DayNumber - day <= r.Ahead)
      out.push_back(anniversaryReminder(this, r, day, static_cast<int>(next->DayNumber - day)));
  }
  return out;
}

std::vector<reminders::DueItem> TMainForm::MissedAnniversaryReminders(int64_t day) {
  std::vector<reminders::DueItem> out;
  if (!m_repeatTable || !m_repeatTable->Active())
    return out;
  const lunar::LunarTable table = LunarTableInUse();
  for (const repeats::SREPEATDATA &r : m_repeatTable->Items()) {
    if (r.SetFlag != 1)
      continue;
    for (int64_t d = day - 1; d >= day - 31 && d > r.Fired; --d) {
      const std::optional<repeats::SOccurrence> next = repeats::nextOccurrence(r, d, table);
      if (next && next->DayNumber - d <= r.Ahead) {
        out.push_back(anniversaryReminder(this, r, d, static_cast<int>(next->DayNumber - d)));
        break;
      }
    }
  }
  return out;
}
