// TFittedLabel: a fixed-size label of one line whose font is fitted to every
// text it is going to show, so that none loses a letter or a descender to
// the label's edges. The stand-in face of a Windows font has other widths
// and heights than the face the label was designed with: the fitting first
// narrows the face, then makes it smaller, and the ink of the tallest texts
// is centred in the label's height.
#pragma once

#include <QFont>
#include <QLabel>
#include <QStringList>

struct SFittedFont {
  QFont Font;
  int Baseline = 0;  // from the box's top
  int Left = 0;      // x of the text's origin, so that no ink is left of 0
  bool Fits = false;  // false: even the smallest font tried does not fit
};

// The largest font not above font's pixel size, narrowed to no less than
// 75 % before it is made smaller, in which the ink of every text fits box.
SFittedFont fitFontToBox(const QFont &font, QSize box, const QStringList &texts);

class TFittedLabel : public QLabel {
  Q_OBJECT
public:
  explicit TFittedLabel(QWidget *parent = nullptr);

  // Fits font to the label's current size for texts and uses it.
  void fitFont(const QFont &font, const QStringList &texts);
  int Baseline() const { return m_fitted.Baseline; }
  int TextLeft() const { return m_fitted.Left; }

protected:
  void paintEvent(QPaintEvent *e) override;

private:
  SFittedFont m_fitted;
};
