// What a person sees of the main window offscreen: every English month name
// whole in its label, the frame on the clicked day, and the program's icon.
#include "mainform.h"

#include "drawgrid.h"
#include "fittedlabel.h"
#include "monthmodel.h"
#include "programfolder.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList monthNames() {
  QStringList names;
  for (const char *n : MonthNamesEn)
    names << QLatin1String(n);
  return names;
}

// Pixels of image that are not white.
int inkOf(const QImage &image) {
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ink += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
  return ink;
}

// text drawn in font on a white image far larger than any label, so that
// none of it is cut.
int unclippedInk(const QFont &font, const QString &text) {
  QImage image(600, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setFont(font);
  p.setPen(Qt::red);
  p.drawText(QPoint(100, 120), text);
  p.end();
  return inkOf(image);
}

struct FitRow {
  const char *what;
  QSize box;
  bool smaller;  // the size must go below the 50 px asked for
};

TEST(FitFontToBox, EveryTextFitsWholeAtTheLargestSizeThatAllows) {
  QFont asked = calixo::substituteFont(QStringLiteral("English111 Vivace BT"), 50, true);
  const FitRow rows[] = {
      {"the month label", QSize(217, 49), false},
      {"narrower than the narrowed face", QSize(140, 49), true},
      {"lower than the descenders need", QSize(217, 30), true},
      {"a small square", QSize(40, 40), true},
  };
  for (const FitRow &r : rows) {
    SCOPED_TRACE(r.what);
    const SFittedFont fit = fitFontToBox(asked, r.box, monthNames());
    ASSERT_TRUE(fit.Fits);
    EXPECT_TRUE(fit.Font.bold());
    EXPECT_EQ(fit.Font.pixelSize() < 50, r.smaller) << fit.Font.pixelSize();
    EXPECT_GE(fit.Font.stretch(), 75);
    const QFontMetrics fm(fit.Font);
    for (const QString &name : monthNames()) {
      const QRect ink = fm.tightBoundingRect(name).translated(fit.Left, fit.Baseline);
      EXPECT_TRUE(QRect(QPoint(0, 0), r.box).contains(ink))
          << name.toStdString() << " ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x"
          << ink.height();
    }
    // The largest font that fits: one pixel more no longer does, either
    // across (at the narrowest stretch) or in height.
    if (r.smaller) {
      QFont larger = fit.Font;
      larger.setPixelSize(fit.Font.pixelSize() + 1);
      larger.setStretch(75);
      const SFittedFont again = fitFontToBox(larger, r.box, monthNames());
      EXPECT_EQ(again.Font.pixelSize(), fit.Font.pixelSize());
    }
  }
  // Nothing fits a box too small for any size tried.
  EXPECT_FALSE(fitFontToBox(asked, QSize(8, 4), monthNames()).Fits);
}

class MainLookTest : public ProgramFolderTest {
protected:
  MainLookTest() : ProgramFolderTest({2024, 5, 15, 10, 0, 0, 0}) {}
  std::unique_ptr<TMainForm> form;

  void TearDown() override {
    form.reset();
    ProgramFolderTest::TearDown();
  }
  void create() {
    form = std::make_unique<TMainForm>();
    calixo::guarded([this] { form->FormCreate(); });
  }
  void showMonth(int year, int month, int day) {
    SelYear = year;
    SelMonth = month;
    SelDay = day;
    form->RefreshMonth();
  }
};

TEST_F(MainLookTest, EveryMonthNameFitsItsLabelWholeDescendersIncluded) {
  create();
  form->show();
  auto *label = qobject_cast<TFittedLabel *>(form->LabelMonthE);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->geometry(), QRect(288, 71, 217, 49));
  // A stand-in of the same size and style: 50 px, bold.
  EXPECT_EQ(label->font().pixelSize(), 50);
  EXPECT_TRUE(label->font().bold());
  for (int month = 1; month <= 12; ++month) {
    showMonth(2026, month, 1);
    const QString name = label->text();
    SCOPED_TRACE(name.toStdString());
    ASSERT_EQ(name, QLatin1String(MonthNamesEn[static_cast<size_t>(month - 1)]));
    // By the font's measure, where the label draws it.
    const QRect ink =
        QFontMetrics(label->font()).tightBoundingRect(name).translated(label->TextLeft(), label->Baseline());
    EXPECT_TRUE(label->rect().contains(ink))
        << "ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    // By the pixels: the label shows every pixel of the name that the same
    // font draws where nothing can cut it.
    const int shown = inkOf(label->grab().toImage());
    EXPECT_EQ(shown, unclippedInk(label->font(), name));
    EXPECT_GT(shown, 300);
  }
}

