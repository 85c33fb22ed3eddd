#include "timelistform.h"

#include "buttonpictures.h"
#include "calixoini.h"
#include "cellcanvas.h"
#include "contoura.h"
#include "dayrows.h"
#include "gbk.h"
#include "imagemy.h"
#include "picturebutton.h"
#include "timegrid.h"
#include "ui.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

TMainTIMELIST *MainTIMELIST = nullptr;

namespace {
constexpr int kRowCount = 48;      // grid rows 1..48 carry rows; 49..54 stay blank
constexpr size_t kTextBytes = 249;  // width of DO
}  // namespace

std::string rowTextFromEditor(const QString &text, bool &ok) {
  std::string gbk;
  ok = calixo::toGbk(text, gbk);
  if (!ok)
    return {};
  return std::string(calixo::cutGbk(gbk, kTextBytes));
}

TMainTIMELIST::TMainTIMELIST(TTimeListOwner *owner)
    : calixo::TToolWindow(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(owner), m_ownerWindow(owner ? owner->OwnerWindow() : nullptr) {
  setObjectName(QStringLiteral("MainTIMELIST"));
  setWindowTitle(QStringLiteral("闹钟"));
  setFixedSize(237, 266);

  ImageMy1 = new TImageMy(this);
  ImageMy1->setObjectName(QStringLiteral("ImageMy1"));
  ImageMy1->move(0, 0);
  ImageMy1->setPicture(loadSkinPicture(QStringLiteral(":/skins/timelist.jpg")));

  PopMenuTimeList = new QMenu(this);
  PopMenuTimeList->setObjectName(QStringLiteral("PopMenuTimeList"));
  PMClockSet = PopMenuTimeList->addAction(QStringLiteral("设置闹钟"));
  PMUNClockSet = PopMenuTimeList->addAction(QStringLiteral("取消闹钟"));
  PMRunSet = PopMenuTimeList->addAction(QStringLiteral("设置运行"));
  PMRunUnSet = PopMenuTimeList->addAction(QStringLiteral("取消运行"));
  PMClockSet->setObjectName(QStringLiteral("PMClockSet"));
  PMUNClockSet->setObjectName(QStringLiteral("PMUNClockSet"));
  PMRunSet->setObjectName(QStringLiteral("PMRunSet"));
  PMRunUnSet->setObjectName(QStringLiteral("PMRunUnSet"));
  PopMenuTimeList->addSeparator();
  PMFind = PopMenuTimeList->addAction(QStringLiteral("查找"));
  PMFind->setObjectName(QStringLiteral("PMFind"));
  connect(PMFind, &QAction::triggered, this, [this] {
    if (TTimeListOwner *o = this->owner())
      o->ShowPlanSearch();
  });
  connect(PMClockSet, &QAction::triggered, this, &TMainTIMELIST::OnPMClockSetClick);
  connect(PMUNClockSet, &QAction::triggered, this, &TMainTIMELIST::OnPMUNClockSetClick);
  connect(PMRunSet, &QAction::triggered, this, &TMainTIMELIST::OnPMRunSetClick);
  connect(PMRunUnSet, &QAction::triggered, this, &TMainTIMELIST::OnPMRunUnSetClick);

  createLabel("Label2", QRect(178, 21, 24, 13), QStringLiteral("闹钟"));
  ImageClSet = createButton("ImageClSet", QPoint(176, 33), PMClockSet);
  createLabel("Label1", QRect(176, 60, 24, 13), QStringLiteral("设置"));
  ImageClUnSet = createButton("ImageClUnSet", QPoint(176, 73), PMUNClockSet);
  createLabel("Label3", QRect(176, 100, 24, 13), QStringLiteral("取消"));
  createLabel("Label4", QRect(178, 136, 24, 13), QStringLiteral("运行"));
  ImageRunSet = createButton("ImageRunSet", QPoint(176, 148), PMRunSet);
  createLabel("Label5", QRect(176, 175, 24, 13), QStringLiteral("设置"));
  ImageRunUnSet = createButton("ImageRunUnSet", QPoint(176, 188), PMRunUnSet);
  createLabel("Label6", QRect(176, 215, 24, 13), QStringLiteral("取消"));

  EditDay = new QLineEdit(this);
  EditDay->setObjectName(QStringLiteral("EditDay"));
  EditDay->setGeometry(8, 16, 145, 21);
  EditDay->setReadOnly(true);
  EditDay->setFont(calixo::chineseFont(12));
  QPalette pal = EditDay->palette();
  pal.setColor(QPalette::Base, Qt::white);
  EditDay->setPalette(pal);

  DrawGridTimeList = new TTimeGrid(3, 55, 18, this);
  DrawGridTimeList->setObjectName(QStringLiteral("DrawGridTimeList"));
  DrawGridTimeList->setGeometry(10, 40, 143, 201);
  DrawGridTimeList->setFont(calixo::chineseFont(12));
  DrawGridTimeList->setEditableRows(kRowCount);
  DrawGridTimeList->setColWidth(0, 58);
  DrawGridTimeList->setColWidth(1, 23);
  DrawGridTimeList->setColWidth(2, 79);
  DrawGridTimeList->OnDrawCell = [this](TCellCanvas &canvas, int col, int row, const QRect &rect) {
    OnDrawGridTimeListCell(canvas, col, row, rect);
  };
  DrawGridTimeList->OnGetEditText = [this](int col, int row) { return OnDrawGridTimeListGetEditText(col, row); };
  DrawGridTimeList->OnSetEditText = [this](int col, int row, const QString &text) {
    OnDrawGridTimeListSetEditText(col, row, text);
  };
  // The plan column is narrow: hovering any cell of a row shows the row's
  // whole plan text.
  DrawGridTimeList->OnGetHint = [this](int, int row) {
    if (row < 1 || row > kRowCount || row > static_cast<int>(Rows.size()))
      return QString();
    return calixo::fromGbk(Rows[static_cast<size_t>(row - 1)]->Text);
  };
  DrawGridTimeList->OnAcceptText = [this](const QString &text) {
    // An archived plan's text cannot be changed.
    if (const STIMELISTDATAPtr r = currentRow(); r && r->History)
      return false;
    std::string gbk;
    const bool encodable = calixo::toGbk(text, gbk);
    if (encodable && gbk.size() <= kTextBytes)
      return true;
    // Shown once the editor has dropped the edit; a message box inside the
    // editor's own check would re-enter it. An edit that would outgrow DO is
    // refused whole, so nothing typed is lost without a word.
    const QString message = encodable ? QStringLiteral("计划最多保存249个字节，多出的文字没有加入")
                                      : QStringLiteral("该字符无法保存");
    QTimer::singleShot(0, this, [this, message] { calixo::showMessage(message, this); });
    return false;
  };
  DrawGridTimeList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DrawGridTimeList, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
    OnPMTimeListPopup();
    PopMenuTimeList->exec(DrawGridTimeList->viewport()->mapToGlobal(pos));
  });
}

