#include "mainform.h"

#include "memolistform.h"

#include "alarmclock.h"
#include "buttonpictures.h"
#include "calixodata.h"
#include "calixoini.h"
#include "cellcanvas.h"
#include "clock.h"
#include "contoura.h"
#include "drawgrid.h"
#include "filenames.h"
#include "fittedlabel.h"
#include "holidays.h"
#include "imagemy.h"
#include "lunar.h"
#include "navigation.h"
#include "picturebutton.h"
#include "plansearchbox.h"
#include "repeatsform.h"
#include "repeattable.h"
#include "settingsdlg.h"
#include "switchwriter.h"
#include "syncscheduler.h"
#include "toolwindow.h"
#include "ui.h"
#include "zuimage.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

TMainForm *MainForm = nullptr;

namespace {

// The classic Windows desktop colour, in which the month number is drawn.
const QColor kDesktopColour(0x3A, 0x6E, 0xA5);
const QColor kSilver(0xC0, 0xC0, 0xC0);
constexpr int kGridFontPoints = 8;

// The month labels show Latin letters and digits only, which their own faces
// hold: no other face is looked for to fill gaps, a search of every installed
// font that would otherwise come before the first paint.
QFont latinOnly(QFont font) {
  font.setStyleStrategy(QFont::NoFontMerging);
  return font;
}
// Festivals and solar terms: a strong blue, clear of the black and red of the
// other labels, that reads on the white cells and, dark on light, on the
// selection colour of the current cell too.
const QColor kFestivalColour(0x00, 0x00, 0xC8);
// 休 in red, as calendars print days off; 班 in a dark grey that stays clear
// of the red day numbers of the weekends it falls on.
const QColor kHolidayOffColour(0xE0, 0x00, 0x00);
const QColor kHolidayWorkColour(0x40, 0x40, 0x40);
// The marks' pixel size: the glyph stands at least 9 pixels tall.
constexpr int kHolidayMarkPixels = 11;
// The user's additions to the built-in schedule, in the data folder.
const char kHolidaysFile[] = "holidays.txt";
// Today's cell: a pale yellow behind the texts, which the selection colour
// of the current cell replaces while today is the selected day.
const QColor kTodayColour(0xFF, 0xE8, 0x8A);
// The small entry marker: 9 x 9 pixels in the cell's bottom-left corner,
// left of the lunar label (which starts 13 pixels in) and below the day
// number. The top-right corner is kept free for the holiday mark, the
// strip between the day number and it for a future anniversary mark.
constexpr int kSmallMarkerSize = 9;

// Sets up label (a child of the window) as one of the window's labels.
QLabel *makeLabel(QLabel *label, const char *name, QRect geometry, const QFont &font,
                  const QColor &colour) {
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  label->setAutoFillBackground(true);
  return label;
}

// Loads a bitmap file named relative to the current directory.
bool loadBitmapFile(const QString &name, QImage &out) {
  QImage img;
  if (name.isEmpty())
    return false;
  // Read through the one reader that never blocks on a FIFO or device and
  // refuses files far larger than any picture.
  std::string bytes;
  if (calixo::readRegularFile(name.toStdString(), bytes, calixo::kPictureFileMax) != 0)
    return false;
  if (!img.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), static_cast<int>(bytes.size())) ||
      img.isNull())
    return false;
  out = img;
  return true;
}

}  // namespace

