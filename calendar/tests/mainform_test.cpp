// The main window offscreen: its creation in a fresh folder, the grid as its
// draw-cell handler draws it, markers, clicks on the grid, the month picture
// and its fallbacks, the close button, and errors that reach the general
// report.
#include "mainform.h"

#include "calixoini.h"
#include "cellcanvas.h"
#include "clock.h"
#include "drawgrid.h"
#include "filenames.h"
#include "scratchtable.h"
#include "lunar.h"
#include "picturebutton.h"
#include "programfolder.h"
#include "toolwindow.h"
#include "ui.h"
#include "zuimage.h"

#include <QFontMetrics>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string readFile(const std::string &name) {
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Drawn {
  int x, y;
  QString text;  // empty for a picture
  QColor colour;
  int points;
};

class RecordingCanvas : public TCellCanvas {
public:
  std::vector<Drawn> items;
  void TextOut(int x, int y, const QString &text, const QRect &) override {
    items.push_back({x, y, text, FontColor, Font.pointSize()});
  }
  void Draw(int x, int y, const QImage &) override { items.push_back({x, y, {}, {}, 0}); }
};

class MainFormTest : public ProgramFolderTest {
protected:
  MainFormTest() : ProgramFolderTest({2024, 5, 15, 10, 0, 0, 0}) {}
  std::unique_ptr<TMainForm> form;
  std::vector<std::tuple<int, int, int>> shown;

  void SetUp() override {
    ProgramFolderTest::SetUp();
  }
  void TearDown() override {
    form.reset();
    ProgramFolderTest::TearDown();
  }
  // settings, when given, follow the template in a Calixo.ini written first.
  void create(const std::string &settings = "") {
    if (!settings.empty())
      std::ofstream("Calixo.ini", std::ios::binary) << TCalixoini::DefaultTemplate() << settings;
    form = std::make_unique<TMainForm>();
    form->setTimeListWindow([this](int y, int m, int d) { shown.emplace_back(y, m, d); }, nullptr);
    // As at start-up: what the creation handler lets through is reported.
    calixo::guarded([this] { form->FormCreate(); });
  }
  void showMonth(int year, int month, int day = 1) {
    SelYear = year;
    SelMonth = month;
    SelDay = day;
    form->RefreshMonth();
  }
  // What the grid's handler draws in one cell, starting from the grid's font.
  std::vector<Drawn> drawCell(int col, int row) {
    RecordingCanvas canvas;
    canvas.Font = form->DrawGridDate->font();
    form->OnDrawGirdDateDrawCell(canvas, col, row, form->DrawGridDate->CellRect(col, row));
    return canvas.items;
  }
  // The day number drawn in cell (col, row), 0 for a blank cell.
  int dayDrawn(int col, int row) {
    const auto items = drawCell(col, row);
    return items.empty() ? 0 : items[0].text.toInt();
  }
  bool markerDrawn(int col, int row) {
    for (const Drawn &d : drawCell(col, row))
      if (d.text.isEmpty())
        return true;
    return false;
  }
  std::vector<Drawn> lunarLabels(int col, int row) {
    std::vector<Drawn> out;
    // The 休 and 班 marks of holidays are no labels; holidaymark_test looks at them.
    for (const Drawn &d : drawCell(col, row))
      if (!d.text.isEmpty() && d.points != form->DrawGridDate->font().pointSize() && d.text != QStringLiteral("休") &&
          d.text != QStringLiteral("班"))
        out.push_back(d);
    return out;
  }
  STIMELISTDATAPtr entry(int h, int m, int set, const std::string &text = "x") {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = m;
    r->SetFlag = set;
    r->Text = text;
    return r;
  }
  QPoint cellCentre(int col, int row) { return form->DrawGridDate->CellRect(col, row).center(); }
};

