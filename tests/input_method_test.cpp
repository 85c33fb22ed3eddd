// Chinese typed the way its users type it: through fcitx5's pinyin, with
// xdotool pressing the keys. Pinyin letters go to the input method, which
// shows them as a pre-edit with a candidate window, and space commits the
// first candidate. The real program gets the commit in a plan row of the time
// list, a sticky note, a countdown reminder and the year/month dialog. What
// the tables hold is compared with what the windows show; a pre-edit never
// reaches a table, not even when the focus leaves in the middle of one, and
// nothing Chinese is refused, while a character GBK cannot hold is. Pictures
// of a pre-edit in progress and of a reminder are saved in the build folder.
#include "e2e_support.h"
#include "input_method_support.h"

#include "dbf.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace e2e;
namespace fs = std::filesystem;

// The main window's buttons and year label (its own coordinates).
constexpr QPoint kRed(541, 57), kBlue(540, 100), kGreen(540, 143), kClose(543, 251);
constexpr QPoint kYearLabel(240, 56);
// A place on the main window's skin beside its caption, clear of the notes.
constexpr QPoint kMainCaption(330, 22);
// The time list's 7:00 plan cell: the grid at (10, 40) under an 18-pixel
// header starts at 6:30, so 7:00 is its second row; the plan column starts
// 81 pixels in.
constexpr QPoint kPlanAt7(10 + 81 + 30, 40 + 18 + 18 + 9), kPlanAt630(kPlanAt7 - QPoint(0, 18));
constexpr QPoint kMemoAdd(51, 235), kNoteText(100, 90);
constexpr QPoint kEditB1(94, 88), kCheckBoxB1(42, 64);
// Inside the edit's frame (the edit stands at (64, 80), 249 wide).
constexpr QRect kEditB1Text(67, 82, 243, 17);
constexpr QPoint kEditYear(140, 42), kEditMonth(140, 74);

// fcitx5's own windows (the candidate window) have this class.
const std::string kInputMethodClass = "fcitx";

void clickIn(const TopWindow &w, QPoint at) { clickAt(w.x + at.x(), w.y + at.y()); }

// UTF-8 -> GBK straight through iconv, independent of the program's helpers.
std::string gbk(const std::string &utf8) {
  iconv_t cd = ::iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2 + 4, '\0');
  char *in = const_cast<char *>(utf8.data());
  char *to = out.data();
  size_t inLeft = utf8.size(), outLeft = out.size();
  const size_t r = ::iconv(cd, &in, &inLeft, &to, &outLeft);
  ::iconv_close(cd);
  if (r == static_cast<size_t>(-1))
    return "<not GBK>";
  out.resize(out.size() - outLeft);
  return out;
}

// Only Chinese characters (the unified ideographs), at least one.
bool isChinese(const std::string &utf8) {
  const QString text = QString::fromUtf8(utf8);
  if (text.isEmpty())
    return false;
  for (const QChar c : text)
    if (!((c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) || (c.unicode() >= 0x3400 && c.unicode() <= 0x4DBF)))
      return false;
  return true;
}

// The dark pixels (text) of a picture as black on white, cut to their
// bounding box; null when there are none.
QImage ink(const QImage &picture) {
  const QImage img = picture.convertToFormat(QImage::Format_Grayscale8);
  int left = img.width(), top = img.height(), right = -1, bottom = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.constScanLine(y)[x] < 96) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0)
    return {};
  QImage out(right - left + 1, bottom - top + 1, QImage::Format_Grayscale8);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      out.scanLine(y - top)[x - left] = img.constScanLine(y)[x] < 96 ? 0 : 255;
  return out;
}