TMainForm::TMainForm(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint) {
  calixo::initDataResources();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Veloria"));
  setWindowIcon(MainIcon());
  setFixedSize(586, 353);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kSilver);
  setPalette(pal);
  setAutoFillBackground(true);

  ImageMy1 = new TImageMy(this);
  ImageMy1->setObjectName(QStringLiteral("ImageMy1"));
  ImageMy1->move(0, 0);
  ImageMy1->setPicture(loadSkinPicture(QStringLiteral(":/skins/main.jpg")));

  ZuImage1 = new TZuImage(this);
  ZuImage1->setObjectName(QStringLiteral("ZuImage1"));
  ZuImage1->setGeometry(33, 8, 192, 292);
  ZuImage1->setShowStyle(0);

  LabelYear = makeLabel(new QLabel(this), "LabelYear", QRect(232, 48, 36, 19),
                        latinOnly(calixo::substituteFont(QStringLiteral("Comic Sans MS"), 20, true)), Qt::red);
  LabelMonthN = makeLabel(new QLabel(this), "LabelMonthN", QRect(232, 62, 49, 73),
                          latinOnly(calixo::substituteFont(QStringLiteral("Comic Sans MS"), 60, true)),
                          kDesktopColour);
  // The narrow script face of the English month name is stood in for by a
  // serif, narrowed (or, failing that, made smaller) until every month's
  // name fits the label whole, "September" and the descenders included.
  auto *monthName = new TFittedLabel(this);
  LabelMonthE = makeLabel(monthName, "LabelMonthE", QRect(288, 71, 217, 49), font(), Qt::red);
  QStringList monthNames;
  for (const char *name : MonthNamesEn)
    monthNames << QLatin1String(name);
  monthName->fitFont(latinOnly(calixo::substituteFont(QStringLiteral("English111 Vivace BT"), 50, true)), monthNames);
  // The year sits over the top of the month number's label.
  LabelYear->raise();

  DrawGridDate = new TDrawGrid(this);
  DrawGridDate->setObjectName(QStringLiteral("DrawGridDate"));
  DrawGridDate->setGeometry(230, 120, 281, 177);
  DrawGridDate->setGridSize(7, 7, 38, 25, 1);
  QFont gridFont = calixo::substituteFont(QStringLiteral("MS Sans Serif"), 11, true);
  gridFont.setPointSize(kGridFontPoints);
  DrawGridDate->setFont(gridFont);
  DrawGridDate->OnDrawCell = [this](TCellCanvas &canvas, int col, int row, const QRect &rect) {
    OnDrawGirdDateDrawCell(canvas, col, row, rect);
  };
  DrawGridDate->OnMouseUp = [this](QMouseEvent *e) { OnDrawGridDateMouseUp(e); };
  DrawGridDate->OnKeyDown = [this](QKeyEvent *e) { return OnDrawGridDateKeyDown(e); };
  DrawGridDate->OnToolTip = [this](int col, int row) { return DayToolTip(col, row); };
  // The hover text shows also while another window is active, as on a
  // desktop calendar the user glances at.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  ImageClose = createSkinButton("ImageClose", QPoint(529, 237), "B6", QPoint(-1, -1));
  connect(ImageClose, &TPictureButton::clicked, this, &QWidget::close);
  ImageRed = createSkinButton("ImageRed", QPoint(529, 45), "B1", QPoint(-1, -1));
  connect(ImageRed, &TPictureButton::clicked, this, [this] {
    if (m_timeListWindow)
      m_timeListWindow->setVisible(!m_timeListWindow->isVisible());
  });
  ImageGreen = createSkinButton("ImageGreen", QPoint(528, 131), "B3", QPoint(-1, -1));
  connect(ImageGreen, &TPictureButton::clicked, this, [] {
    if (MemoListForm)
      MemoListForm->ToggleShown();
  });
  createNavigationControls();

  DbfDataSetTIMELIST = std::make_unique<dbf::TDbfDataSet>("DbfDataSetTIMELIST");
  m_timeTable = std::make_unique<TTimeTable>(*DbfDataSetTIMELIST, TableBusy);
  m_history = std::make_unique<TTimeHistory>();
  m_timeTable->setHooks({
      [this](int, int, int day) { MarkDayCell(FirstCell + day - 1, true); },
      [this](int, int, int) {
        if (calixo::clock().now().sameDate(SelYear, SelMonth, SelDay))
          ArmNextAlarm(SelYear, SelMonth, SelDay);
      },
      [this](const STIMELISTDATAPtr &row) {
        if (m_entryAppended)
          m_entryAppended(row);
      },
      // Shown once the keystroke or tick that stored has been handled.
      [this](const std::string &message) {
        const QString text = QString::fromUtf8(message);
        QTimer::singleShot(0, this, [text] { calixo::reportError(text); });
      },
  });
  AlarmClock = new TAlarmClock(this);
  auto *find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, &TMainForm::ShowPlanSearch);
}

