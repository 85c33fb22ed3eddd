// TZuImage: a windowed picture control with an optional opaque caption; the
// main window's month picture.
#pragma once

#include "windowdrag.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

class TZuImage : public QWidget {
  Q_OBJECT
public:
  using TZuImageSetEvent = std::function<void(TZuImage *Sender)>;

  explicit TZuImage(QWidget *parent = nullptr);

  // Published properties, initial values as shown. Setters of Color, Caption,
  // CaptionY and CaptionColor repaint at once; the others only store.
  TZuImageSetEvent OnZuClick;
  bool ParentMove() const { return m_parentMove; }
  void setParentMove(bool v) { m_parentMove = v; }                 // true
  int ShowStyle() const { return m_showStyle; }
  void setShowStyle(int v) { m_showStyle = v; }                    // 1: 0 bitmap, 1 colour
  QColor Color() const { return m_color; }
  void setColor(const QColor &c);                                  // white
  int BmpType() const { return m_bmpType; }
  void setBmpType(int v) { m_bmpType = v; }                        // 0
  QString BmpName() const { return m_bmpName; }
  void setBmpName(const QString &v) { m_bmpName = v; }             // ""
  bool BmpAuto() const { return m_bmpAuto; }
  void setBmpAuto(bool v) { m_bmpAuto = v; }                       // false
  QString Caption() const { return m_caption; }
  void setCaption(const QString &v);                               // ""
  int CaptionX() const { return m_captionX; }
  void setCaptionX(int v) { m_captionX = v; }                      // 0, no repaint
  int CaptionY() const { return m_captionY; }
  void setCaptionY(int v);                                         // 0
  QColor CaptionColor() const { return m_captionColor; }
  void setCaptionColor(const QColor &c);                           // black

  // Public members.
  QImage Bitmap;             // drawn in style 0; its user loads it
  bool IsDefaultBmp = true;  // free for the user
  QPointer<QWidget> FormHandle;

  // Invalidates the whole control and repaints it at once.
  void Redraw();
  // How many times the control has painted (tests check which setters repaint).
  int paintCount() const { return m_paintCount; }

signals:
  // The normal mouse-down event: for a left press only while ParentMove is
  // false, for the other buttons always.
  void mouseDown(QMouseEvent *e);

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  // Drive the drag by hand when the window manager does not move the window.
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  bool m_parentMove = true;
  int m_showStyle = 1;
  QColor m_color = QColor(0xFF, 0xFF, 0xFF);
  int m_bmpType = 0;
  QString m_bmpName;
  bool m_bmpAuto = false;
  QString m_caption;
  int m_captionX = 0, m_captionY = 0;
  QColor m_captionColor = QColor(0, 0, 0);
  QColor m_brushColor = QColor(0xFF, 0xFF, 0xFF);
  int m_paintCount = 0;
  skin::TWindowDrag m_drag;
};

// Starts moving window w with the mouse: the window manager's move where it
// answers, else a manual move driven by the caller's mouse events.
bool startWindowDrag(QWidget *w);
