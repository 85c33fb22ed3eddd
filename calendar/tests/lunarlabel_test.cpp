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
    // The 休 and 班 marks of holidays are neither; holidaymark_test looks at them.
    if (text == QStringLiteral("休") || text == QStringLiteral("班"))
      return;
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
  QColor colour;      // the colour it was painted in
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
      ink.colour = colour;
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
      // On when absent: a deleted file (the template is written again), no
      // key, an empty value, any value but 0.
      {"", 2010, 12, 31},
      {"", 2011, 1, 31},
      {"", 1920, 12, 31},
      {"", 1921, 1, 31},
      {"", 2026, 12, 31},
      {"[Lunar]\r\n", 2026, 12, 31},
      {"[Lunar]\r\nExtended=\r\n", 2026, 12, 31},
      {"[Lunar]\r\nExtended=yes\r\n", 2026, 12, 31},
      {"[Lunar]\r\nExtended=11\r\n", 2026, 12, 31},
      {"[Lunar]\r\n;Extended=0\r\n", 2026, 12, 31},
      {"[Other]\r\nExtended=0\r\n", 2026, 12, 31},
      // Off, in any letter case: 1921 to 2010 only.
      {"[Lunar]\r\nExtended=0\r\n", 2026, 12, 0},
      {"[LUNAR]\r\nextended=0\r\n", 2010, 12, 31},
      {"[lunar]\r\nEXTENDED = 0\r\n", 2011, 1, 0},
      {"[Lunar]\r\nExtended=0\r\n", 1920, 12, 0},
      {"[Lunar]\r\nExtended=0\r\n", 1921, 1, 31},
      // On: 1912 from its lunar new year (18 February) on; nothing after 2100.
      {"[Lunar]\r\nExtended=1\r\n", 2100, 12, 31},
      {"[Lunar]\r\nExtended=1\r\n", 1920, 12, 31},
      {"[Lunar]\r\nExtended=1\r\n", 1912, 2, 12},
      {"[Lunar]\r\nExtended=1\r\n", 1912, 1, 0},
      {"[Lunar]\r\nExtended=1\r\n", 1911, 12, 0},
      {"[Lunar]\r\nExtended=1\r\n", 2101, 1, 0},
      // Festivals change nothing about the years.
      {"[Lunar]\r\nFestivals=0\r\n", 2026, 12, 31},
      {"[Lunar]\r\nExtended=0\r\nFestivals=1\r\n", 2026, 12, 0},
      {"[Lunar]\r\nExtended=1\r\nFestivals=1\r\n", 2100, 12, 31},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.settings << "\" " << r.year << "-" << r.month);
    std::filesystem::remove("Calixo.ini");
    create(r.settings);
    showMonth(r.year, r.month);
    EXPECT_EQ(labelsDrawn(), r.labels);
    form.reset();
  }
  // A garbled file, not even the template: today's month keeps its dates.
  static const char garbled[] = "\x00\xff[Lun\x81]\r\n==0\nExtended\r0";
  std::ofstream("Calixo.ini", std::ios::binary | std::ios::trunc)
      << std::string(garbled, sizeof garbled - 1);
  form = std::make_unique<TMainForm>();
  form->FormCreate();
  showMonth(2026, 12);
  EXPECT_EQ(labelsDrawn(), 31);
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
      // Festival mode: 立春, 除夕, 春节 and 雨水 among the ordinary labels.
      {"[Lunar]\r\nExtended=1\r\nFestivals=1\r\n", 2026, 2, "春节"},
      {"[Lunar]\r\nExtended=1\r\nFestivals=1\r\n", 2033, 12, "闰冬月"},
      // The Gregorian festivals of three characters.
      {"", 2026, 5, "母亲节"},
      {"", 2026, 10, "国庆节"},
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

