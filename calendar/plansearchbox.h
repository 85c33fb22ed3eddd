// The 查找 box: a line to type into and, as the user types, every plan whose
// text contains it (current and archived) with its date and time. Choosing
// one (double-click or Enter) shows its day in the main window and the time
// list. The search itself is FindPlans (timelist/plansearch.h) over the
// sources the main window gives.
#pragma once

#include "plansearch.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QListWidget;

class TPlanSearchBox : public QDialog {
  Q_OBJECT
public:
  // sources() gives the sources at each search (a source may come and go,
  // the archive for one); goTo shows a chosen plan's day.
  TPlanSearchBox(std::function<std::vector<TPlanSource>()> sources,
                 std::function<void(const SFoundPlan &)> goTo, QWidget *parent = nullptr);

  QLineEdit *EditFind = nullptr;
  QListWidget *ListFound = nullptr;

  // Runs the search for the line's text and fills the list.
  void Search();
  const std::vector<SFoundPlan> &Found() const { return m_found; }
  // Shows the day of row i of the list and closes the box.
  void Choose(int i);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  std::function<std::vector<TPlanSource>()> m_sources;
  std::function<void(const SFoundPlan &)> m_goTo;
  std::vector<SFoundPlan> m_found;
};
