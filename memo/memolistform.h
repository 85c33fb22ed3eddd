// TMemoListForm: the memo list window ("记事本"). A thin window over a
// TMemoTable: the grid shows the memos' creation times and texts, the two
// picture buttons add and delete, a release over a row re-shows a hidden
// note, and the note windows' messages go straight to the table.
#pragma once

#include "memotable.h"

#include "toolwindow.h"

#include <QAbstractTableModel>

class QTableView;
class TCalixoini;
class TImageMy;
class TPictureButton;
class TMemoGridModel;

class TMemoListForm : public calixo::TToolWindow {
  Q_OBJECT
public:
  // Creates the window hidden, opens (or creates) the memo table and opens
  // the notes of the memos marked shown.
  explicit TMemoListForm(const TCalixoini &settings, QWidget *parent = nullptr);
  ~TMemoListForm() override;

  // The main window's notebook button: shows the window when hidden, else hides it.
  void ToggleShown();

  TMemoTable &Table() { return m_table; }
  // The grid row the delete button acts on (1 until the user selects another).
  int SelectedRow() const;

protected:
  bool event(QEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *e) override;
  void closing() override;

private:
  void FormCreate(const TCalixoini &settings);
  void createControls();
  void OnIAMouseUp();
  void OnIDMouseUp();
  void OnDGMMouseUP(const QPoint &pos);
  void RepaintRow(int row, bool bothCells);

  TMemoTable m_table;
  TImageMy *ImageMy1 = nullptr;
  QTableView *DrawGridMemo = nullptr;
  TMemoGridModel *m_model = nullptr;
  TPictureButton *ImageADD = nullptr;
  TPictureButton *ImageDEL = nullptr;
};

// The one memo list window, created at start-up.
extern TMemoListForm *MemoListForm;

// The grid's contents: rows 1 to 54 of the list are model rows 0 to 53; the
// header row is the view's header.
class TMemoGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TMemoGridModel(const TMemoTable &table, QObject *parent = nullptr)
      : QAbstractTableModel(parent), m_table(table) {}
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  // The list's own row numbering (1-based).
  void rowsChanged(int firstRow, int lastRow, int firstColumn = 0);

private:
  const TMemoTable &m_table;
};
