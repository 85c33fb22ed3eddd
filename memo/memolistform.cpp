#include "memolistform.h"

#include "buttonpictures.h"
#include "calixodata.h"
#include "contoura.h"
#include "imagemy.h"
#include "picturebutton.h"
#include "ui.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

#include <functional>


namespace {

constexpr QSize kClientSize(267, 298);
constexpr QPoint kFirstShownAt(437, 330);
constexpr int kRowHeight = 18;

// Cells paint their text at the upper-left corner, clipped to the cell, over
// the grid's default background.
class MemoCellDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    QStyleOptionViewItem bg = option;
    initStyleOption(&bg, index);
    const QWidget *view = option.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &bg, p, view);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
      return;
    p->save();
    p->setClipRect(option.rect);
    p->setFont(option.font);
    p->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    p->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p->restore();
  }
};

// Every way the program ends (its close button, the window manager's close
// of the main window, the end of the desktop session) asks the application
// to quit, and the application then closes every window, the notes among
// them: the memo table must know before the first note goes.
class TQuitWatcher : public QObject {
public:
  TQuitWatcher(std::function<void()> onQuit, QObject *parent) : QObject(parent), m_onQuit(std::move(onQuit)) {}
  bool eventFilter(QObject *watched, QEvent *e) override {
    if (watched == QCoreApplication::instance() && e->type() == QEvent::Quit)
      m_onQuit();
    return false;
  }

private:
  std::function<void()> m_onQuit;
};

}  // namespace

TMemoListForm *MemoListForm = nullptr;

int TMemoGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : TMemoTable::kListedRows;
}

int TMemoGridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant TMemoGridModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid())
    return {};
  const SMEMOLISTDATA *m = m_table.Memo(index.row());
  if (!m)
    return {};
  if (index.column() == 0)
    return QString::fromLatin1(TMemoTable::FormatDateTime(m->DateTime));
  return calixo::fromGbk(m_table.Text(index.row()));
}

QVariant TMemoGridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole)
    return {};
  return section == 0 ? QStringLiteral("创建时间") : QStringLiteral("内容");
}

Qt::ItemFlags TMemoGridModel::flags(const QModelIndex &index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TMemoGridModel::rowsChanged(int firstRow, int lastRow, int firstColumn) {
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, TMemoTable::kListedRows);
  if (firstRow > lastRow)
    return;
  emit dataChanged(index(firstRow - 1, firstColumn), index(lastRow - 1, 1));
}

TMemoListForm::TMemoListForm(const TCalixoini &settings, QWidget *parent)
    : calixo::TToolWindow(parent, Qt::Tool | Qt::FramelessWindowHint),
      m_table([this](SMEMOLISTDATA *memo) { CreatTopWnd(memo, this, nullptr); },
              [](SMEMOLISTDATA *memo) {
                if (memo->NoteWnd)
                  memo->NoteWnd->close();
              }) {
  setObjectName(QStringLiteral("MemoListForm"));
  setWindowTitle(QStringLiteral("记事本"));
  // Shown once the handler that failed has returned: a note's text report
  // must not wait on a message box.
  m_table.SetReport([this](const std::string &message) {
    const QString text = QString::fromUtf8(message);
    QTimer::singleShot(0, this, [text] { calixo::reportError(text); });
  });
  setFixedSize(kClientSize);
  move(kFirstShownAt);
  createControls();
  FormCreate(settings);
  qApp->installEventFilter(new TQuitWatcher(
      [this] {
        m_table.SetEnding(true);
        // A quit that a window refused leaves the program running: the notes
        // the user closes from then on are closed by the user again. After a
        // quit that went through, the event loop never gets here.
        QTimer::singleShot(0, this, [this] { m_table.SetEnding(false); });
      },
      this));
}

TMemoListForm::~TMemoListForm() {
  // The notes hold pointers to our records: they close before the records go.
  m_table.CloseAll();
}

