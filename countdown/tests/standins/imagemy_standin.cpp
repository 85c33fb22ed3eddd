// Test stand-in for the skin image control while the skin library is a
// placeholder: shows the picture and takes its size; presses do nothing.
#include "imagemy.h"

#include <QPainter>

TImageMy::TImageMy(QWidget *parent) : QWidget(parent) {}

void TImageMy::setPicture(const QImage &picture) {
  m_picture = picture;
  resize(picture.size());
  update();
}

void TImageMy::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, m_picture);
}

void TImageMy::mousePressEvent(QMouseEvent *) {}
void TImageMy::mouseMoveEvent(QMouseEvent *) {}
void TImageMy::mouseReleaseEvent(QMouseEvent *) {}

QImage decodeJpeg(const QByteArray &bytes) { return QImage::fromData(bytes, "JPG"); }

QImage loadSkinPicture(const QString &resourcePath) { return QImage(resourcePath); }