class InputMethodEndToEnd : public EndToEnd {
protected:
  void SetUp() override {
    EndToEnd::SetUp();
    copyRuntimeData(dir());
    ASSERT_TRUE(m_x.ok()) << "no X display";
    const fs::path home = dir() / "input-method-home";
    fs::create_directory(home);
    m_im = std::make_unique<im::InputMethodSession>(home);
    ASSERT_EQ(m_im->problem(), "");
    ASSERT_TRUE(m_im->waitUntilReady(30s)) << m_im->problem();
    m_program = std::make_unique<Program>(dir(), "", errorsFile());
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (programWindows().empty() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(100ms);
    ASSERT_EQ(programWindows().size(), 1u);
    m_main = programWindows()[0];
    ASSERT_EQ(m_main.width, 586);
    std::this_thread::sleep_for(700ms);  // the first paint
  }

  void TearDown() override {
    m_program.reset();
    if (m_im && HasFailure())
      std::fprintf(stderr, "fcitx5's log:\n%s\n", m_im->log().c_str());
    m_im.reset();
    EndToEnd::TearDown();
  }

  std::string errorsFile() const { return (dir() / "stderr.txt").string(); }

  // The program's viewable top-level windows (the input method's aside).
  std::vector<TopWindow> programWindows() {
    std::vector<TopWindow> out;
    for (const TopWindow &w : m_x.viewableTopWindows())
      if (m_x.windowClass(w.id) != kInputMethodClass)
        out.push_back(w);
    return out;
  }

  TopWindow newProgramWindow(const std::vector<xcb_window_t> &known, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      for (const TopWindow &w : programWindows())
        if (std::find(known.begin(), known.end(), w.id) == known.end())
          return w;
      std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return {};
  }

  // The input method's candidate window while it is shown (id 0 when not).
  TopWindow candidateWindow() {
    for (const TopWindow &w : m_x.viewableTopWindows())
      if (m_x.windowClass(w.id) == kInputMethodClass)
        return w;
    return {};
  }

  bool waitForCandidates(bool shown, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while ((candidateWindow().id != 0) != shown && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(50ms);
    return (candidateWindow().id != 0) == shown;
  }

  // Switches pinyin on for the focused editor and types the letters: the
  // input method holds them as a pre-edit and shows its candidates. False
  // when no candidate window came, i.e. the letters went past the input method.
  bool typePinyin(const std::string &letters) {
    // The program's input context is made when its window takes the focus.
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(m_im->switchOn(15s)) << "fcitx5-remote -o did not switch pinyin on";
    xdo("type --delay 120 " + letters);
    return waitForCandidates(true, 10s);
  }

  // Space takes the first candidate; the candidate window goes.
  void commitFirstCandidate() {
    xdo("key space");
    EXPECT_TRUE(waitForCandidates(false, 10s)) << "space committed nothing";
  }

  // fcitx5's character-code input: the code, then Enter commits the character.
  void commitCharacterCode(const std::string &code) {
    xdo("key ctrl+alt+shift+u");
    xdo("type --delay 120 '" + code + "'");
    ASSERT_TRUE(waitForCandidates(true, 10s)) << "no character-code input";
    xdo("key Return");
    EXPECT_TRUE(waitForCandidates(false, 10s));
  }

  // The focused editor's whole text, by select all and copy (at least one
  // character is expected; nothing copied before counts).
  std::string copiedText() {
    m_x.takeClipboard();
    std::string got;
    const auto end = std::chrono::steady_clock::now() + 5s;
    do {
      xdo("key ctrl+a ctrl+c");
      got = m_x.clipboardText(1000ms);
    } while (got.empty() && std::chrono::steady_clock::now() < end);
    return got;
  }

  // A picture of the screen around the window and the candidate window.
  void savePreedit(const TopWindow &w, const char *name) {
    const TopWindow cand = candidateWindow();
    QRect area(w.x, w.y, w.width, w.height);
    if (cand.id)
      area = area.united(QRect(cand.x, cand.y, cand.width, cand.height));
    area = area.adjusted(-8, -8, 8, 8).intersected(QRect(0, 0, m_x.screen().width, m_x.screen().height));
    const QImage shot = m_x.grab(m_x.screen(), area.x(), area.y(), area.width(), area.height());
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral(CALIXO_IM_OUT "/%1").arg(QLatin1String(name)), "PNG"));
  }

