// The lunar labels of the month grid: which years get them with the
// [Lunar] Extended switch off and on, and how they come out on screen: each
// label painted alone by the grid's own canvas and measured pixel by pixel
// against the day number of its cell.
#include "mainform.h"

#include "calixoini.h"
#include "cellcanvas.h"
#include "drawgrid.h"
#include "lunar.h"
#include "programfolder.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Passes either the day numbers or the lunar labels (the text in a smaller
// font than the grid's) to a painter canvas, and nothing else.
class OneKindCanvas : public TCellCanvas {
public:
  OneKindCanvas(TPainterCanvas &out, const QPaintDevice *device, int gridPoints, bool labels)
      : m_out(out), m_device(device), m_gridPoints(gridPoints), m_labels(labels) {}
  std::vector<QString> texts;
  int room = 0;     // pixels from the first text's start to its clip's right edge
  int advance = 0;  // its width in the font it is painted in
  int left = 0;
  void TextOut(int x, int y, const QString &text, const QRect &clip) override {
    if ((Font.pointSize() < m_gridPoints) != m_labels)
      return;
    if (texts.empty()) {
      const QFont shown = TPainterCanvas::screenFont(Font, x, text, clip, m_device);
      advance = QFontMetrics(shown, m_device).horizontalAdvance(text);
      room = clip.right() + 1 - x;
      left = x;
    }
    texts.push_back(text);
    m_out.Font = Font;
    m_out.FontColor = FontColor;
    m_out.TextOut(x, y, text, clip);
  }
  void Draw(int, int, const QImage &) override {}

private:
  TPainterCanvas &m_out;
  const QPaintDevice *m_device;
  int m_gridPoints;
  bool m_labels;
};

struct Ink {
  QRect box;          // bounding box of every non-white pixel
  int offColour = 0;  // ink pixels not exactly the text colour
  QString text;       // the first text painted, empty when none
  int left = 0, room = 0, advance = 0;
};

class LunarLabelTest : public ProgramFolderTest {
protected:
  LunarLabelTest() : ProgramFolderTest({2026, 12, 8, 9, 0, 0, 0}) {}
  std::unique_ptr<TMainForm> form;

  void TearDown() override {
    form.reset();
    ProgramFolderTest::TearDown();
  }
  void create(const std::string &settings) {
    if (!settings.empty())
      std::ofstream("Calixo.ini", std::ios::binary) << TCalixoini::DefaultTemplate() << settings;
    form = std::make_unique<TMainForm>();
    form->FormCreate();
  }
  void showMonth(int year, int month) {
    SelYear = year;
    SelMonth = month;
    SelDay = 1;
    form->RefreshMonth();
  }
  // The label (or the day number) of one cell, painted alone on white.
  Ink paintCell(int col, int row, bool label) {
    const QRect cell = form->DrawGridDate->CellRect(col, row);
    QImage image(form->DrawGridDate->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QColor colour;
    Ink ink;
    {
      QPainter p(&image);
      TPainterCanvas painterCanvas(p);
      OneKindCanvas canvas(painterCanvas, &image, form->DrawGridDate->font().pointSize(), label);
      canvas.Font = form->DrawGridDate->font();
      form->OnDrawGirdDateDrawCell(canvas, col, row, cell);
      colour = canvas.FontColor;
      if (!canvas.texts.empty())
        ink.text = canvas.texts.front();
      ink.left = canvas.left;
      ink.room = canvas.room;
      ink.advance = canvas.advance;
    }
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb px = image.pixel(x, y) | 0xFF000000u;
        if (px == 0xFFFFFFFFu)
          continue;
        ink.box |= QRect(x, y, 1, 1);
        if (px != (colour.rgb() | 0xFF000000u))
          ++ink.offColour;
      }
    return ink;
  }
  // Labels drawn in the month's day cells.
  int labelsDrawn() {
    int n = 0;
    for (int row = 1; row <= 6; ++row)
      for (int col = 0; col < 7; ++col)
        n += !paintCell(col, row, true).text.isEmpty();
    return n;
  }
};

