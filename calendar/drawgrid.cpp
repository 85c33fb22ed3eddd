#include "drawgrid.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

TDrawGrid::TDrawGrid(QWidget *parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TDrawGrid::setGridSize(int cols, int rows, int colWidth, int rowHeight, int fixedRows) {
  m_cols = cols;
  m_rows = rows;
  m_colWidth = colWidth;
  m_rowHeight = rowHeight;
  m_fixedRows = fixedRows;
  m_col = 0;
  m_row = fixedRows < rows ? fixedRows : 0;
  update();
}

QRect TDrawGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= m_cols || row < 0 || row >= m_rows)
    return {};
  return QRect(col * m_colWidth, row * m_rowHeight, m_colWidth, m_rowHeight);
}

bool TDrawGrid::MouseToCell(QPoint p, int &col, int &row) const {
  if (p.x() < 0 || p.y() < 0)
    return false;
  col = p.x() / m_colWidth;
  row = p.y() / m_rowHeight;
  return col < m_cols && row < m_rows;
}

void TDrawGrid::InvalidateCell(int col, int row) {
  const QRect r = CellRect(col, row);
  if (!r.isNull())
    update(r);
}

void TDrawGrid::setCurrentCell(int col, int row) {
  if (col == m_col && row == m_row)
    return;
  InvalidateCell(m_col, m_row);
  m_col = col;
  m_row = row;
  InvalidateCell(m_col, m_row);
}

void TDrawGrid::paintEvent(QPaintEvent *e) {
  QPainter p(this);
  TPainterCanvas canvas(p);
  for (int row = 0; row < m_rows; ++row)
    for (int col = 0; col < m_cols; ++col) {
      const QRect r = CellRect(col, row);
      if (!e->region().intersects(r))
        continue;
      const bool current = col == m_col && row == m_row;
      QColor background = row < m_fixedRows ? QColor(Qt::white) : palette().color(QPalette::Base);
      if (current && !hasFocus() && row >= m_fixedRows)
        background = palette().color(QPalette::Highlight);
      p.fillRect(r, background);
      canvas.Font = font();
      canvas.FontColor = Qt::black;
      if (OnDrawCell)
        OnDrawCell(canvas, col, row, r);
      if (current && hasFocus())
        drawFocusFrame(p, r);
    }
}

void TDrawGrid::drawFocusFrame(QPainter &p, const QRect &cell) {
  // The platform style's focus rectangle is a faint line that can hardly be
  // seen on the cells. This frame lies on the cell's outermost two pixels,
  // which the cell's texts and marker never reach: a dark line with a light
  // one inside it, so it shows on the white cells and on a picture alike.
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(palette().color(QPalette::Highlight).darker(160), 1));
  p.drawRect(cell.adjusted(0, 0, -1, -1));
  p.setPen(QPen(palette().color(QPalette::Highlight), 1));
  p.drawRect(cell.adjusted(1, 1, -2, -2));
  p.restore();
}

bool TDrawGrid::event(QEvent *e) {
  if (e->type() != QEvent::ToolTip)
    return QWidget::event(e);
  auto *help = static_cast<QHelpEvent *>(e);
  int col, row;
  const QString text = OnToolTip && MouseToCell(help->pos(), col, row) ? OnToolTip(col, row) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
    e->ignore();
  } else {
    // Tied to the cell: moving to another cell asks again.
    QToolTip::showText(help->globalPos(), text, this, CellRect(col, row));
  }
  return true;
}

void TDrawGrid::keyPressEvent(QKeyEvent *e) {
  if (OnKeyDown && OnKeyDown(e))
    return;
  QWidget::keyPressEvent(e);
}

void TDrawGrid::mousePressEvent(QMouseEvent *e) {
  int col, row;
  if (e->button() == Qt::LeftButton && MouseToCell(e->position().toPoint(), col, row) &&
      row >= m_fixedRows)
    setCurrentCell(col, row);
  setFocus(Qt::MouseFocusReason);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent *e) {
  if (OnMouseUp)
    OnMouseUp(e);
}
