#include "picturebutton.h"

#include "calixodata.h"
#include "filenames.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

TPictureButton::TPictureButton(QWidget *parent) : QWidget(parent) {
  setCursor(Qt::PointingHandCursor);
}

bool TPictureButton::loadPicture(const QString &path, const QString &fallbackResource) {
  if (!path.isEmpty()) {
    // Picture files are read as BMP only, under the name the file system
    // matches regardless of case.
    // The reader never blocks on a FIFO or device and refuses files far
    // larger than any picture.
    std::string bytes;
    QImage fromFile;
    if (calixo::readRegularFile(QFile::encodeName(path).toStdString(), bytes, calixo::kPictureFileMax) == 0 &&
        fromFile.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), static_cast<int>(bytes.size()),
                              "BMP") &&
        !fromFile.isNull()) {
      setPicture(fromFile);
      return true;
    }
  }
  calixo::initDataResources();
  setPicture(QImage(fallbackResource));
  return false;
}

void TPictureButton::setPicture(const QImage &picture) {
  m_picture = picture.convertToFormat(QImage::Format_ARGB32);
  if (m_picture.width() > 1 && m_picture.height() > 1) {
    const QRgb key = m_picture.pixel(1, 1);
    for (int y = 0; y < m_picture.height(); ++y) {
      auto *row = reinterpret_cast<QRgb *>(m_picture.scanLine(y));
      for (int x = 0; x < m_picture.width(); ++x)
        if (row[x] == key)
          row[x] = 0;
    }
  }
  if (!m_picture.isNull())
    resize(m_picture.size());
  update();
}

void TPictureButton::paintEvent(QPaintEvent *) {
  if (m_picture.isNull())
    return;
  QPainter p(this);
  p.drawImage(0, 0, m_picture);
}

// Each button goes down with the first mouse button pressed and comes back
// when the last one is released, so presses and releases always pair up.
void TPictureButton::mousePressEvent(QMouseEvent *e) {
  e->accept();
  if (!m_pressed) {
    m_pressed = true;
    move(pos() + m_pressOffset);
  }
  emit pressed(e->button());
}

void TPictureButton::mouseReleaseEvent(QMouseEvent *e) {
  e->accept();
  const bool inside = rect().contains(e->position().toPoint());
  if (m_pressed && e->buttons() == Qt::NoButton) {
    m_pressed = false;
    move(pos() - m_pressOffset);
  }
  emit released(e->button(), inside);
  if (e->button() == Qt::LeftButton && inside)
    emit clicked();
}