QLabel *TMainTIMELIST::createLabel(const char *name, QRect geometry, const QString &text) {
  auto *label = new QLabel(text, this);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(calixo::chineseFont(12));
  QPalette pal = label->palette();
  pal.setColor(QPalette::Window, Qt::white);
  label->setPalette(pal);
  label->setAutoFillBackground(true);
  return label;
}

TPictureButton *TMainTIMELIST::createButton(const char *name, QPoint pos, QAction *action) {
  auto *button = new TPictureButton(this);
  button->setObjectName(QLatin1String(name));
  button->move(pos);
  button->resize(26, 26);
  button->setCursor(Qt::PointingHandCursor);
  button->setPressOffset(QPoint(1, 1));
  // Any mouse button: the release runs the menu's enabling rule for the
  // current row and then the item's action if it is enabled.
  connect(button, &TPictureButton::released, this, [this, action](Qt::MouseButton, bool) {
    OnPMTimeListPopup();
    if (action->isEnabled())
      action->trigger();
  });
  return button;
}

void TMainTIMELIST::FormCreate() {
  // 1.
  LoadButtonImages();
  // 2.
  CanClose = false;
  // 3. Also whenever the main window's size is set.
  PlaceBesideMainWindow();
  if (TTimeListOwner *o = owner()) {
    m_ownerWindow->installEventFilter(this);
    o->setTimeListWindow(this);
    o->addToolWindow(this);
    o->setTimeListWindow([this](int y, int m, int d) { ShowDay(y, m, d); },
                                  [this](const STIMELISTDATAPtr &row) { DayEntries.push_back(row); });
  }
  // 4.
  ImageMy1->FormHandle = this;
  SetRgn(this, "CALIXOBLR.EXB");
  // 5.
  Rows.clear();
  DayEntries.clear();
  SlotMinutes = kSlotMinutes;
  // 6.
  DrawGridTimeList->setColWidth(1, 24);
  DrawGridTimeList->setColWidth(2, 100);
  DrawGridTimeList->fitLastColumn();
  // 8. (before the first paint of step 7)
  ClockBitmap = transparentFromPixel11(QImage(QStringLiteral(":/bmp/BMPCLOCKSET.bmp")));
  RunBitmap = transparentFromPixel11(QImage(QStringLiteral(":/bmp/BMPRUN.bmp")));
  // 7.
  if (TTimeListOwner *o = owner()) {
    int year = 0, month = 0, day = 0;
    o->SelectedDate(year, month, day);
    ShowDay(year, month, day);
  }
}