TEST_F(MainFormTest, CreationInAnEmptyFolderWritesSettingsAndTableAndShowsToday) {
  create();
  EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
  EXPECT_EQ(readFile("Calixo.ini"), TCalixoini::DefaultTemplate());
  EXPECT_EQ(readFile("TimeList.dbf").size(), 226u);
  EXPECT_TRUE(form->DbfDataSetTIMELIST->Active());
  EXPECT_EQ(SelYear * 10000 + SelMonth * 100 + SelDay, 20240515);
  EXPECT_EQ(form->LabelYear->text(), "2024");
  EXPECT_EQ(form->LabelMonthN->text(), "5");
  EXPECT_EQ(form->LabelMonthE->text(), "May");
  EXPECT_FALSE(TableBusy);
  EXPECT_TRUE(form->ZuImage1->IsDefaultBmp);
  EXPECT_FALSE(form->ZuImage1->Bitmap.isNull());
  EXPECT_EQ(form->windowTitle(), "Veloria");
  EXPECT_EQ(form->size(), QSize(586, 353));
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainFormTest, MonthsAreDrawnCellByCell) {
  create();
  struct Row {
    int year, month;
    int firstCol, lastCol, lastRow, lastDay;
  };
  // Starting on Sunday; starting on Saturday with 31 days (all six rows);
  // the Februaries of 1900, 2000, 2024 and 2100.
  for (Row r : {Row{2023, 1, 0, 2, 5, 31}, Row{2023, 7, 6, 1, 6, 31}, Row{1900, 2, 4, 3, 5, 28},
                Row{2000, 2, 2, 2, 5, 29}, Row{2024, 2, 4, 4, 5, 29}, Row{2100, 2, 1, 0, 5, 28}}) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month);
    showMonth(r.year, r.month);
    EXPECT_EQ(dayDrawn(r.firstCol, 1), 1);
    EXPECT_EQ(dayDrawn(r.lastCol, r.lastRow), r.lastDay);
    int days = 0, last = 0;
    for (int row = 1; row <= 6; ++row)
      for (int col = 0; col < 7; ++col)
        if (const int d = dayDrawn(col, row)) {
          EXPECT_EQ(d, last + 1);
          last = d;
          ++days;
        }
    EXPECT_EQ(days, r.lastDay);
    if (r.firstCol > 0) {
      EXPECT_TRUE(drawCell(r.firstCol - 1, 1).empty());
    }
  }
}

TEST_F(MainFormTest, MonthNumbersFitTheirLabelAndTheSelectedDayIsCurrent) {
  create();  // 15 May 2024: a Wednesday, cell 17
  EXPECT_EQ(form->DrawGridDate->Col() * 10 + form->DrawGridDate->Row(), 33);
  for (int month : {1, 9, 10, 11, 12}) {
    SCOPED_TRACE(month);
    showMonth(2026, month, 8);
    const QLabel *label = form->LabelMonthN;
    EXPECT_EQ(label->text(), QString::number(month));
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
    const int k = FirstCell + 7;
    EXPECT_EQ(form->DrawGridDate->Col(), k % 7);
    EXPECT_EQ(form->DrawGridDate->Row(), k / 7 + 1);
  }
  // One digit keeps the full face.
  showMonth(2026, 3);
  EXPECT_EQ(form->LabelMonthN->font().stretch(), 100);
}

TEST_F(MainFormTest, HeaderAndWeekendsAreRed) {
  create();
  showMonth(2023, 7);
  const char *names[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
  for (int col = 0; col < 7; ++col) {
    const QColor want = (col == 0 || col == 6) ? QColor(Qt::red) : QColor(Qt::black);
    const auto header = drawCell(col, 0);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0].text, QString::fromUtf8(names[col]));
    EXPECT_EQ(header[0].colour, want) << col;
    const QRect rect = form->DrawGridDate->CellRect(col, 0);
    EXPECT_EQ(QPoint(header[0].x, header[0].y), rect.topLeft() + QPoint(0, 2));
    const auto day = drawCell(col, 2);
    ASSERT_FALSE(day.empty());
    EXPECT_EQ(day[0].colour, want) << col;
    EXPECT_EQ(QPoint(day[0].x, day[0].y), form->DrawGridDate->CellRect(col, 2).topLeft() + QPoint(2, 0));
  }
}