// The label of each listed day with the switches as given: the festival,
// else the solar term, else the ordinary label, the first two in the
// festivals' colour; without both switches at 1 the ordinary label in black
// or red (both are on when absent). 除夕 is found across the month's end (31 January 2022), never in a
// leap month (闰五月初五 2009, 闰九月初九 2014), and precedes a term on the same day.
TEST_F(LunarLabelTest, FestivalModeLabelsAndTheirColour) {
  const char *both = "[Lunar]\r\nExtended=1\r\nFestivals=1\r\n";
  const char *extended = "[Lunar]\r\nExtended=1\r\nFestivals=0\r\n";
  const char *festivalsOnly = "[Lunar]\r\nExtended=0\r\nFestivals=1\r\n";
  const char *festivalsOff = "[Lunar]\r\nExtended=1\r\nFestivals=0\r\n";
  const char *caseless = "[LUNAR]\r\nextended=1\r\nFESTIVALS = 1\r\n";
  struct Row {
    const char *settings;
    int year, month, day;
    const char *text;
    bool special;
  };
  const Row rows[] = {
      {both, 2026, 2, 1, "十四", false},  // a Sunday: red
      {both, 2026, 2, 2, "十五", false},
      {both, 2026, 2, 4, "立春", true},
      {both, 2026, 2, 16, "除夕", true},
      {both, 2026, 2, 17, "春节", true},
      {both, 2026, 2, 18, "雨水", true},
      {both, 2026, 2, 19, "初三", false},
      {both, 2026, 3, 3, "元宵", true},
      {both, 2026, 4, 5, "清明", true},
      {both, 2025, 10, 6, "中秋", true},
      {both, 2026, 12, 22, "冬至", true},
      {both, 2027, 1, 15, "腊八", true},
      {both, 2022, 1, 31, "除夕", true},
      {both, 2022, 2, 1, "春节", true},
      {both, 2009, 5, 28, "端午", true},
      {both, 2009, 6, 27, "初五", false},
      {both, 2014, 10, 2, "重阳", true},
      {both, 2014, 11, 1, "初九", false},
      {both, 1912, 2, 18, "春节", true},
      {both, 2000, 2, 4, "除夕", true},  // and 立春
      {both, 2000, 2, 19, "元宵", true},  // and 雨水
      {caseless, 2026, 2, 17, "春节", true},
      // A Gregorian festival, with the switches absent.
      {"", 2026, 10, 1, "国庆节", true},
      {"", 2026, 5, 10, "母亲节", true},  // a Sunday
      // The switches not both on: the ordinary labels.
      {extended, 2026, 2, 17, "正月", false},
      {extended, 2026, 2, 4, "十七", false},
      {festivalsOff, 2026, 2, 16, "廿九", false},
      {festivalsOnly, 2010, 2, 14, "正月", false},
      {festivalsOnly, 2010, 2, 13, "三十", false},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << "\"" << r.settings << "\" " << r.year << "-" << r.month
                                    << "-" << r.day);
    std::filesystem::remove("Calixo.ini");
    create(r.settings);
    showMonth(r.year, r.month);
    const int k = FirstCell + r.day - 1;
    const int col = k % 7, row = k / 7 + 1;
    const Ink label = paintCell(col, row, true);
    EXPECT_EQ(label.text, QString::fromUtf8(r.text));
    const QColor ordinary = (col == 0 || col == 6) ? QColor(Qt::red) : QColor(Qt::black);
    const QColor want = r.special ? TMainForm::FestivalLabelColour() : ordinary;
    EXPECT_EQ(label.colour.name(), want.name());
    // Legible and exactly in its colour, like every other label.
    ASSERT_FALSE(label.box.isEmpty());
    EXPECT_GE(label.box.height(), 9);
    EXPECT_EQ(label.offColour, 0);
    form.reset();
  }
  // Clearly apart from the black and red of the ordinary labels.
  const QColor c = TMainForm::FestivalLabelColour();
  EXPECT_GE(std::abs(c.red() - 0) + std::abs(c.green() - 0) + std::abs(c.blue() - 0), 150);
  EXPECT_GE(std::abs(c.red() - 255) + std::abs(c.green() - 0) + std::abs(c.blue() - 0), 150);
}

}  // namespace
