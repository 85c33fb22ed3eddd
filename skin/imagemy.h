// skin: the controls that make the borderless windows usable. TImageMy paints
// a window's skin picture and drags the window on a left press; TZuImage is
// the month picture with its caption; TPictureButton is every picture button
// of the program (transparent colour from pixel (1, 1), a one-pixel press
// offset, actions on release). Skin pictures are JPEGs compiled into the
// program and decoded with libjpeg (loadSkinPicture).
#pragma once

#include "windowdrag.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class TImageMy : public QWidget {
  Q_OBJECT
public:
  explicit TImageMy(QWidget *parent = nullptr);

  // The window a left press drags; none (nullptr) means a press does nothing.
  QPointer<QWidget> FormHandle;

  // Shows picture at (0, 0) and takes its size (AutoSize).
  void setPicture(const QImage &picture);
  const QImage &picture() const { return m_picture; }

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  QImage m_picture;
  skin::TWindowDrag m_drag;
};

// Decodes a JPEG skin picture stored in the program's resources (":/skins/...")
// with libjpeg. A null image when it cannot be decoded.
QImage loadSkinPicture(const QString &resourcePath);
// Decodes JPEG bytes with libjpeg (jpeg_mem_src); null on any error.
QImage decodeJpeg(const QByteArray &bytes);