TEST_F(MainFormTest, LunarLabelsOnlyFrom1921To2010InTheSmallFont) {
  create("[Lunar]\r\nExtended=0\r\n");
  struct Row {
    int year;
    bool drawn;
  };
  for (Row r : {Row{1920, false}, Row{1921, true}, Row{2010, true}, Row{2011, false}}) {
    SCOPED_TRACE(r.year);
    showMonth(r.year, 3);
    int labels = 0;
    for (int row = 1; row <= 6; ++row)
      for (int col = 0; col < 7; ++col) {
        const int d = dayDrawn(col, row);
        const auto found = lunarLabels(col, row);
        if (!d || !r.drawn) {
          EXPECT_TRUE(found.empty());
          continue;
        }
        ASSERT_EQ(found.size(), 1u);
        const auto ld = lunar::SolarToLunar(r.year - 1911, 3, d);
        ASSERT_TRUE(ld);
        EXPECT_EQ(found[0].text.toStdString(), lunar::LunarLabel(*ld));
        EXPECT_EQ(found[0].points, 3);
        const QRect rect = form->DrawGridDate->CellRect(col, row);
        EXPECT_EQ(found[0].x, rect.left() + rect.width() / 2 - 6);
        EXPECT_EQ(found[0].y, rect.top() + rect.height() / 2);
        ++labels;
      }
    EXPECT_EQ(labels, r.drawn ? 31 : 0);
  }
}

TEST_F(MainFormTest, AnyRecordOfADayMarksItsCell) {
  create();
  // 1 May 2024 is a Wednesday: day d is in cell 2 + d.
  auto cancelled = entry(7, 0, 1);
  form->SaveEntry(2024, 5, 5, cancelled, 0);
  cancelled->SetFlag = 0;
  form->SaveEntry(2024, 5, 5, cancelled, 0);
  form->SaveEntry(2024, 5, 9, entry(8, 0, 0, "typed"), 2);
  form->SaveEntry(2024, 6, 9, entry(8, 0, 1), 2);
  // The cancel marked its cell at once; text alone marks nothing yet.
  EXPECT_EQ(HasEntries[2 + 5], 1);
  EXPECT_EQ(HasEntries[2 + 9], 0);
  EXPECT_TRUE(markerDrawn(0, 2));   // 5 May, a Sunday
  EXPECT_FALSE(markerDrawn(4, 2));  // 9 May
  form->RefreshMonth();
  int marked = 0;
  for (int k = 0; k < kDayCellCount; ++k)
    if (DayCells[k] && HasEntries[k])
      ++marked;
  EXPECT_EQ(marked, 2);
  EXPECT_TRUE(markerDrawn(0, 2));
  EXPECT_TRUE(markerDrawn(4, 2));
  // In the bottom-left corner, left of the lunar label.
  const QRect rect = form->DrawGridDate->CellRect(0, 2);
  const auto items = drawCell(0, 2);
  EXPECT_EQ(QPoint(items.back().x, items.back().y),
            QPoint(rect.left() + 2, rect.top() + rect.height() - 10));
  ASSERT_EQ(lunarLabels(0, 2).size(), 1u);
  EXPECT_LT(rect.left() + 2 + 9, lunarLabels(0, 2)[0].x);
}

// With [Calendar] SmallMarker=0 the marker is the full bitmap at the
// classic place.
TEST_F(MainFormTest, TheClassicMarkerPlace) {
  create("[Calendar]\r\nSmallMarker=0\r\n");
  form->SaveEntry(2024, 5, 5, entry(7, 0, 1), 0);
  const QRect rect = form->DrawGridDate->CellRect(0, 2);
  const auto items = drawCell(0, 2);
  EXPECT_EQ(QPoint(items.back().x, items.back().y),
            QPoint(rect.left() + rect.width() / 2, rect.top() + rect.height() - 18));
}

TEST_F(MainFormTest, MarkChangesOfTodayRearmTheAlarmClock) {
  create();
  std::vector<std::tuple<int, int, int>> armed;
  form->setAlarmClock([&armed](int y, int m, int d) { armed.emplace_back(y, m, d); });
  auto r = entry(11, 0, 0, "text");
  form->SaveEntry(2024, 5, 15, r, 2);  // text only: no re-arm
  r->SetFlag = 1;
  form->SaveEntry(2024, 5, 15, r, 0);
  r->SetFlag = 0;
  form->SaveEntry(2024, 5, 15, r, 0);
  SelDay = 16;  // another selected day is not today
  auto other = entry(11, 0, 1);
  form->SaveEntry(2024, 5, 16, other, 0);
  EXPECT_EQ(armed, (std::vector<std::tuple<int, int, int>>(2, {2024, 5, 15})));
}

