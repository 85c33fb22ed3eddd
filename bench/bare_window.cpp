// The yardstick of the start-up comparison: a bare frameless Qt window of the
// main window's size, shown as soon as the application object exists.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QWidget w(nullptr, Qt::FramelessWindowHint);
  w.resize(586, 353);
  w.show();
  return app.exec();
}