TEST_F(LunarLabelTest, TheSwitchChoosesTheYearsThatGetLabels) {
  struct Row {
    const char *settings;  // after the template; "" keeps the template alone
    int year, month, labels;
  };
  const Row rows[] = {
      // Off: the template, no key, an empty value, any value but 1.
      {"", 2010, 12, 31},
      {"", 2011, 1, 0},
      {"", 1920, 12, 0},
      {"", 1921, 1, 31},
      {"", 2026, 12, 0},
      {"[Lunar]\r\n", 2026, 12, 0},
      {"[Lunar]\r\nExtended=\r\n", 2026, 12, 0},
      {"[Lunar]\r\nExtended=0\r\n", 2026, 12, 0},
      {"[Lunar]\r\nExtended=yes\r\n", 2026, 12, 0},
      {"[Lunar]\r\nExtended=11\r\n", 2026, 12, 0},
      {"[Lunar]\r\n;Extended=1\r\n", 2026, 12, 0},
      {"[Other]\r\nExtended=1\r\n", 2026, 12, 0},
      // On, in any letter case.
      {"[Lunar]\r\nExtended=1\r\n", 2026, 12, 31},
      {"[LUNAR]\r\nextended=1\r\n", 2026, 12, 31},
      {"[lunar]\r\nEXTENDED = 1\r\n", 2100, 12, 31},
      {"[Lunar]\r\nExtended=1\r\n", 2010, 12, 31},
      {"[Lunar]\r\nExtended=1\r\n", 1920, 12, 31},
      // 1912 from its lunar new year (18 February) on; nothing after 2100.
      {"[Lunar]\r\nExtended=1\r\n", 1912, 2, 12},
      {"[Lunar]\r\nExtended=1\r\n", 1912, 1, 0},
      {"[Lunar]\r\nExtended=1\r\n", 1911, 12, 0},
      {"[Lunar]\r\nExtended=1\r\n", 2101, 1, 0},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.settings << "\" " << r.year << "-" << r.month);
    std::filesystem::remove("Calixo.ini");
    create(r.settings);
    showMonth(r.year, r.month);
    EXPECT_EQ(labelsDrawn(), r.labels);
    form.reset();
  }
}

// Every label of a month, classic and extended, including the three-character
// leap months: tall enough to read, in the cell's own colour pixel for pixel
// (no grey smoothing), whole, inside its cell and below the day number.
TEST_F(LunarLabelTest, LabelsAreLegibleInsideTheCellBelowTheDayNumber) {
  struct Row {
    const char *settings;
    int year, month;
    const char *longLabel;  // a three-character label the month has, or ""
  };
  const Row rows[] = {
      {"", 2001, 5, "闰四月"},
      {"", 1984, 11, "闰十月"},
      {"", 2010, 2, ""},
      {"[Lunar]\r\nExtended=1\r\n", 2026, 12, ""},
      {"[Lunar]\r\nExtended=1\r\n", 2020, 5, "闰四月"},
      {"[Lunar]\r\nExtended=1\r\n", 2033, 12, "闰冬月"},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month);
    std::filesystem::remove("Calixo.ini");
    create(r.settings);
    showMonth(r.year, r.month);
    int labels = 0;
    bool longSeen = false;
    for (int row = 1; row <= 6; ++row)
      for (int col = 0; col < 7; ++col) {
        const Ink label = paintCell(col, row, true);
        const QString &text = label.text;
        if (text.isEmpty())
          continue;
        SCOPED_TRACE(text.toStdString());
        ++labels;
        longSeen |= text == QString::fromUtf8(r.longLabel);
        const QRect cell = form->DrawGridDate->CellRect(col, row);
        const Ink number = paintCell(col, row, false);
        ASSERT_FALSE(label.box.isEmpty());
        EXPECT_GE(label.box.height(), 9);
        EXPECT_EQ(label.offColour, 0);
        EXPECT_TRUE(cell.contains(label.box)) << label.box.top() << " " << label.box.bottom();
        EXPECT_GT(label.box.top(), number.box.bottom());
        // Whole: in the font it is painted in it fits the room right of its
        // start, so the cell's clip cuts nothing off.
        EXPECT_EQ(label.left, cell.left() + cell.width() / 2 - 6);
        EXPECT_LE(label.advance, label.room);
        EXPECT_GE(label.box.left(), label.left);
      }
    EXPECT_EQ(labels, lunar::SolarMonthLength(r.year, r.month));
    if (*r.longLabel) {
      EXPECT_TRUE(longSeen);
    }
    form.reset();
  }
}

}  // namespace
