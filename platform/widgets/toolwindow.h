// TToolWindow: the base of the three tool windows (time list, memo list,
// countdown). Each refuses every request to close it until the main window,
// closing itself, sets CanClose; only then does closing go through.
#pragma once

#include <QCloseEvent>
#include <QWidget>

namespace calixo {

class TToolWindow : public QWidget {
  Q_OBJECT
public:
  explicit TToolWindow(QWidget *parent = nullptr, Qt::WindowFlags f = {}) : QWidget(parent, f) {}

  bool CanClose = false;

protected:
  void closeEvent(QCloseEvent *e) override {
    if (!CanClose) {
      e->ignore();
      return;
    }
    closing();
    e->accept();
  }
  // Runs once a close has been accepted (a window releases its records here).
  virtual void closing() {}
};

}  // namespace calixo