void TMainTIMELIST::LoadButtonImages() {
  if (!owner())
    return;
  const struct {
    TPictureButton *button;
    const char *key;
  } buttons[] = {{ImageClSet, "b1S"}, {ImageClUnSet, "b1U"}, {ImageRunSet, "b2S"}, {ImageRunUnSet, "b2U"}};
  for (const auto &b : buttons) {
    const calixo::SButtonPicture pic = calixo::buttonPicture(owner()->Calixoini(), "Clockbutton", b.key);
    b.button->loadPicture(calixo::fromGbk(pic.File), QString::fromStdString(pic.Resource));
  }
}

void TMainTIMELIST::PlaceBesideMainWindow() {
  if (!owner())
    return;
  // The list stays on top, so it must never cover the main window's button
  // column (the red button that hides it again, the close button): it sits
  // right of the main window, 40 pixels down.
  move(m_ownerWindow->x() + m_ownerWindow->width(), m_ownerWindow->y() + 40);
}

bool TMainTIMELIST::eventFilter(QObject *watched, QEvent *event) {
  if (watched == m_ownerWindow && event->type() == QEvent::Resize)
    PlaceBesideMainWindow();
  return calixo::TToolWindow::eventFilter(watched, event);
}

void TMainTIMELIST::closing() {
  Rows.clear();
  DayEntries.clear();
}

void TMainTIMELIST::ShowDay(int Year, int Month, int Day) {
  if (Day <= 0)
    return;
  EditDay->setText(QString::asprintf("%d年%d月%d日", Year, Month, Day));
  if (TTimeListOwner *o = owner())
    o->LoadDayEntries(Year, Month, Day, DayEntries);
  BuildRows();
  // A day with archived plans says so; they are shown grey and cannot be changed.
  for (const STIMELISTDATAPtr &r : Rows)
    if (r->History) {
      EditDay->setText(EditDay->text() + QStringLiteral(" (历史)"));
      break;
    }
  DrawGridTimeList->viewport()->update();
}

void TMainTIMELIST::BuildRows() {
  int top = 0;
  Rows = ::BuildRows(DayEntries, SlotMinutes, top);
  DrawGridTimeList->setCurrentCell(DrawGridTimeList->Col(), top);
  DrawGridTimeList->setTopRow(top);
}

STIMELISTDATAPtr TMainTIMELIST::currentRow() const {
  const int i = DrawGridTimeList->Row() - 1;
  if (i < 0 || i >= static_cast<int>(Rows.size()) || i >= kRowCount)
    return nullptr;
  return Rows[static_cast<size_t>(i)];
}