std::vector<TPlanSource> TMainForm::PlanSources() {
  std::vector<TPlanSource> sources;
  sources.push_back([this](const std::string &needle, std::vector<SFoundPlan> &out) {
    TBusyGuard busy(TableBusy);
    if (!busy.owns())
      return;
    try {
      FindPlansInTable(*DbfDataSetTIMELIST, needle, false, out);
    } catch (const std::exception &) {
      // An unreadable table finds nothing more.
    }
  });
  if (m_keepHistory)
    sources.push_back([this](const std::string &needle, std::vector<SFoundPlan> &out) {
      try {
        if (dbf::TDbfDataSet *archive = m_history->Table())
          FindPlansInTable(*archive, needle, true, out);
      } catch (const std::exception &) {
      }
    });
  // Birthdays and anniversaries, each at its next day.
  sources.push_back([this](const std::string &needle, std::vector<SFoundPlan> &out) {
    if (!m_repeatTable || !m_repeatTable->Active())
      return;
    const calixo::LocalDateTime now = calixo::clock().now();
    const int64_t today = calixo::dayNumber(now.year, now.month, now.day);
    static const std::string kPrefix = "\xBC\xCD\xC4\xEE\xC8\xD5 ";  // "纪念日 " (GBK)
    for (const repeats::SREPEATDATA &r : m_repeatTable->Items()) {
      if (!PlanTextContains(r.Text, needle))
        continue;
      const auto next = repeats::nextOccurrence(r, today, LunarTableInUse());
      if (!next)
        continue;
      SFoundPlan p;
      calixo::dateFromDayNumber(next->DayNumber, p.Year, p.Month, p.Day);
      p.Hour = r.Hour;
      p.Minute = r.Minute;
      p.Text = kPrefix + r.Text;
      out.push_back(std::move(p));
    }
  });
  return sources;
}

void TMainForm::ShowPlanSearch() {
  if (!PlanSearchBox)
    PlanSearchBox = new TPlanSearchBox([this] { return PlanSources(); },
                                       [this](const SFoundPlan &p) { GoToDate(p.Year, p.Month, p.Day); },
                                       this);
  PlanSearchBox->setWindowFlag(Qt::WindowStaysOnTopHint);
  PlanSearchBox->show();
  PlanSearchBox->raise();
  PlanSearchBox->activateWindow();
  PlanSearchBox->EditFind->setFocus();
  PlanSearchBox->EditFind->selectAll();
}

void TMainForm::GoToDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return;
  SelYear = year;
  SelMonth = month;
  SelDay = day;
  RefreshMonth();
  LoadMonthPicture();
  if (m_timeListWindow)
    m_timeListWindow->show();
}

QIcon TMainForm::MainIcon() {
  calixo::initDataResources();
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64})
    icon.addFile(QStringLiteral(":/icons/MAINICON-%1.png").arg(size), QSize(size, size));
  return icon;
}

TMainForm::~TMainForm() {
  delete RepeatsForm;
  if (MainForm == this)
    MainForm = nullptr;
  try {
    if (DbfDataSetTIMELIST && DbfDataSetTIMELIST->Active())
      DbfDataSetTIMELIST->Close();
  } catch (const std::exception &) {
    // Nothing is pending at exit: every change was written when it was made.
  }
}

TPictureButton *TMainForm::createSkinButton(const char *objectName, QPoint pos, const char *key,
                                            QPoint pressOffset) {
  auto *button = new TPictureButton(this);
  button->setObjectName(QLatin1String(objectName));
  button->move(pos);
  button->setCursor(Qt::PointingHandCursor);
  button->setPressOffset(pressOffset);
  m_skinButtons.push_back({button, key});
  return button;
}

void TMainForm::loadSkinButtons() {
  // The picture's pixel (1, 1) becomes transparent as it is loaded.
  for (const SkinButton &b : m_skinButtons) {
    const calixo::SButtonPicture pic = calixo::buttonPicture(*m_settings, "Mainbutton", b.key);
    b.button->loadPicture(calixo::fromGbk(pic.File), QString::fromStdString(pic.Resource));
  }
}

