// The pre-edit guard on the two kinds of editor the program stores from (a
// line edit and a plain text edit), fed the events an input method and the
// focus changes send, in the orders Qt sends them.
#include "preeditguard.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Step {
  enum Kind { Preedit, Commit, AboutToChange, FocusOut, FocusIn } kind;
  const char *text = "";
};

struct Row {
  const char *name;
  std::vector<Step> steps;
  const char *text;  // the editor's text at the end
};

void PrintTo(const Row &r, std::ostream *os) { *os << r.name; }

void send(QWidget *w, const Step &s) {
  switch (s.kind) {
  case Step::Preedit: {
    QInputMethodEvent e(QString::fromUtf8(s.text), {});
    QCoreApplication::sendEvent(w, &e);
    break;
  }
  case Step::Commit: {
    QInputMethodEvent e;
    e.setCommitString(QString::fromUtf8(s.text));
    QCoreApplication::sendEvent(w, &e);
    break;
  }
  case Step::AboutToChange: {
    QFocusEvent e(QEvent::FocusAboutToChange, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(w, &e);
    break;
  }
  case Step::FocusOut: {
    QFocusEvent e(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(w, &e);
    break;
  }
  case Step::FocusIn: {
    QFocusEvent e(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(w, &e);
    break;
  }
  }
}

class PreeditGuard : public ::testing::TestWithParam<Row> {};

TEST_P(PreeditGuard, KeepsTheLettersOfAnUnfinishedCompositionOut) {
  const Row &r = GetParam();
  QLineEdit line;
  QPlainTextEdit plain;
  const std::vector<std::pair<QWidget *, std::function<QString()>>> editors = {
      {&line, [&] { return line.text(); }}, {&plain, [&] { return plain.toPlainText(); }}};
  for (const auto &[editor, text] : editors) {
    calixo::dropPreeditOnFocusLoss(editor);
    for (const Step &s : r.steps)
      send(editor, s);
    EXPECT_EQ(text().toStdString(), r.text) << editor->metaObject()->className();
  }
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(Rows, PreeditGuard, ::testing::Values(
    Row{"a candidate committed while focused",
        {{S::FocusIn}, {S::Preedit, "kai hui"}, {S::Commit, "开会"}}, "开会"},
    Row{"letters committed by choice (Enter) while focused",
        {{S::FocusIn}, {S::Preedit, "kai"}, {S::Commit, "kai"}}, "kai"},
    Row{"letters handed back as the focus moves within the window",
        {{S::FocusIn}, {S::Commit, "开会"}, {S::Preedit, "ming tian"}, {S::AboutToChange},
         {S::Commit, "ming tian"}, {S::FocusOut}}, "开会"},
    Row{"letters handed back after the window lost the focus",
        {{S::FocusIn}, {S::Preedit, "ming tian"}, {S::FocusOut}, {S::Commit, "ming tian"}}, ""},
    Row{"part of the letters handed back",
        {{S::FocusIn}, {S::Preedit, "hui yi"}, {S::AboutToChange}, {S::Commit, "hu"}}, ""},
    Row{"a commit with no composition going on passes while leaving",
        {{S::FocusIn}, {S::AboutToChange}, {S::Commit, "开会"}}, "开会"},
    Row{"back in focus, commits pass again",
        {{S::FocusIn}, {S::Preedit, "kai"}, {S::AboutToChange}, {S::Commit, "kai"}, {S::FocusOut},
         {S::FocusIn}, {S::Preedit, "kai hui"}, {S::Commit, "开会"}}, "开会"},
    Row{"an editor never focused, fed by the widget that has the focus",
        {{S::Preedit, "kai"}, {S::Commit, "开"}}, "开"}));

}  // namespace