void TMainTIMELIST::OnDrawGridTimeListCell(TCellCanvas &canvas, int col, int row, const QRect &rect) {
  if (row == 0) {
    static const char *const headers[] = {"时间", "运行", "  计划"};
    if (col >= 0 && col < 3)
      canvas.TextOut(rect.left(), rect.top(), QString::fromUtf8(headers[col]), rect);
    return;
  }
  if (row > kRowCount || row > static_cast<int>(Rows.size()))
    return;
  const STIMELISTDATA &r = *Rows[static_cast<size_t>(row - 1)];
  switch (col) {
  case 0:
    canvas.TextOut(rect.left() + 20, rect.top(), QString::fromStdString(r.TimeText), rect);
    if (r.SetFlag != 0 && r.AlarmState == 1)
      canvas.Draw(rect.left(), rect.top(), ClockBitmap);
    break;
  case 1:
    if (r.RunFlag == 1)
      canvas.Draw(rect.left(), rect.top(), RunBitmap);
    break;
  case 2:
    if (r.History)
      canvas.FontColor = QColor(0x80, 0x80, 0x80);
    canvas.TextOut(rect.left(), rect.top(), calixo::fromGbk(r.Text), rect);
    break;
  default:
    break;
  }
}

TMainTIMELIST::~TMainTIMELIST() {
  // The grid and its open editor are children, destroyed after Rows: an
  // editor that commits its text while it goes must not reach the rows.
  DrawGridTimeList->OnGetEditText = nullptr;
  DrawGridTimeList->OnSetEditText = nullptr;
  DrawGridTimeList->OnAcceptText = nullptr;
  DrawGridTimeList->OnDrawCell = nullptr;
  DrawGridTimeList->OnGetHint = nullptr;
}

QString TMainTIMELIST::OnDrawGridTimeListGetEditText(int, int row) {
  if (row < 1 || row > kRowCount || row > static_cast<int>(Rows.size()))
    return {};
  return calixo::fromGbk(Rows[static_cast<size_t>(row - 1)]->Text);
}

void TMainTIMELIST::OnDrawGridTimeListSetEditText(int, int row, const QString &value) {
  if (row < 1 || row > kRowCount || row > static_cast<int>(Rows.size()))
    return;
  bool ok = false;
  std::string text = rowTextFromEditor(value, ok);
  const STIMELISTDATAPtr r = Rows[static_cast<size_t>(row - 1)];
  if (r->History)
    return;
  // Only a change is stored: opening and closing the editor on an empty row
  // writes no empty record.
  if (!ok || text == r->Text)
    return;
  r->Text = std::move(text);
  for (int c = 0; c < 3; ++c)
    DrawGridTimeList->InvalidateCell(c, row);
  if (TTimeListOwner *o = owner()) {
    int year = 0, month = 0, day = 0;
    o->SelectedDate(year, month, day);
    o->SaveEntry(year, month, day, r, 2);
  }
}

void TMainTIMELIST::OnPMTimeListPopup() {
  const STIMELISTDATAPtr r = currentRow();
  if (!r)
    return;
  if (r->History) {
    // An archived plan is read-only.
    for (QAction *a : {PMClockSet, PMUNClockSet, PMRunSet, PMRunUnSet})
      a->setEnabled(false);
    return;
  }
  PMClockSet->setEnabled(r->SetFlag != 1);
  PMUNClockSet->setEnabled(r->SetFlag == 1);
  PMRunSet->setEnabled(r->RunFlag != 1 && !r->Text.empty());
  PMRunUnSet->setEnabled(r->RunFlag == 1);
}

void TMainTIMELIST::storeMark(int col) {
  DrawGridTimeList->InvalidateCell(col, DrawGridTimeList->Row());
  if (TTimeListOwner *o = owner()) {
    int year = 0, month = 0, day = 0;
    o->SelectedDate(year, month, day);
    o->SaveEntry(year, month, day, currentRow(), 0);
  }
}

void TMainTIMELIST::OnPMClockSetClick() {
  const STIMELISTDATAPtr r = currentRow();
  if (!r)
    return;
  r->SetFlag = 1;
  r->AlarmState = 1;
  storeMark(0);
}

void TMainTIMELIST::OnPMUNClockSetClick() {
  const STIMELISTDATAPtr r = currentRow();
  if (!r)
    return;
  r->SetFlag = 0;
  r->AlarmState = 0;
  storeMark(0);
}

void TMainTIMELIST::OnPMRunSetClick() {
  const STIMELISTDATAPtr r = currentRow();
  if (!r)
    return;
  r->RunFlag = 1;
  storeMark(1);
}

void TMainTIMELIST::OnPMRunUnSetClick() {
  const STIMELISTDATAPtr r = currentRow();
  if (!r)
    return;
  r->RunFlag = 0;
  storeMark(1);
}