void TMainForm::FormCreate() {
  // 1. The settings object, the button pictures and a clear busy flag;
  // 2. the buttons are transparent from their pictures.
  m_settings = std::make_unique<TCalixoini>();
  std::string why;
  if (!calixo::fileExists(m_settings->FileName) && !m_settings->WriteDefaultSettings(&why))
    QTimer::singleShot(0, this, [text = QStringLiteral("设置没有保存。\n") + QString::fromLocal8Bit(why)] {
      calixo::reportError(text);
    });
  ApplySwitches();
  loadHolidays();
  loadSkinButtons();
  TableBusy = false;
  // 3. The skin drags this window.
  ImageMy1->FormHandle = this;
  // 4. Shapes: the month picture first, then the window.
  SetRgn(ZuImage1, "Zuimage.EXB");
  SetRgn(this, "CALIXOBL.EXB");
  // 5. The time table. A file that cannot be opened (a damaged header, say)
  // is reported and left exactly as it is; the program runs without entries.
  calixo::guarded([this] {
    CreateTimeTableIfMissing();
    m_timeTable->OpenTable();
  });
  openRepeatTable();
  // 6.
  for (size_t i = 0; i < WeekdayNames.size(); ++i)
    WeekdayNames[i] = WeekdayNamesCn[i];
  // 7.
  const calixo::LocalDateTime today = calixo::clock().now();
  SelYear = today.year;
  SelMonth = today.month;
  SelDay = today.day;
  // 9. (The alarm is armed after the purge, step 11, since the compaction
  // renumbers records and the armed copy must name the record it fires.)
  LayoutMonth(SelYear, SelMonth);
  setMonthLabels();
  showSelectedDayAsCurrent();
  // 10.
  HaveDataBitmap = transparentFromPixel11(QImage(QStringLiteral(":/bmp/BMPHAVEDATA.bmp")));
  m_smallMarkerBitmap = HaveDataBitmap.scaled(kSmallMarkerSize, kSmallMarkerSize, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation);
  // 11. The purge on the 1st, then the pending alarm of today. Entries of
  // earlier dates still set are collected for the start's one box first.
  calixo::guarded([this] { AlarmClock->CollectMissed(); });
  calixo::guarded([this] { PurgePreviousMonth(); });
  ArmNextAlarm(SelYear, SelMonth, SelDay);
  // 12.
  ZuImage1->IsDefaultBmp = false;
  LoadMonthPicture();
}

void TMainForm::loadHolidays() {
  m_holidays.reset();
  if (!m_settings->SwitchOn("Holidays", "Show"))
    return;
  std::vector<std::string> errors;
  m_holidays = std::make_unique<holidays::HolidaySchedule>(
      holidays::LoadHolidaySchedule(kHolidaysFile, errors));
  // The hover text names the day's holiday from the same schedule.
  setHolidayLookup([this](int year, int month, int day) -> std::optional<SDayHoliday> {
    const holidays::HolidayDay *h = m_holidays ? m_holidays->Find(year, month, day) : nullptr;
    if (!h)
      return std::nullopt;
    return SDayHoliday{h->Name, h->Kind == holidays::DayKind::Off};
  });
  if (errors.empty())
    return;
  // One box for the whole file; a long list is cut so the box fits the screen.
  QString text;
  for (size_t i = 0; i < errors.size() && i < 10; ++i)
    text += QString::fromStdString(errors[i]) + QLatin1Char('\n');
  if (errors.size() > 10)
    text += QStringLiteral("……共%1行有误\n").arg(errors.size());
  calixo::showMessage(text.trimmed(), this);
}

int TMainForm::DaysInMonth(int year, int month) { return MonthLength(year, month); }