void TMemoListForm::createControls() {
  calixo::initDataResources();
  ImageMy1 = new TImageMy(this);
  ImageMy1->setObjectName(QStringLiteral("ImageMy1"));
  ImageMy1->setPicture(loadSkinPicture(QStringLiteral(":/skins/memo.jpg")));
  ImageMy1->move(0, 0);
  ImageMy1->lower();

  m_model = new TMemoGridModel(m_table, this);
  DrawGridMemo = new QTableView(this);
  DrawGridMemo->setObjectName(QStringLiteral("DrawGridMemo"));
  DrawGridMemo->setGeometry(24, 32, 217, 185);
  DrawGridMemo->setModel(m_model);
  DrawGridMemo->setItemDelegate(new MemoCellDelegate(DrawGridMemo));
  DrawGridMemo->setFont(calixo::chineseFont(12));
  DrawGridMemo->setShowGrid(false);
  DrawGridMemo->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DrawGridMemo->setSelectionMode(QAbstractItemView::SingleSelection);
  DrawGridMemo->setSelectionBehavior(QAbstractItemView::SelectRows);
  DrawGridMemo->setWordWrap(false);
  DrawGridMemo->verticalHeader()->hide();
  DrawGridMemo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  DrawGridMemo->verticalHeader()->setDefaultSectionSize(kRowHeight);
  QHeaderView *header = DrawGridMemo->horizontalHeader();
  header->setFixedHeight(kRowHeight);
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
  header->setFont(calixo::chineseFont(12));
  header->setStyleSheet(QStringLiteral("QHeaderView::section { background: white; border: none; }"));
  DrawGridMemo->setColumnWidth(0, 100);
  DrawGridMemo->viewport()->installEventFilter(this);
  DrawGridMemo->setCurrentIndex(m_model->index(0, 0));

  ImageADD = new TPictureButton(this);
  ImageADD->setObjectName(QStringLiteral("ImageADD"));
  ImageADD->move(41, 225);
  ImageADD->setPressOffset(QPoint(1, 1));
  ImageDEL = new TPictureButton(this);
  ImageDEL->setObjectName(QStringLiteral("ImageDEL"));
  ImageDEL->move(87, 225);
  ImageDEL->setPressOffset(QPoint(1, 1));
  connect(ImageADD, &TPictureButton::released, this, &TMemoListForm::OnIAMouseUp);
  connect(ImageDEL, &TPictureButton::released, this, &TMemoListForm::OnIDMouseUp);
}

void TMemoListForm::FormCreate(const TCalixoini &settings) {
  for (auto [button, key] : {std::pair{ImageADD, "B1S"}, std::pair{ImageDEL, "B1U"}}) {
    const calixo::SButtonPicture pic = calixo::buttonPicture(settings, "Notebutton", key);
    button->loadPicture(calixo::fromGbk(pic.File), QString::fromStdString(pic.Resource));
  }
  ImageMy1->FormHandle = this;
  SetRgn(this, "CALIXOTOP.EXB");
  DrawGridMemo->setColumnWidth(1, 200);
  // A table that cannot be opened is reported like every other table error;
  // the window stays, with an empty list.
  calixo::guarded([this] { m_table.Open(); });
  m_model->rowsChanged(1, TMemoTable::kListedRows);
}

void TMemoListForm::ToggleShown() {
  if (isVisible()) {
    hide();
  } else {
    show();
    raise();
  }
}

int TMemoListForm::SelectedRow() const {
  const QModelIndex cur = DrawGridMemo->currentIndex();
  return cur.isValid() ? cur.row() + 1 : 1;
}

void TMemoListForm::RepaintRow(int row, bool bothCells) {
  m_model->rowsChanged(row, row, bothCells ? 0 : 1);
}

void TMemoListForm::OnIAMouseUp() {
  const int row = m_table.Count() + 1;
  if (m_table.Add())
    RepaintRow(row, true);
}

void TMemoListForm::OnIDMouseUp() {
  if (m_table.Delete(SelectedRow()))
    m_model->rowsChanged(1, TMemoTable::kListedRows);
}

void TMemoListForm::OnDGMMouseUP(const QPoint &pos) {
  const QModelIndex at = DrawGridMemo->indexAt(pos);
  if (!at.isValid())
    return;
  m_table.ShowAgain(at.row() + 1);
}

bool TMemoListForm::eventFilter(QObject *watched, QEvent *e) {
  if (watched == DrawGridMemo->viewport() && e->type() == QEvent::MouseButtonRelease)
    OnDGMMouseUP(static_cast<QMouseEvent *>(e)->position().toPoint());
  return calixo::TToolWindow::eventFilter(watched, e);
}

bool TMemoListForm::event(QEvent *e) {
  if (e->type() != HovrelMessageEvent::EventType)
    return calixo::TToolWindow::event(e);
  auto *m = static_cast<HovrelMessageEvent *>(e);
  const int row = m_table.HandleMessage(m->message(), m->memo(), m->lParam());
  if (row > 0) {
    RepaintRow(row, false);
    const QModelIndex cell = m_model->index(row - 1, 1);
    DrawGridMemo->viewport()->repaint(DrawGridMemo->visualRect(cell));
  }
  return true;
}

void TMemoListForm::closing() { m_table.CloseAll(); }