TEST_F(MainFormTest, TheGridPaintsTheMarkerOnlyInMarkedCells) {
  create();
  form->show();
  form->SaveEntry(2024, 5, 5, entry(7, 0, 1), 0);  // 5 May: column 0, row 2
  const QImage shot = form->DrawGridDate->grab().toImage();
  const QColor background = form->DrawGridDate->palette().color(QPalette::Base);
  auto inkIn = [&](int col, int row) {
    const QRect cell = form->DrawGridDate->CellRect(col, row);
    const QRect marker(cell.left() + 2, cell.bottom() + 1 - 10, 9, 9);
    int ink = 0;
    for (int y = marker.top(); y <= marker.bottom(); ++y)
      for (int x = marker.left(); x <= marker.right(); ++x)
        if (QColor(shot.pixel(x, y)) != background)
          ++ink;
    return ink;
  };
  EXPECT_GT(inkIn(0, 2), 20);
  EXPECT_EQ(inkIn(1, 2), 0);
  EXPECT_EQ(inkIn(0, 3), 0);
}

TEST_F(MainFormTest, SaveWhileBusyMarksAndStoresNothing) {
  create();
  TableBusy = true;
  auto r = entry(7, 0, 1);
  form->SaveEntry(2024, 5, 5, r, 0);
  TableBusy = false;
  EXPECT_EQ(r->RecNo, -1);
  EXPECT_EQ(HasEntries[2 + 5], 0);
  EXPECT_EQ(form->DbfDataSetTIMELIST->RecordCount(), 0);
}

TEST_F(MainFormTest, ClicksSelectDaysOnlyOnDayCells) {
  create();
  form->show();
  showMonth(2023, 7, 10);  // 1 July is a Saturday, 31 July in row 6
  shown.clear();
  const auto cells = DayCells;
  struct Miss {
    const char *what;
    QPoint at;
  };
  for (Miss m : {Miss{"header", cellCentre(3, 0)}, Miss{"blank before day 1", cellCentre(2, 1)},
                 Miss{"blank after day 31", cellCentre(5, 6)}, Miss{"strip beside", QPoint(272, 60)},
                 Miss{"strip below", QPoint(100, 176)}}) {
    SCOPED_TRACE(m.what);
    QTest::mouseClick(form->DrawGridDate, Qt::LeftButton, {}, m.at);
    EXPECT_EQ(SelDay, 10);
    EXPECT_TRUE(shown.empty());
  }
  QTest::mouseClick(form->DrawGridDate, Qt::LeftButton, {}, cellCentre(1, 6));
  EXPECT_EQ(SelDay, 31);
  QTest::mouseClick(form->DrawGridDate, Qt::RightButton, {}, cellCentre(6, 1));
  EXPECT_EQ(SelDay, 1);
  EXPECT_EQ(shown, (std::vector<std::tuple<int, int, int>>{{2023, 7, 31}, {2023, 7, 1}}));
  EXPECT_EQ(DayCells, cells);
  EXPECT_EQ(SelYear * 100 + SelMonth, 202307);
}

TEST_F(MainFormTest, AnErrorInAHandlerIsReportedAndTheProgramGoesOn) {
  create();
  form->show();
  form->setTimeListWindow([](int, int, int) { throw std::runtime_error("cannot show the day"); },
                          nullptr);
  QTest::mouseClick(form->DrawGridDate, Qt::LeftButton, {}, cellCentre(3, 3));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "cannot show the day");
  EXPECT_EQ(SelDay, DayCells[cellOf(3, 3)]);
}

// Header bytes of a time table with the given header length, record length
// and version, the rest zero.
std::string header(unsigned char version, int hdrLen, int recLen) {
  std::string h(32, '\0');
  h[0] = static_cast<char>(version);
  h[8] = static_cast<char>(hdrLen & 0xFF);
  h[9] = static_cast<char>(hdrLen >> 8);
  h[10] = static_cast<char>(recLen & 0xFF);
  h[11] = static_cast<char>(recLen >> 8);
  return h;
}

std::string otherTable() {
  std::string t = header(3, 65, 11);
  std::string d(32, '\0');
  d.replace(0, 4, "NAME");
  d[11] = 'C';
  d[16] = 10;
  return t + d + "\x0D\x1A";
}