void TMainForm::LayoutMonth(int year, int month) {
  const SMonthLayout layout = monthCells(year, month, DaysInMonth(year, month));
  FirstCell = layout.FirstCell;
  DayCells = layout.DayCells;
  // The pass that marks the days also notes the selected day's records for
  // the time list, which RefreshMonth shows next.
  const int shown = year == SelYear && month == SelMonth ? SelDay : 0;
  const std::vector<int32_t> marks = m_timeTable->DayMarks(year, month, layout.Days, shown);
  std::vector<int32_t> archived;
  if (m_keepHistory && isPastMonth(year, month))
    archived = m_history->DayMarks(year, month, layout.Days);
  for (int d = 1; d <= layout.Days; ++d)
    HasEntries[static_cast<size_t>(FirstCell + d - 1)] =
        marks[static_cast<size_t>(d - 1)] | (archived.empty() ? 0 : archived[static_cast<size_t>(d - 1)]);
  layoutRepeatMarks(year, month);
}

void TMainForm::RefreshMonth() {
  LayoutMonth(SelYear, SelMonth);
  if (m_showDay)
    m_showDay(SelYear, SelMonth, SelDay);
  m_timeTable->DropNotedDay();
  DrawGridDate->update();
  setMonthLabels();
  showSelectedDayAsCurrent();
}

// The grid's current cell (the toolkit's highlight) is put on the selected
// day whenever a month is laid out, so a new month does not open with the
// blank cell before its 1st highlighted. Clicks move it as usual.
void TMainForm::showSelectedDayAsCurrent() {
  const int k = FirstCell + SelDay - 1;
  if (k >= 0 && k < kDayCellCount)
    DrawGridDate->setCurrentCell(k % 7, k / 7 + 1);
}

void TMainForm::setMonthLabels() {
  if (SelMonth >= 1 && SelMonth <= 12)
    LabelMonthE->setText(QLatin1String(MonthNamesEn[static_cast<size_t>(SelMonth - 1)]));
  // Two digits at 60 px are wider than the label; they are narrowed to fit
  // rather than cut off, one digit keeps the face as it is.
  const QString number = QString::number(SelMonth);
  QFont numberFont = LabelMonthN->font();
  numberFont.setStretch(100);
  const int advance = QFontMetrics(numberFont).horizontalAdvance(number);
  if (advance > LabelMonthN->width()) {
    // Glyph widths round to whole pixels, so the first guess may miss by one.
    int stretch = std::max(50, LabelMonthN->width() * 100 / advance);
    numberFont.setStretch(stretch);
    while (stretch > 50 && QFontMetrics(numberFont).horizontalAdvance(number) > LabelMonthN->width())
      numberFont.setStretch(stretch -= 2);
  }
  LabelMonthN->setFont(numberFont);
  LabelMonthN->setText(number);
  LabelYear->setText(QString::number(SelYear));
  LabelYear->adjustSize();
}

void TMainForm::MarkDayCell(int cell, bool has) {
  if (cell < 0 || cell >= kDayCellCount)
    return;
  HasEntries[static_cast<size_t>(cell)] = has ? 1 : 0;
  DrawGridDate->InvalidateCell(cell % 7, cell / 7 + 1);
}

void TMainForm::showDefaultPicture() {
  QImage picture;
  if (!loadBitmapFile(QStringLiteral("calixo.bmp"), picture))
    throw std::runtime_error("Cannot load the month picture \"calixo.bmp\": the file is missing or "
                             "not a bitmap");
  ZuImage1->Bitmap = picture;
  ZuImage1->IsDefaultBmp = true;
  ZuImage1->Redraw();
}

void TMainForm::LoadMonthPicture() {
  std::string key = "M";
  key += std::to_string(SelMonth);
  const std::string value = m_settings->ReadSetting("Monthbmp", key);
  if (!value.empty()) {
    QImage picture;
    if (loadBitmapFile(calixo::fromGbk(value), picture)) {
      ZuImage1->Bitmap = picture;
      ZuImage1->Redraw();
      ZuImage1->IsDefaultBmp = false;
    } else if (!ZuImage1->IsDefaultBmp) {
      showDefaultPicture();
    }
  } else if (!ZuImage1->IsDefaultBmp) {
    showDefaultPicture();
  }
}

void TMainForm::CreateTimeTableIfMissing() { m_timeTable->CreateTimeTableIfMissing(); }

