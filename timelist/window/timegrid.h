// TTimeGrid: the time-list window's owner-drawn grid. Row 0 is the fixed
// header, rows 1.. the body; every cell is drawn by OnDrawCell on a canvas.
// In-place editing: the editor starts from OnGetEditText and every change of
// its text (each keystroke, an input-method commit, and the close) goes to
// OnSetEditText. The editor refuses text that OnAcceptText rejects.
// Hovering a body cell shows OnGetHint's text for it as a tooltip.
#pragma once

#include "cellcanvas.h"

#include <QTableView>

#include <functional>

class TTimeGridModel;

class TTimeGrid : public QTableView {
  Q_OBJECT
public:
  TTimeGrid(int cols, int rows, int rowHeight, QWidget *parent = nullptr);

  std::function<void(TCellCanvas &canvas, int col, int row, const QRect &rect)> OnDrawCell;
  std::function<QString(int col, int row)> OnGetEditText;
  std::function<void(int col, int row, const QString &text)> OnSetEditText;
  // False refuses a change of the editor's text; the editor keeps its text.
  std::function<bool(const QString &text)> OnAcceptText;
  // The tooltip of a body cell as plain text; empty shows none.
  std::function<QString(int col, int row)> OnGetHint;
  // Rows that can be edited: 1..editableRows.
  void setEditableRows(int rows);

  int ColCount() const;
  int RowCount() const;  // header included
  int Row() const;       // current row, 0 when there is none
  int Col() const;
  void setCurrentCell(int col, int row);
  int TopRow() const;    // first visible body row
  void setTopRow(int row);
  void setColWidth(int col, int width);
  // Narrows the last column to what the grid shows beside the others, so
  // the grid never scrolls sideways and the time column stays in view.
  void fitLastColumn();
  QRect CellRect(int col, int row) const;  // in viewport coordinates (row 0: header)
  void InvalidateCell(int col, int row);
  // The open in-place editor, nullptr when none.
  QWidget *inplaceEditor() const;

private:
  TTimeGridModel *m_model;
};
