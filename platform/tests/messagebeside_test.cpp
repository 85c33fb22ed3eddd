// Boxes that do not block: two shown at once are both on the screen, neither
// modal, the second not covering the first exactly.
#include "ui.h"

#include <QApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

TEST(ShowMessageBeside, TwoBoxesStandApartAndNeitherBlocks) {
  calixo::showMessageBeside(QStringLiteral("tea\n表一（3秒）"));
  calixo::showMessageBeside(QStringLiteral("tea\n表二（3秒）"));
  std::vector<QMessageBox *> boxes;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
      boxes.push_back(box);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_NE(boxes[0]->geometry().topLeft(), boxes[1]->geometry().topLeft());
  for (QMessageBox *box : boxes)
    box->close();
}

}  // namespace