void TMainForm::LoadDayEntries(int Year, int Month, int Day, TTimeList &List) {
  m_timeTable->LoadDayEntries(Year, Month, Day, List);
  // A past day's archived plans follow its stored entries, so a row shows a
  // stored entry of its time before an archived one.
  if (m_keepHistory && isPastMonth(Year, Month))
    for (const STIMELISTDATAPtr &e : m_history->DayEntries(Year, Month, Day))
      List.push_back(e);
}

bool TMainForm::isPastMonth(int year, int month) const {
  const calixo::LocalDateTime today = calixo::clock().now();
  return year * 12 + month < today.year * 12 + today.month;
}

void TMainForm::SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op) {
  m_timeTable->SaveEntry(Year, Month, Day, Row, Op);
}

void TMainForm::ClearAlarm(int RecNo) { m_timeTable->ClearAlarm(RecNo); }

void TMainForm::PurgePreviousMonth() {
  // A move into the archive that a kill cut short is completed first, on
  // any day, whatever the switch says now.
  m_timeTable->RecoverPurge(*m_history);
  if (SelDay == 1)
    m_timeTable->PurgeMonthBefore(SelYear, SelMonth);
}

void TMainForm::ArmNextAlarm(int year, int month, int day) {
  if (m_armNextAlarm)
    m_armNextAlarm(year, month, day);
}

void TMainForm::setAlarmClock(std::function<void(int, int, int)> armNextAlarm) {
  m_armNextAlarm = std::move(armNextAlarm);
}

void TMainForm::DateChanged(int64_t oldDay, int year, int month, int day) {
  if (calixo::dayNumber(SelYear, SelMonth, SelDay) != oldDay)
    return;
  const bool newMonth = SelYear != year || SelMonth != month;
  SelYear = year;
  SelMonth = month;
  SelDay = day;
  RefreshMonth();
  if (newMonth) {
    setMonthLabels();
    LoadMonthPicture();
  }
}

void TMainForm::setTimeListWindow(std::function<void(int, int, int)> showDay,
                                  std::function<void(const STIMELISTDATAPtr &)> entryAppended) {
  m_showDay = std::move(showDay);
  m_entryAppended = std::move(entryAppended);
}

void TMainForm::setTimeListWindow(QWidget *window) { m_timeListWindow = window; }

void TMainForm::SelectedDate(int &Year, int &Month, int &Day) const {
  Year = SelYear;
  Month = SelMonth;
  Day = SelDay;
}

void TMainForm::addToolWindow(calixo::TToolWindow *window) { m_toolWindows.emplace_back(window); }

void TMainForm::OnDrawGirdDateDrawCell(TCellCanvas &canvas, int col, int row, const QRect &rect) {
  canvas.FontColor = (col == 0 || col == 6) ? QColor(Qt::red) : QColor(Qt::black);
  if (row == 0) {
    if (col >= 0 && col < 7)
      canvas.TextOut(rect.left(), rect.top() + 2,
                     QString::fromStdString(WeekdayNames[static_cast<size_t>(col)]), rect);
    return;
  }
  const int k = cellOf(col, row);
  if (k < 0)
    return;
  const int d = DayCells[static_cast<size_t>(k)];
  if (d == 0)
    return;
  if (m_todayMark && calixo::clock().now().sameDate(SelYear, SelMonth, d) && d != SelDay)
    canvas.FillRect(rect, kTodayColour);
  canvas.TextOut(rect.left() + 2, rect.top(), QString::number(d), rect);
  const int numberRight = rect.left() + 2 + QFontMetrics(canvas.Font).horizontalAdvance(QString::number(d));
  const int marksRight = drawHolidayMark(canvas, d, numberRight, rect);
  const int cx = rect.left() + rect.width() / 2;
  const int cy = rect.top() + rect.height() / 2;
  const int bottom = rect.top() + rect.height();
  if (const auto label = lunar::GridDayLabel(SelYear, SelMonth, d, m_labelMode)) {
    const int size = canvas.Font.pointSize() > 0 ? canvas.Font.pointSize() : kGridFontPoints;
    QFont small = calixo::chineseFont();
    small.setBold(canvas.Font.bold());
    small.setPointSize(std::max(1, (size - 2) / 2));
    canvas.Font = small;
    if (label->special)
      canvas.FontColor = FestivalLabelColour();
    // Clipped to its cell; the canvas narrows a label too long for it.
    canvas.TextOut(cx - 6, cy, QString::fromStdString(label->text), rect);
  }
  if (HasEntries[static_cast<size_t>(k)] == 1) {
    if (m_smallMarker)
      canvas.Draw(rect.left() + 2, bottom - kSmallMarkerSize - 1, m_smallMarkerBitmap);
    else
      canvas.Draw(cx, bottom - 18, HaveDataBitmap);
  }
  drawRepeatMark(canvas, k, rect, marksRight);
}