// The outermost ring of pixels of r and the ring inside it.
std::vector<QPoint> ring(const QRect &r) {
  std::vector<QPoint> out;
  for (int x = r.left(); x <= r.right(); ++x) {
    out.emplace_back(x, r.top());
    out.emplace_back(x, r.bottom());
  }
  for (int y = r.top() + 1; y < r.bottom(); ++y) {
    out.emplace_back(r.left(), y);
    out.emplace_back(r.right(), y);
  }
  return out;
}

TEST_F(MainLookTest, TheClickedDayGetsAFrameThatCanBeSeenAndHidesNothing) {
  create();
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  showMonth(2023, 7, 10);  // 1 July 2023 is a Saturday; 20 July: column 4, row 4
  TDrawGrid *grid = form->DrawGridDate;
  const QRect cell = grid->CellRect(4, 4);
  const QImage before = grid->grab().toImage();
  QTest::mouseClick(grid, Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(SelDay, 20);
  ASSERT_TRUE(grid->hasFocus());
  ASSERT_EQ(grid->Col() * 10 + grid->Row(), 44);
  const QImage after = grid->grab().toImage();
  const QColor base = grid->palette().color(QPalette::Base);
  for (const QPoint &p : ring(cell)) {
    EXPECT_EQ(before.pixelColor(p), base) << "no frame before the click";
    // Dark on the white cell: a clear step in lightness.
    EXPECT_LE(after.pixelColor(p).lightness(), base.lightness() - 100) << p.x() << "," << p.y();
  }
  for (const QPoint &p : ring(cell.adjusted(1, 1, -1, -1)))
    EXPECT_NE(after.pixelColor(p), base) << p.x() << "," << p.y();
  // The day number, the lunar label and the marker inside stay as they were.
  const QRect inside = cell.adjusted(2, 2, -2, -2);
  EXPECT_EQ(after.copy(inside), before.copy(inside));
  EXPECT_GT(inkOf(after.copy(inside)), 10) << "the cell has its day number";

  // Without the focus the current cell is highlighted instead, unframed.
  grid->clearFocus();
  QCoreApplication::processEvents();
  const QImage unfocused = grid->grab().toImage();
  const QColor highlight = grid->palette().color(QPalette::Highlight);
  for (const QPoint &p : ring(cell))
    EXPECT_EQ(unfocused.pixelColor(p), highlight) << p.x() << "," << p.y();
}

TEST_F(MainLookTest, TheWindowCarriesTheProgramsIcon) {
  create();
  const QIcon icon = form->windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.availableSizes(),
            (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
  for (const QSize &size : icon.availableSizes()) {
    SCOPED_TRACE(size.width());
    const QImage img = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(img.size(), size);
    // A calendar page on transparency: clear corners, an opaque middle with
    // the red band above the paper.
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(size.width() - 1, size.height() - 1)), 0);
    const QColor middle = img.pixelColor(size.width() / 2, size.height() * 3 / 4);
    EXPECT_EQ(middle.alpha(), 255);
    const QColor band = img.pixelColor(size.width() / 2, size.height() * 14 / 64);
    EXPECT_GT(band.red(), band.green() + 60);
  }
}

}  // namespace
