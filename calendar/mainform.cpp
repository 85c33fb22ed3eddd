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
#include "imagemy.h"
#include "lunar.h"
#include "picturebutton.h"
#include "plansearchbox.h"
#include "toolwindow.h"
#include "ui.h"
#include "zuimage.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>

#include <algorithm>
#include <stdexcept>

TMainForm *MainForm = nullptr;

namespace {

// The classic Windows desktop colour, in which the month number is drawn.
const QColor kDesktopColour(0x3A, 0x6E, 0xA5);
const QColor kSilver(0xC0, 0xC0, 0xC0);
constexpr int kGridFontPoints = 8;
// Festivals and solar terms: a strong blue, clear of the black and red of the
// other labels, that reads on the white cells and, dark on light, on the
// selection colour of the current cell too.
const QColor kFestivalColour(0x00, 0x00, 0xC8);

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
  const std::string path = calixo::resolveFileName(name.toStdString());
  if (!img.load(QString::fromStdString(path)) || img.isNull())
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
                        calixo::substituteFont(QStringLiteral("Comic Sans MS"), 20, true), Qt::red);
  LabelMonthN = makeLabel(new QLabel(this), "LabelMonthN", QRect(232, 62, 49, 73),
                          calixo::substituteFont(QStringLiteral("Comic Sans MS"), 60, true),
                          kDesktopColour);
  // The narrow script face of the English month name is stood in for by a
  // serif, narrowed (or, failing that, made smaller) until every month's
  // name fits the label whole, "September" and the descenders included.
  auto *monthName = new TFittedLabel(this);
  LabelMonthE = makeLabel(monthName, "LabelMonthE", QRect(288, 71, 217, 49), font(), Qt::red);
  QStringList monthNames;
  for (const char *name : MonthNamesEn)
    monthNames << QLatin1String(name);
  monthName->fitFont(calixo::substituteFont(QStringLiteral("English111 Vivace BT"), 50, true), monthNames);
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
  if (!calixo::fileExists(m_settings->FileName))
    m_settings->WriteDefaultSettings();
  m_lunarExtended = m_settings->LunarExtended();
  m_lunarFestivals = m_lunarExtended && m_settings->LunarFestivals();
  m_keepHistory = m_settings->SwitchOn("Timelist", "KeepHistory");
  m_timeTable->setHistory(m_keepHistory ? m_history.get() : nullptr);
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
  // 11. The purge on the 1st, then the pending alarm of today.
  calixo::guarded([this] { PurgePreviousMonth(); });
  ArmNextAlarm(SelYear, SelMonth, SelDay);
  // 12.
  ZuImage1->IsDefaultBmp = false;
  LoadMonthPicture();
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
  const std::string value = m_settings->ReadSetting("Monthbmp", "M" + std::to_string(SelMonth));
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

void TMainForm::setTimeListWindow(std::function<void(int, int, int)> showDay,
                                  std::function<void(const STIMELISTDATAPtr &)> entryAppended) {
  m_showDay = std::move(showDay);
  m_entryAppended = std::move(entryAppended);
}

void TMainForm::setTimeListWindow(QWidget *window) { m_timeListWindow = window; }

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
  canvas.TextOut(rect.left() + 2, rect.top(), QString::number(d), rect);
  const int cx = rect.left() + rect.width() / 2;
  const int cy = rect.top() + rect.height() / 2;
  const int bottom = rect.top() + rect.height();
  // Classic: 1921 to 2010. Extended: every date the two tables cover, from
  // the lunar new year of 1912, which the conversion itself knows, to 2100.
  const bool lunarYear = m_lunarExtended ? SelYear >= 1912 && SelYear <= 2100
                                         : SelYear > 1920 && SelYear < 2011;
  if (lunarYear) {
    const auto table = m_lunarExtended ? lunar::LunarTable::Extended : lunar::LunarTable::Classic;
    if (const auto ld = lunar::SolarToLunar(SelYear - 1911, SelMonth, d, table)) {
      const int size = canvas.Font.pointSize() > 0 ? canvas.Font.pointSize() : kGridFontPoints;
      QFont small = calixo::chineseFont();
      small.setBold(canvas.Font.bold());
      small.setPointSize(std::max(1, (size - 2) / 2));
      canvas.Font = small;
      std::string label;
      if (m_lunarFestivals) {
        const lunar::DayLabel day = festivalModeLabel(SelYear, SelMonth, d, *ld);
        label = day.text;
        if (day.special)
          canvas.FontColor = FestivalLabelColour();
      } else {
        label = lunar::LunarLabel(*ld);
      }
      // Clipped to its cell; the canvas narrows a label too long for it.
      canvas.TextOut(cx - 6, cy, QString::fromStdString(label), rect);
    }
  }
  if (HasEntries[static_cast<size_t>(k)] == 1)
    canvas.Draw(cx, bottom - 18, HaveDataBitmap);
}

QColor TMainForm::FestivalLabelColour() { return kFestivalColour; }

lunar::DayLabel TMainForm::festivalModeLabel(int year, int month, int day,
                                             const lunar::LunarDate &lunarDay) {
  // 除夕 is known only from the next day; after the table's last day there
  // is none, and no 除夕.
  const lunar::LunarDate next =
      lunar::LunarDateOfNextDay(year, month, day, lunar::LunarTable::Extended)
          .value_or(lunar::LunarDate{});
  return lunar::FestivalModeLabel(year, month, day, lunarDay, next);
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
