// TDrawGrid: an owner-drawn grid of fixed-size cells. It fills each cell
// with its background (white for fixed rows, the window colour for the
// others, the selection colour for the current cell while the grid has no
// focus), resets the canvas font and lets OnDrawCell draw the rest; a focus
// frame on the cell's edge marks the current cell while the grid has the
// focus. A press on a non-fixed cell makes it current; every release is
// passed to OnMouseUp, every key to OnKeyDown, and a tool tip shows the text
// OnToolTip gives for the cell under the pointer.
#pragma once

#include "cellcanvas.h"

#include <QWidget>

#include <functional>

class TDrawGrid : public QWidget {
  Q_OBJECT
public:
  using DrawCellEvent = std::function<void(TCellCanvas &canvas, int col, int row, const QRect &rect)>;
  using MouseUpEvent = std::function<void(QMouseEvent *e)>;
  // True when the handler used the key.
  using KeyDownEvent = std::function<bool(QKeyEvent *e)>;
  // The tool tip of a cell; an empty text shows none.
  using ToolTipEvent = std::function<QString(int col, int row)>;

  explicit TDrawGrid(QWidget *parent = nullptr);

  void setGridSize(int cols, int rows, int colWidth, int rowHeight, int fixedRows);
  int ColCount() const { return m_cols; }
  int RowCount() const { return m_rows; }

  DrawCellEvent OnDrawCell;
  MouseUpEvent OnMouseUp;
  KeyDownEvent OnKeyDown;
  ToolTipEvent OnToolTip;

  QRect CellRect(int col, int row) const;
  // The cell under point p; false in the strip beside or below the cells.
  bool MouseToCell(QPoint p, int &col, int &row) const;
  // Repaints that one cell.
  void InvalidateCell(int col, int row);

  int Col() const { return m_col; }
  int Row() const { return m_row; }
  void setCurrentCell(int col, int row);

protected:
  bool event(QEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;
  void paintEvent(QPaintEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  void drawFocusFrame(QPainter &p, const QRect &cell);

  int m_cols = 5, m_rows = 5, m_colWidth = 64, m_rowHeight = 24, m_fixedRows = 1;
  int m_col = 0, m_row = 1;
};