int TMainForm::drawHolidayMark(TCellCanvas &canvas, int d, int numberRight, const QRect &rect) {
  if (!m_holidays)
    return numberRight;
  const holidays::HolidayDay *day = m_holidays->Find(SelYear, SelMonth, d);
  if (!day)
    return numberRight;
  const QFont font = canvas.Font;
  const QColor colour = canvas.FontColor;
  canvas.Font = calixo::chineseFont(kHolidayMarkPixels);
  canvas.FontColor = day->Kind == holidays::DayKind::Off ? kHolidayOffColour : kHolidayWorkColour;
  // Up in the cell's top-right part, just after the day number, so it reads
  // with its own day rather than with the next cell's number at the cell's
  // right edge; above the lunar label, which starts at the cell's middle.
  const QString mark = QString::fromUtf8(holidays::KindText(day->Kind));
  const int width = QFontMetrics(canvas.Font).horizontalAdvance(mark);
  const int x = std::min(numberRight + 2, rect.right() - 3 - width);
  canvas.TextOut(x, rect.top() - 1, mark, rect);
  canvas.Font = font;
  canvas.FontColor = colour;
  return x + width;
}

QColor TMainForm::FestivalLabelColour() { return kFestivalColour; }
QColor TMainForm::HolidayOffColour() { return kHolidayOffColour; }
QColor TMainForm::HolidayWorkColour() { return kHolidayWorkColour; }

QColor TMainForm::TodayColour() { return kTodayColour; }

void TMainForm::setHolidayLookup(HolidayLookup lookup) {
  m_holidayLookup = std::move(lookup);
  DrawGridDate->update();
}

void TMainForm::ApplySwitches() {
  if (!m_settings)
    return;
  const bool extended = m_settings->LunarExtended();
  m_labelMode = !extended                        ? lunar::LabelMode::Classic
                : m_settings->LunarFestivals() ? lunar::LabelMode::Festivals
                                               : lunar::LabelMode::Extended;
  m_dayTips = m_settings->SwitchOn("Calendar", "DayTips");
  m_keys = m_settings->SwitchOn("Calendar", "Keys");
  m_todayMark = m_settings->SwitchOn("Calendar", "TodayMark");
  m_smallMarker = m_settings->SwitchOn("Calendar", "SmallMarker");
  m_keepHistory = m_settings->SwitchOn("Timelist", "KeepHistory");
  if (m_timeTable)
    m_timeTable->setHistory(m_keepHistory ? m_history.get() : nullptr);
  DrawGridDate->update();
}

QString TMainForm::DayToolTip(int col, int row) {
  const int k = cellOf(col, row);
  if (!m_dayTips || k < 0 || DayCells[static_cast<size_t>(k)] == 0)
    return {};
  const int d = DayCells[static_cast<size_t>(k)];
  std::vector<SDayPlan> plans;
  if (HasEntries[static_cast<size_t>(k)] == 1) {
    TTimeList entries;
    m_timeTable->LoadDayEntries(SelYear, SelMonth, d, entries);
    for (const STIMELISTDATAPtr &e : entries)
      if (!e->Text.empty())
        plans.push_back({e->Hour, e->Minute, calixo::fromGbk(e->Text).toStdString()});
  }
  const std::optional<SDayHoliday> holiday =
      m_holidayLookup ? m_holidayLookup(SelYear, SelMonth, d) : std::nullopt;
  QStringList lines;
  for (const std::string &line : DayDescription(SelYear, SelMonth, d, m_labelMode, holiday, plans))
    lines << QString::fromStdString(line);
  for (const QString &name : AnniversariesOn(d))
    lines << QStringLiteral("纪念日：") + name;
  return lines.join(QLatin1Char('\n'));
}