  // The text field of the table's first record once it is not empty (or
  // the time is up).
  std::string storedText(const char *table, const char *field) {
    std::string text;
    const auto end = std::chrono::steady_clock::now() + 5s;
    do {
      withFirstRecord(table, [&](dbf::TDbfDataSet &t) { text = t.StringGet(field); });
      if (!text.empty())
        break;
      std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return text;
  }

  // Nothing was refused or reported: no message box beside the expected
  // windows, nothing in the general error report; then the close button ends
  // the program normally.
  void expectNothingRefusedAndClose(size_t windows) {
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(programWindows().size(), windows) << "a message box came up";
    clickIn(m_main, kClose);
    EXPECT_EQ(m_program->waitForExit(15s), 0);
    const std::string reported = readFile(errorsFile());
    EXPECT_EQ(reported.find("calixo: "), std::string::npos) << reported;
    EXPECT_EQ(reported.find("runtime error"), std::string::npos) << reported;
  }

  X m_x;
  std::unique_ptr<im::InputMethodSession> m_im;
  std::unique_ptr<Program> m_program;
  TopWindow m_main;
};

TEST_F(InputMethodEndToEnd, APlanRowStoresTheCommittedChineseAsGbk) {
  clickIn(m_main, kRed);
  const TopWindow list = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(list.id, 0u) << "the red button showed no time list";
  std::this_thread::sleep_for(500ms);
  clickIn(list, kPlanAt7);

  ASSERT_TRUE(typePinyin("kaihui")) << "no candidate window: the letters went past the input method";
  savePreedit(list, "input-method-preedit.png");
  EXPECT_EQ(withFirstRecord("TIMELIST", [](dbf::TDbfDataSet &) {}), 0) << "the pre-edit reached the table";

  commitFirstCandidate();
  // The row's editor shows what the engine committed, and the table holds
  // exactly that in GBK.
  const std::string shown = copiedText();
  EXPECT_TRUE(isChinese(shown)) << shown;
  EXPECT_EQ(storedText("TIMELIST", "DO"), gbk(shown));

  // A second word after the first (End leaves the selection the copy made),
  // and Enter closes the editor: still one record, holding both.
  xdo("key End");
  ASSERT_TRUE(typePinyin("mingtian"));
  EXPECT_EQ(storedText("TIMELIST", "DO"), gbk(shown)) << "the pre-edit reached the table";
  commitFirstCandidate();
  const std::string both = copiedText();
  EXPECT_TRUE(isChinese(both)) << both;
  EXPECT_EQ(both.rfind(shown, 0), 0u) << both;
  EXPECT_GT(both.size(), shown.size());
  EXPECT_EQ(storedText("TIMELIST", "DO"), gbk(both));

  // Letters still in the pre-edit when the user clicks another row are not
  // the user's choice: the input method hands them back as the focus
  // leaves, and the row keeps only what was committed.
  xdo("key End");
  ASSERT_TRUE(typePinyin("huiyi"));
  clickIn(list, kPlanAt630);
  EXPECT_TRUE(waitForCandidates(false, 10s)) << "the pre-edit stayed after the click";
  std::this_thread::sleep_for(500ms);
  std::string stored;
  EXPECT_EQ(withFirstRecord("TIMELIST", [&](dbf::TDbfDataSet &t) { stored = t.StringGet("DO"); }), 1);
  EXPECT_EQ(stored, gbk(both)) << "the pre-edit's letters reached the table";

  expectNothingRefusedAndClose(2);
}

TEST_F(InputMethodEndToEnd, AStickyNoteStoresTheCommittedChineseAsGbk) {
  clickIn(m_main, kGreen);
  const TopWindow memoList = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(memoList.id, 0u) << "the green button showed no memo list";
  std::this_thread::sleep_for(300ms);
  clickIn(memoList, kMemoAdd);
  const TopWindow note = newProgramWindow({m_main.id, memoList.id}, 5s);
  ASSERT_NE(note.id, 0u) << "add pinned no note";
  std::this_thread::sleep_for(300ms);
  clickIn(note, kNoteText);

  ASSERT_TRUE(typePinyin("kaihui")) << "no candidate window: the letters went past the input method";
  savePreedit(note, "input-method-note-preedit.png");
  std::string text = "?";
  EXPECT_EQ(withFirstRecord("TextList", [&](dbf::TDbfDataSet &t) { text = t.StringGet("TEXT"); }), 1);
  EXPECT_EQ(text, "") << "the pre-edit reached the table";

  commitFirstCandidate();
  const std::string shown = copiedText();
  EXPECT_TRUE(isChinese(shown)) << shown;
  EXPECT_EQ(storedText("TextList", "TEXT"), gbk(shown));

  // Pinyin left in the pre-edit when the user turns to another window is
  // dropped: the note and its memo keep what was committed.
  xdo("key End");
  ASSERT_TRUE(typePinyin("mingtian"));
  clickIn(m_main, kMainCaption);
  EXPECT_TRUE(waitForCandidates(false, 10s)) << "the pre-edit stayed after the click";
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(storedText("TextList", "TEXT"), gbk(shown)) << "the pre-edit's letters reached the table";
  clickIn(note, kNoteText);
  EXPECT_EQ(copiedText(), shown);

  expectNothingRefusedAndClose(3);
}

// The input method can commit characters that GBK has no bytes for (here
// fcitx5's character-code input, U+1F600): the row and the note each refuse
// one with a message, and the tables keep what they had.
TEST_F(InputMethodEndToEnd, ACharacterGbkCannotHoldIsRefusedWhenTheInputMethodCommitsIt) {
  // The refusal's message box, shown over the given windows; answered with
  // Enter.
  auto answerRefusal = [&](const std::vector<xcb_window_t> &before, const char *editor) {
    const TopWindow box = newProgramWindow(before, 5s);
    ASSERT_NE(box.id, 0u) << editor << " took a character GBK cannot hold without a word";
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(ink(m_x.grab(box)).isNull()) << "the message box is empty";
    xdo("mousemove " + std::to_string(box.x + box.width / 2) + " " + std::to_string(box.y + box.height / 2));
    xdo("key Return");
    EXPECT_TRUE(waitForViewable(m_x, box.id, false, 5s)) << "Enter did not dismiss the message";
  };
  clickIn(m_main, kRed);
  const TopWindow list = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(list.id, 0u) << "the red button showed no time list";
  std::this_thread::sleep_for(500ms);
  clickIn(list, kPlanAt7);
  ASSERT_TRUE(typePinyin("kaihui"));
  commitFirstCandidate();
  const std::string shown = copiedText();
  ASSERT_TRUE(isChinese(shown)) << shown;
  xdo("key End");
  commitCharacterCode("U+1F600");
  answerRefusal({m_main.id, list.id}, "the row");
  std::string stored;
  EXPECT_EQ(withFirstRecord("TIMELIST", [&](dbf::TDbfDataSet &t) { stored = t.StringGet("DO"); }), 1);
  EXPECT_EQ(stored, gbk(shown));

  clickIn(m_main, kGreen);
  const TopWindow memoList = newProgramWindow({m_main.id, list.id}, 5s);
  ASSERT_NE(memoList.id, 0u) << "the green button showed no memo list";
  std::this_thread::sleep_for(300ms);
  clickIn(memoList, kMemoAdd);
  const TopWindow note = newProgramWindow({m_main.id, list.id, memoList.id}, 5s);
  ASSERT_NE(note.id, 0u) << "add pinned no note";
  std::this_thread::sleep_for(300ms);
  clickIn(note, kNoteText);
  ASSERT_TRUE(typePinyin("kaihui"));
  commitFirstCandidate();
  EXPECT_EQ(copiedText(), shown);
  xdo("key End");
  commitCharacterCode("U+1F600");
  answerRefusal({m_main.id, list.id, memoList.id, note.id}, "the note");
  clickIn(note, kNoteText);
  EXPECT_EQ(copiedText(), shown) << "the note kept a character GBK cannot hold";
  std::string memo;
  EXPECT_EQ(withFirstRecord("TextList", [&](dbf::TDbfDataSet &t) { memo = t.StringGet("TEXT"); }), 1);
  EXPECT_EQ(memo, gbk(shown));
}

TEST_F(InputMethodEndToEnd, ACountdownReminderShowsTheCommittedChinese) {
  clickIn(m_main, kBlue);
  const TopWindow countdown = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(countdown.id, 0u) << "the blue button showed no countdown";
  std::this_thread::sleep_for(300ms);
  clickIn(countdown, kEditB1);

  ASSERT_TRUE(typePinyin("kaihui")) << "no candidate window: the letters went past the input method";
  commitFirstCandidate();
  const std::string shown = copiedText();
  EXPECT_TRUE(isChinese(shown)) << shown;

  // One second (the slider's start). Ticking the box takes the focus from
  // the edit, which then shows its text without a cursor; the reminder shows
  // the same text, drawn in the same font.
  clickIn(countdown, kCheckBoxB1);
  std::this_thread::sleep_for(150ms);
  const QImage typed = ink(m_x.grab(countdown, kEditB1Text.x(), kEditB1Text.y(), kEditB1Text.width(),
                                    kEditB1Text.height()));
  ASSERT_FALSE(typed.isNull()) << "the edit shows no text";
  const TopWindow reminder = newProgramWindow({m_main.id, countdown.id}, 15s);
  ASSERT_NE(reminder.id, 0u) << "no reminder came";
  std::this_thread::sleep_for(300ms);
  const QImage box = m_x.grab(reminder);
  EXPECT_TRUE(box.save(QStringLiteral(CALIXO_IM_OUT "/input-method-reminder.png"), "PNG"));
  // The text stands first, above the channel's line and the OK button.
  const QImage shownInk = ink(box.copy(0, 0, box.width(), box.height() * 45 / 100));
  EXPECT_EQ(shownInk.copy(0, 0, typed.width(), typed.height()), typed)
      << "the reminder does not show what was committed";
  xdo("mousemove " + std::to_string(reminder.x + reminder.width / 2) + " " +
      std::to_string(reminder.y + reminder.height / 2));
  xdo("key Return");
  EXPECT_TRUE(waitForViewable(m_x, reminder.id, false, 5s)) << "Enter did not dismiss the reminder";

  // Hidden again, so that it does not cover the close button.
  clickIn(m_main, kBlue);
  EXPECT_TRUE(waitForViewable(m_x, countdown.id, false, 5s));
  expectNothingRefusedAndClose(1);
}

TEST_F(InputMethodEndToEnd, TheYearEditTakesDigitsWithPinyinOn) {
  clickIn(m_main, kYearLabel);
  TopWindow dialog = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(dialog.id, 0u) << "the year label opened no dialog";
  std::this_thread::sleep_for(300ms);
  clickIn(dialog, kEditYear);
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(m_im->switchOn(15s)) << "fcitx5-remote -o did not switch pinyin on";
  // Digits start no pre-edit: pinyin hands them on as they are.
  xdo("key ctrl+a");
  xdo("type --delay 120 2031");
  EXPECT_FALSE(waitForCandidates(true, 1s)) << "digits started a pre-edit";
  EXPECT_EQ(copiedText(), "2031");
  clickIn(dialog, kEditMonth);
  xdo("key ctrl+a");
  xdo("type --delay 120 7");
  EXPECT_EQ(copiedText(), "7");
  xdo("key Return");
  EXPECT_TRUE(waitForViewable(m_x, dialog.id, false, 5s)) << "OK did not close the dialog";
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(programWindows().size(), 1u) << "the year or month was refused";

  // Shown again, the dialog holds the year and month taken.
  clickIn(m_main, kYearLabel);
  dialog = newProgramWindow({m_main.id}, 5s);
  ASSERT_NE(dialog.id, 0u) << "the dialog did not open again";
  std::this_thread::sleep_for(300ms);
  clickIn(dialog, kEditYear);
  EXPECT_EQ(copiedText(), "2031");
  clickIn(dialog, kEditMonth);
  EXPECT_EQ(copiedText(), "7");
  xdo("key Escape");
  EXPECT_TRUE(waitForViewable(m_x, dialog.id, false, 5s)) << "Escape did not close the dialog";

  expectNothingRefusedAndClose(1);
}

}  // namespace