TEST_F(MainFormTest, ADamagedTableIsReportedAndLeftAsItIs) {
  struct Case {
    const char *what;
    std::string bytes;
  };
  const Case cases[] = {
      {"bad version byte", std::string("\x04garbage header", 15) + std::string(300, 'x')},
      {"cut inside the header", header(3, 225, 285).substr(0, 20)},
      {"cut inside the field list", header(3, 225, 285) + std::string(40, '\0')},
      {"another table's fields", otherTable()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    {
      std::ofstream out("TimeList.dbf", std::ios::binary | std::ios::trunc);
      out << c.bytes;
    }
    create();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].indexOf("TimeList.dbf", 0, Qt::CaseInsensitive), -1)
        << messages[0].toStdString();
    EXPECT_FALSE(form->DbfDataSetTIMELIST->Active());
    for (int k = 0; k < kDayCellCount; ++k)
      EXPECT_EQ(HasEntries[k], 0);
    auto r = entry(7, 0, 1);
    form->SaveEntry(2024, 5, 5, r, 0);
    TTimeList list;
    form->LoadDayEntries(2024, 5, 5, list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(r->RecNo, -1);
    EXPECT_FALSE(TableBusy);
    EXPECT_EQ(readFile("TimeList.dbf"), c.bytes);
    EXPECT_EQ(form->LabelMonthE->text(), "May");  // the rest of the creation ran
    form.reset();
  }
}

TEST_F(MainFormTest, ADamagedTableIsNotPurgedOnTheFirst) {
  const std::string bytes = header(3, 225, 285) + std::string(40, '\0');
  {
    std::ofstream out("TimeList.dbf", std::ios::binary);
    out << bytes;
  }
  clock.set({2024, 3, 1, 8, 0, 0, 0});
  create();
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(readFile("TimeList.dbf"), bytes);
  EXPECT_FALSE(calixo::fileExists(calixo::scratchTableName() + ".dbf"));
}

TEST_F(MainFormTest, StartOnTheFirstPurgesThenArmsWithTheNewRecordNumbers) {
  {
    dbf::TDbfDataSet table;
    bool busy = false;
    TTimeTable tt(table, busy);
    tt.CreateTimeTableIfMissing();
    tt.OpenTable();
    for (auto [y, m, d, text] : {std::tuple{2024, 2, 5, "feb"}, {2024, 3, 1, "today"},
                                 {2024, 2, 29, "leap"}, {2024, 3, 1, "today2"}})
      tt.SaveEntry(y, m, d, entry(9, 0, 1, text), 2);
    table.Close();
  }
  clock.set({2024, 3, 1, 8, 0, 0, 0});
  form = std::make_unique<TMainForm>();
  std::vector<int> armedRecNos;
  form->setAlarmClock([this, &armedRecNos](int y, int m, int d) {
    TTimeList today;
    form->LoadDayEntries(y, m, d, today);
    for (const auto &e : today)
      armedRecNos.push_back(e->RecNo);
  });
  form->FormCreate();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(form->DbfDataSetTIMELIST->RecordCount(), 2);
  EXPECT_EQ(armedRecNos, (std::vector<int>{1, 2}));
  EXPECT_EQ(HasEntries[FirstCell], 1) << "1 March keeps its marks";
  EXPECT_FALSE(calixo::fileExists(calixo::scratchTableName() + ".dbf"));
}

TEST_F(MainFormTest, NoPurgeOnOtherDays) {
  {
    dbf::TDbfDataSet table;
    bool busy = false;
    TTimeTable tt(table, busy);
    tt.CreateTimeTableIfMissing();
    tt.OpenTable();
    tt.SaveEntry(2024, 2, 5, entry(9, 0, 1), 2);
    table.Close();
  }
  clock.set({2024, 3, 2, 8, 0, 0, 0});
  const std::string before = readFile("TimeList.dbf");
  create();
  EXPECT_EQ(readFile("TimeList.dbf"), before);
}