void TMainForm::selectDate(int year, int month, int day) {
  if (year != SelYear || month != SelMonth) {
    SelYear = year;
    SelMonth = month;
    SelDay = day;
    RefreshMonth();
    LoadMonthPicture();
    return;
  }
  // The grid repaints the cell the selection leaves, where today's mark may
  // show again, and the one it enters.
  SelDay = day;
  showSelectedDayAsCurrent();
  if (m_showDay)
    m_showDay(SelYear, SelMonth, SelDay);
}

bool TMainForm::OnDrawGridDateKeyDown(QKeyEvent *e) {
  if (!m_keys || e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  int y = SelYear, m = SelMonth, d = SelDay;
  switch (e->key()) {
  case Qt::Key_Left: calixo::StepDays(y, m, d, -1); break;
  case Qt::Key_Right: calixo::StepDays(y, m, d, +1); break;
  case Qt::Key_Up: calixo::StepDays(y, m, d, -7); break;
  case Qt::Key_Down: calixo::StepDays(y, m, d, +7); break;
  case Qt::Key_PageUp: calixo::StepMonth(y, m, d, -1); break;
  case Qt::Key_PageDown: calixo::StepMonth(y, m, d, +1); break;
  case Qt::Key_Home: {
    const calixo::LocalDateTime today = calixo::clock().now();
    y = today.year;
    m = today.month;
    d = today.day;
    break;
  }
  case Qt::Key_Return:
  case Qt::Key_Enter:
    if (m_showDay)
      m_showDay(SelYear, SelMonth, SelDay);
    if (m_timeListWindow) {
      m_timeListWindow->show();
      m_timeListWindow->raise();
    }
    return true;
  default:
    return false;
  }
  selectDate(y, m, d);
  return true;
}

void TMainForm::contextMenuEvent(QContextMenuEvent *e) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("PopMenuMain"));
  QAction *settings = menu.addAction(QStringLiteral("设置..."));
  settings->setObjectName(QStringLiteral("PMSettings"));
  connect(settings, &QAction::triggered, this, &TMainForm::OnSettingsClick);
  addRepeatActions(menu, e->pos());
  menu.addSeparator();
  menu.addAction(QStringLiteral("导出日历..."), this, &TMainForm::OnExportClick)
      ->setObjectName(QStringLiteral("PMExport"));
  menu.addAction(QStringLiteral("导入日历..."), this, &TMainForm::OnImportClick)
      ->setObjectName(QStringLiteral("PMImport"));
  menu.exec(e->globalPos());
}

void TMainForm::OnSettingsClick() {
  TSettingsDlg dialog(*m_settings, this);
  dialog.setSyncState(SyncState());
  if (dialog.exec() != QDialog::Accepted)
    return;
  std::string error;
  if (!calixo::WriteSwitchValues(m_settings->FileName, dialog.Values(), error))
    calixo::showMessage(QString::fromStdString(error), this);
  // Read back from the file: one that could not be written keeps the old switches.
  ApplySwitches();
  SyncSettingsChanged(dialog.Password());
}

void TMainForm::OnDrawGridDateMouseUp(QMouseEvent *e) {
  int col, row;
  if (!DrawGridDate->MouseToCell(e->position().toPoint(), col, row))
    return;
  const int k = cellOf(col, row);
  if (k < 0)
    return;
  const int d = DayCells[static_cast<size_t>(k)];
  if (d == 0)
    return;
  SelDay = d;
  if (m_showDay)
    m_showDay(SelYear, SelMonth, d);
}

void TMainForm::closeEvent(QCloseEvent *e) {
  for (const auto &w : m_toolWindows)
    if (w)
      w->CanClose = true;
  e->accept();
  emit closed();
}
