// TPictureButton: every picture button of the program. Its picture is a BMP
// file named in the settings or, when that is empty or cannot be loaded, a
// bitmap built into the program; the colour of pixel (1, 1) is transparent.
// Any mouse press moves the button by its press offset and the release moves
// it back; then `released` is emitted for every button and `clicked` only for
// a left button released inside.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

class TPictureButton : public QWidget {
  Q_OBJECT
public:
  explicit TPictureButton(QWidget *parent = nullptr);

  // Loads the BMP file at path, or the built-in resource (":/bmp/NAME.bmp")
  // when path is empty or the file cannot be loaded; no message either way.
  // The button takes the picture's size. Returns true when the file was used.
  bool loadPicture(const QString &path, const QString &fallbackResource);
  void setPicture(const QImage &picture);  // makes pixel (1, 1)'s colour transparent
  const QImage &picture() const { return m_picture; }

  // How far a press moves the button: (-1, -1) or (+1, +1).
  void setPressOffset(QPoint offset) { m_pressOffset = offset; }
  QPoint pressOffset() const { return m_pressOffset; }
  bool isPressed() const { return m_pressed; }

signals:
  void pressed(Qt::MouseButton button);
  void released(Qt::MouseButton button, bool inside);
  void clicked();  // left button released inside

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  QImage m_picture;
  QPoint m_pressOffset{-1, -1};
  bool m_pressed = false;
};