TEST_F(MainFormTest, MonthPictureFallsBackToTheDefaultPicture) {
  create();
  const QImage defaultPicture = form->ZuImage1->Bitmap;
  QImage own(192, 292, QImage::Format_RGB32);
  own.fill(Qt::green);
  ASSERT_TRUE(own.save("own.bmp", "BMP"));
  {
    std::ofstream ini("Calixo.ini", std::ios::binary | std::ios::trunc);
    ini << "[Monthbmp]\r\nM6=own.bmp\r\nM7=missing.bmp\r\n";
  }
  SelMonth = 6;
  form->LoadMonthPicture();
  EXPECT_FALSE(form->ZuImage1->IsDefaultBmp);
  EXPECT_EQ(form->ZuImage1->Bitmap.pixelColor(10, 10), QColor(Qt::green));
  SelMonth = 7;  // a file that cannot be loaded: the default picture
  form->LoadMonthPicture();
  EXPECT_TRUE(form->ZuImage1->IsDefaultBmp);
  EXPECT_EQ(form->ZuImage1->Bitmap, defaultPicture);
  SelMonth = 6;
  form->LoadMonthPicture();
  SelMonth = 8;  // no setting: the default picture
  form->LoadMonthPicture();
  EXPECT_TRUE(form->ZuImage1->IsDefaultBmp);
  EXPECT_EQ(form->ZuImage1->Bitmap, defaultPicture);
  EXPECT_TRUE(messages.empty());

  // Without calixo.bmp the error is reported and the previous picture stays.
  SelMonth = 6;
  form->LoadMonthPicture();
  std::filesystem::remove("calixo.bmp");
  SelMonth = 8;
  EXPECT_THROW(form->LoadMonthPicture(), std::exception);
  EXPECT_EQ(form->ZuImage1->Bitmap.pixelColor(10, 10), QColor(Qt::green));
  EXPECT_FALSE(form->ZuImage1->IsDefaultBmp);
}

TEST_F(MainFormTest, MissingDefaultPictureAtStartIsReported) {
  std::filesystem::remove("calixo.bmp");
  create();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].indexOf("calixo.bmp"), -1);
  EXPECT_EQ(form->LabelYear->text(), "2024");
}

TEST_F(MainFormTest, TheCloseButtonClosesOnALeftClickReleasedInside) {
  create();
  calixo::TToolWindow tool;
  form->addToolWindow(&tool);
  form->show();
  QSignalSpy closed(form.get(), &TMainForm::closed);
  TPictureButton *b = form->ImageClose;
  ASSERT_EQ(b->pos(), QPoint(529, 237));
  EXPECT_EQ(b->size(), QSize(28, 28));
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(b->pos(), QPoint(528, 236));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(b->pos(), QPoint(529, 237));
  ASSERT_EQ(closed.count(), 1);
  EXPECT_TRUE(tool.CanClose);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormTest, TheCloseButtonIgnoresOtherButtonsAndReleasesOutside) {
  create();
  form->show();
  QSignalSpy closed(form.get(), &TMainForm::closed);
  TPictureButton *b = form->ImageClose;
  QTest::mouseClick(b, Qt::RightButton, {}, QPoint(5, 5));
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_EQ(closed.count(), 0);
  EXPECT_EQ(b->pos(), QPoint(529, 237));
  EXPECT_TRUE(form->isVisible());
}

}  // namespace

namespace {

// A month before today's shows the markers and plans of the archive, the
// plans as read-only history; with [Timelist] KeepHistory=0 the purged month
// is gone, as the purge always did.
TEST_F(MainFormTest, PastMonthsShowTheArchiveUnlessTheSwitchIsOff) {
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    std::filesystem::remove(calixo::resolveFileName("TimeList.dbf"));
    std::filesystem::remove(calixo::resolveFileName(kHistoryFile));
    std::ofstream(calixo::resolveFileName("Calixo.ini"), std::ios::binary | std::ios::trunc)
        << TCalixoini::DefaultTemplate() << (keep ? "" : "[Timelist]\r\nKeepHistory=0\r\n");
    create();
    form->SaveEntry(2024, 4, 10, entry(7, 30, 0, "april"), 2);
    form->SaveEntry(2024, 5, 3, entry(8, 0, 0, "may"), 2);
    ASSERT_TRUE(form->timeTable().PurgeMonthBefore(2024, 5));
    EXPECT_EQ(calixo::fileExists(kHistoryFile), keep);
    showMonth(2024, 4, 10);
    const int cell = FirstCell + 10 - 1;
    EXPECT_EQ(markerDrawn(cell % 7, cell / 7 + 1), keep);
    TTimeList entries;
    form->LoadDayEntries(2024, 4, 10, entries);
    ASSERT_EQ(entries.size(), keep ? 1u : 0u);
    if (keep) {
      EXPECT_EQ(entries[0]->Text, "april");
      EXPECT_EQ(entries[0]->History, 1);
    }
    // The month of today never reads the archive.
    showMonth(2024, 5, 3);
    form->LoadDayEntries(2024, 5, 3, entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->History, 0);
    form.reset();
  }
}

}  // namespace
