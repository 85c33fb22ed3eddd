#include "timegrid.h"

#include "preeditguard.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

class TTimeGridModel : public QAbstractTableModel {
public:
  TTimeGridModel(int cols, int bodyRows, TTimeGrid *grid)
      : QAbstractTableModel(grid), m_cols(cols), m_rows(bodyRows), m_grid(grid) {}
  int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : m_rows; }
  int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : m_cols; }
  // Cells are drawn by the owner; the model only carries their tooltips.
  QVariant data(const QModelIndex &index, int role) const override {
    if (role != Qt::ToolTipRole || !index.isValid() || !m_grid->OnGetHint)
      return {};
    const QString hint = m_grid->OnGetHint(index.column(), index.row() + 1);
    if (hint.isEmpty())
      return {};
    // A short plan shows as it is, on one line. A long one, or one that
    // looks like markup, is turned into markup of its plain text: the
    // tooltip then wraps it rather than run off the screen, and shows any
    // "<b>" the user typed as typed.
    const QScreen *screen = m_grid->screen();
    const bool shortText = !screen || QFontMetrics(QToolTip::font()).horizontalAdvance(hint) <=
                                          screen->availableGeometry().width() / 2;
    if (shortText && !Qt::mightBeRichText(hint))
      return hint;
    return Qt::convertFromPlainText(hint, Qt::WhiteSpaceNormal);
  }
  Qt::ItemFlags flags(const QModelIndex &index) const override {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.isValid() && index.row() < m_editable)
      f |= Qt::ItemIsEditable;
    return f;
  }
  int m_cols, m_rows, m_editable = 0;
  TTimeGrid *m_grid;
};

namespace {

// Refuses a change that the grid's owner rejects, so nothing it cannot store
// ever enters the editor.
class TTextValidator : public QValidator {
public:
  TTextValidator(const TTimeGrid *grid, QObject *parent) : QValidator(parent), m_grid(grid) {}
  State validate(QString &input, int &) const override {
    if (m_grid->OnAcceptText && !m_grid->OnAcceptText(input))
      return Invalid;
    return Acceptable;
  }

private:
  const TTimeGrid *m_grid;
};

class TTimeGridDelegate : public QStyledItemDelegate {
public:
  explicit TTimeGridDelegate(TTimeGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
    if (!m_grid->OnDrawCell)
      return;
    TPainterCanvas canvas(*painter);
    canvas.Font = m_grid->font();
    canvas.FontColor = selected ? option.palette.highlightedText().color() : option.palette.text().color();
    m_grid->OnDrawCell(canvas, index.column(), index.row() + 1, option.rect);
  }

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const override {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("InplaceEdit"));
    edit->setFrame(false);
    edit->setValidator(new TTextValidator(m_grid, edit));
    calixo::dropPreeditOnFocusLoss(edit);
    const int col = index.column(), row = index.row() + 1;
    TTimeGrid *grid = m_grid;
    connect(edit, &QLineEdit::textEdited, grid, [grid, col, row](const QString &text) {
      if (grid->OnSetEditText)
        grid->OnSetEditText(col, row, text);
    });
    return edit;
  }

  void setEditorData(QWidget *editor, const QModelIndex &index) const override {
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
      edit->setText(m_grid->OnGetEditText ? m_grid->OnGetEditText(index.column(), index.row() + 1) : QString());
  }

  void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override {
    if (auto *edit = qobject_cast<QLineEdit *>(editor); edit && m_grid->OnSetEditText)
      m_grid->OnSetEditText(index.column(), index.row() + 1, edit->text());
  }

private:
  TTimeGrid *m_grid;
};

// The fixed header row, drawn by the same handler as the body (row 0).
class TTimeGridHeader : public QHeaderView {
public:
  explicit TTimeGridHeader(TTimeGrid *grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid) {}

protected:
  void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override {
    painter->fillRect(rect, Qt::white);
    if (!m_grid->OnDrawCell)
      return;
    TPainterCanvas canvas(*painter);
    canvas.Font = m_grid->font();
    m_grid->OnDrawCell(canvas, logicalIndex, 0, rect);
  }

private:
  TTimeGrid *m_grid;
};

}  // namespace

TTimeGrid::TTimeGrid(int cols, int rows, int rowHeight, QWidget *parent)
    : QTableView(parent), m_model(new TTimeGridModel(cols, rows - 1, this)) {
  setModel(m_model);
  setHorizontalHeader(new TTimeGridHeader(this));
  horizontalHeader()->setFixedHeight(rowHeight);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(rowHeight);
  verticalHeader()->setMinimumSectionSize(1);
  setShowGrid(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // 48 rows never fit, so the vertical bar is always there; the columns are
  // fitted to the width, so there is nothing to scroll sideways.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  setItemDelegate(new TTimeGridDelegate(this));
  // A row's first composition goes to the grid, which opens the editor and
  // hands the composition on to it.
  calixo::dropPreeditOnFocusLoss(this);
  setTabKeyNavigation(false);
}

void TTimeGrid::setEditableRows(int rows) { m_model->m_editable = rows; }
int TTimeGrid::ColCount() const { return m_model->m_cols; }
int TTimeGrid::RowCount() const { return m_model->m_rows + 1; }
int TTimeGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }
int TTimeGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void TTimeGrid::setCurrentCell(int col, int row) {
  setCurrentIndex(m_model->index(row - 1, col));
}

int TTimeGrid::TopRow() const { return rowAt(0) + 1; }

void TTimeGrid::setTopRow(int row) {
  // One scroll step is one row, so the value is the number of rows above.
  verticalScrollBar()->setValue(row - 1);
}

void TTimeGrid::setColWidth(int col, int width) { setColumnWidth(col, width); }

void TTimeGrid::fitLastColumn() {
  const int last = m_model->m_cols - 1;
  int others = 0;
  for (int c = 0; c < last; ++c)
    others += columnWidth(c);
  const int shown = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
  if (shown - others < columnWidth(last))
    setColumnWidth(last, std::max(1, shown - others));
}

QRect TTimeGrid::CellRect(int col, int row) const {
  if (row == 0)
    return QRect(columnViewportPosition(col), 0, columnWidth(col), horizontalHeader()->height());
  return visualRect(m_model->index(row - 1, col));
}

void TTimeGrid::InvalidateCell(int col, int row) {
  if (row == 0)
    horizontalHeader()->viewport()->update();
  else
    update(m_model->index(row - 1, col));
}

QWidget *TTimeGrid::inplaceEditor() const { return findChild<QLineEdit *>(QStringLiteral("InplaceEdit")); }
