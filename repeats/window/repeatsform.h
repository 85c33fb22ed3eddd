// TRepeatsForm: the 纪念日 window. It lists the anniversaries of the table
// with their next date, the days until it and, where the year of the first
// occurrence is known, the count (第N个生日 / N周年), and adds, changes and
// deletes them through TRepeatDialog. The table belongs to the main window;
// every change is stored at once and announced with changed(). "Today" comes
// from calixo::clock().
#pragma once

#include "repeats.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QTreeWidget;
class TRepeatDialog;
namespace repeats {
class TRepeatTable;
}

class TRepeatsForm : public QWidget {
  Q_OBJECT
public:
  TRepeatsForm(repeats::TRepeatTable &table, lunar::LunarTable lunarTable, QWidget *parent = nullptr);

  // Lists the table again.
  void Reload();
  // Opens the dialog for a new anniversary; prefill, when given, sets its
  // dates (the day a context menu was opened on). Returns true when one was
  // stored.
  bool AddRepeat(const std::function<void(TRepeatDialog &)> &prefill = {});
  bool ChangeSelected();
  bool DeleteSelected();

  QTreeWidget *ListRepeats = nullptr;
  QPushButton *ButtonAdd = nullptr;
  QPushButton *ButtonChange = nullptr;
  QPushButton *ButtonDelete = nullptr;
  // Asks before a delete; a question box unless replaced (tests answer it).
  std::function<bool(const QString &question)> ConfirmDelete;

signals:
  // The table changed: marks and reminders are due for a look.
  void changed();

private:
  bool store(const std::function<void()> &write);

  repeats::TRepeatTable &m_table;
  lunar::LunarTable m_lunarTable;
};
