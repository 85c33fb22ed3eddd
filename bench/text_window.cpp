// The second yardstick of the start-up comparison: the bare frameless window
// of the main window's size, showing one line of Chinese text in a label, so
// that what the first text costs (the font database, a face looked up and
// loaded, its glyphs drawn) is seen apart from what Calixo itself does.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QLabel w(QStringLiteral("2026年12月 星期二 农历十月十九"), nullptr, Qt::FramelessWindowHint);
  w.resize(586, 353);
  w.show();
  return app.exec();
}
