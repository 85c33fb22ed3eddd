// The 休 and 班 marks of the month grid: on which days they are drawn, in what
// colour, how tall, and that they cover no other text of their cell; and the
// user's holidays.txt as the window reads it from the data folder.
#include "mainform.h"

#include "calixoini.h"
#include "cellcanvas.h"
#include "drawgrid.h"
#include "programfolder.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>

namespace {

bool isMark(const QString &text) { return text == QStringLiteral("休") || text == QStringLiteral("班"); }

// Passes either the marks or every other text to a painter canvas.
class MarkFilterCanvas : public TCellCanvas {
public:
  MarkFilterCanvas(TPainterCanvas &out, bool marks) : m_out(out), m_marks(marks) {}
  QString mark;
  QColor markColour;
  void TextOut(int x, int y, const QString &text, const QRect &clip) override {
    if (isMark(text) != m_marks)
      return;
    if (m_marks) {
      mark = text;
      markColour = FontColor;
    }
    m_out.Font = Font;
    m_out.FontColor = FontColor;
    m_out.TextOut(x, y, text, clip);
  }
  void Draw(int, int, const QImage &) override {}

private:
  TPainterCanvas &m_out;
  bool m_marks;
};

QRect inkBox(const QImage &image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) | 0xFF000000u) != 0xFFFFFFFFu)
        box |= QRect(x, y, 1, 1);
  return box;
}

class HolidayMarkTest : public ProgramFolderTest {
protected:
  HolidayMarkTest() : ProgramFolderTest({2026, 10, 8, 9, 0, 0, 0}) {}
  std::unique_ptr<TMainForm> form;

  void TearDown() override {
    form.reset();
    ProgramFolderTest::TearDown();
  }
  void create(const std::string &settings) {
    form.reset();
    std::ofstream("Calixo.ini", std::ios::binary) << TCalixoini::DefaultTemplate() << settings;
    form = std::make_unique<TMainForm>();
    form->FormCreate();
  }
  struct Cell {
    QString mark;
    QColor colour;
    QRect cell, markBox, textBox;
    int shared = 0;  // pixels inked both by the mark and by another text
  };
  // Day d of year-month, its mark and its other texts painted apart on white.
  Cell paintDay(int year, int month, int d) {
    SelYear = year;
    SelMonth = month;
    SelDay = 1;
    form->RefreshMonth();
    const int k = FirstCell + d - 1;
    Cell out;
    out.cell = form->DrawGridDate->CellRect(k % 7, k / 7 + 1);
    QImage images[2];
    for (bool marks : {true, false}) {
      QImage &image = images[marks];
      image = QImage(form->DrawGridDate->size(), QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter p(&image);
        TPainterCanvas painterCanvas(p);
        MarkFilterCanvas canvas(painterCanvas, marks);
        canvas.Font = form->DrawGridDate->font();
        form->OnDrawGirdDateDrawCell(canvas, k % 7, k / 7 + 1, out.cell);
        if (marks) {
          out.mark = canvas.mark;
          out.colour = canvas.markColour;
        }
      }
      (marks ? out.markBox : out.textBox) = inkBox(image);
    }
    for (int y = 0; y < images[0].height(); ++y)
      for (int x = 0; x < images[0].width(); ++x)
        out.shared += (images[0].pixel(x, y) | 0xFF000000u) != 0xFFFFFFFFu &&
                      (images[1].pixel(x, y) | 0xFF000000u) != 0xFFFFFFFFu;
    return out;
  }
};

TEST_F(HolidayMarkTest, MarksAreTallRedOrGreyAndCoverNoText) {
  const std::string festivals = "[Lunar]\r\nExtended=1\r\nFestivals=1\r\n";
  struct Row {
    std::string settings;
    int year, month, day;
    const char *mark;  // "" for none
  };
  const Row rows[] = {
      {festivals, 2026, 10, 1, "休"},   // 国庆节, a Thursday
      {festivals, 2026, 10, 4, "休"},   // a Sunday inside the break
      {festivals, 2026, 10, 10, "班"},  // a two-digit Saturday worked
      {festivals, 2026, 10, 8, ""},
      {festivals, 2026, 2, 14, "班"},
      {festivals, 2026, 2, 17, "休"},  // 春节, labelled 春节 in blue
      {"", 2009, 10, 8, "休"},         // classic table: a lunar label too
      {"", 2026, 10, 1, "休"},         // no lunar label in 2026
      {festivals + "[Holidays]\r\nShow=0\r\n", 2026, 10, 1, ""},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << r.settings << " " << r.year << "-" << r.month << "-" << r.day);
    create(r.settings);
    const Cell c = paintDay(r.year, r.month, r.day);
    EXPECT_EQ(c.mark, QString::fromUtf8(r.mark));
    if (c.mark.isEmpty()) {
      EXPECT_TRUE(c.markBox.isEmpty());
      continue;
    }
    EXPECT_EQ(c.colour, c.mark == QStringLiteral("休") ? TMainForm::HolidayOffColour()
                                                        : TMainForm::HolidayWorkColour());
    EXPECT_GE(c.markBox.height(), 9);
    EXPECT_TRUE(c.cell.contains(c.markBox));
    // The day number and the lunar label share no pixel with the mark.
    ASSERT_FALSE(c.textBox.isEmpty());
    EXPECT_EQ(c.shared, 0);
  }
}

TEST_F(HolidayMarkTest, TheUsersFileReplacesItsYearsAndNamesItsBadLines) {
  std::ofstream("holidays.txt", std::ios::binary)
      << "# 2026 rewritten\n2026-10-08,休,国庆节\n2026-10-32,休,国庆节\n";
  create("");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("holidays.txt 第3行：日期无效，已跳过"));
  EXPECT_EQ(paintDay(2026, 10, 8).mark, QStringLiteral("休"));
  EXPECT_EQ(paintDay(2026, 10, 1).mark, QString());
  EXPECT_EQ(paintDay(2025, 10, 1).mark, QStringLiteral("休"));
}

}  // namespace
