#include "repeatsform.h"

#include "clock.h"
#include "repeatdialog.h"
#include "repeattable.h"
#include "ui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TRepeatsForm::TRepeatsForm(repeats::TRepeatTable &table, lunar::LunarTable lunarTable, QWidget *parent)
    : QWidget(parent, Qt::Window), m_table(table), m_lunarTable(lunarTable) {
  setObjectName(QStringLiteral("RepeatsForm"));
  setWindowTitle(QStringLiteral("纪念日"));
  setFont(calixo::chineseFont(13));
  resize(560, 320);
  ListRepeats = new QTreeWidget(this);
  ListRepeats->setObjectName(QStringLiteral("ListRepeats"));
  ListRepeats->setRootIsDecorated(false);
  ListRepeats->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("日期"), QStringLiteral("下次"),
                                QStringLiteral("还有"), QStringLiteral("周年")});
  ListRepeats->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  ButtonAdd = new QPushButton(QStringLiteral("添加"), this);
  ButtonAdd->setObjectName(QStringLiteral("ButtonAdd"));
  ButtonChange = new QPushButton(QStringLiteral("修改"), this);
  ButtonChange->setObjectName(QStringLiteral("ButtonChange"));
  ButtonDelete = new QPushButton(QStringLiteral("删除"), this);
  ButtonDelete->setObjectName(QStringLiteral("ButtonDelete"));
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(ButtonAdd);
  buttons->addWidget(ButtonChange);
  buttons->addWidget(ButtonDelete);
  buttons->addStretch();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ListRepeats);
  layout->addLayout(buttons);
  connect(ButtonAdd, &QPushButton::clicked, this, [this] { AddRepeat(); });
  connect(ButtonChange, &QPushButton::clicked, this, &TRepeatsForm::ChangeSelected);
  connect(ButtonDelete, &QPushButton::clicked, this, &TRepeatsForm::DeleteSelected);
  connect(ListRepeats, &QTreeWidget::itemDoubleClicked, this, &TRepeatsForm::ChangeSelected);
  Reload();
}

void TRepeatsForm::Reload() {
  ListRepeats->clear();
  const calixo::LocalDateTime now = calixo::clock().now();
  const int64_t today = calixo::dayNumber(now.year, now.month, now.day);
  const auto &items = m_table.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    const repeats::SREPEATDATA &r = items[i];
    QStringList cols{calixo::fromGbk(r.Text), QString::fromStdString(repeats::dateName(r))};
    if (const auto next = repeats::nextOccurrence(r, today, m_lunarTable)) {
      int y, m, d;
      calixo::dateFromDayNumber(next->DayNumber, y, m, d);
      const int64_t days = next->DayNumber - today;
      cols << QStringLiteral("%1-%2-%3").arg(y).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'))
           << (days == 0 ? QStringLiteral("今天") : QStringLiteral("%1天").arg(days))
           << QString::fromStdString(repeats::countName(r, next->Year));
    } else {
      cols << QStringLiteral("—") << QString() << QString();
    }
    auto *item = new QTreeWidgetItem(ListRepeats, cols);
    item->setData(0, Qt::UserRole, r.RecNo);
  }
}

bool TRepeatsForm::store(const std::function<void()> &write) {
  try {
    write();
  } catch (const std::exception &e) {
    calixo::showMessage(QStringLiteral("纪念日没有保存：%1").arg(QString::fromStdString(e.what())), this);
    Reload();
    return false;
  }
  Reload();
  emit changed();
  return true;
}

bool TRepeatsForm::AddRepeat(const std::function<void(TRepeatDialog &)> &prefill) {
  TRepeatDialog dialog(this);
  repeats::SREPEATDATA r;
  r.SetFlag = 1;
  r.Hour = 8;
  dialog.setRepeat(r);
  if (prefill)
    prefill(dialog);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  return store([&] {
    repeats::SREPEATDATA added = dialog.repeat();
    added.RecNo = -1;
    m_table.Append(added);
  });
}

bool TRepeatsForm::ChangeSelected() {
  QTreeWidgetItem *item = ListRepeats->currentItem();
  if (!item)
    return false;
  const int recNo = item->data(0, Qt::UserRole).toInt();
  if (recNo < 1 || recNo > static_cast<int>(m_table.Items().size()))
    return false;
  TRepeatDialog dialog(this);
  dialog.setRepeat(m_table.Items()[static_cast<size_t>(recNo - 1)]);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  return store([&] { m_table.Update(dialog.repeat()); });
}

bool TRepeatsForm::DeleteSelected() {
  QTreeWidgetItem *item = ListRepeats->currentItem();
  if (!item)
    return false;
  const int recNo = item->data(0, Qt::UserRole).toInt();
  const QString question = QStringLiteral("删除“%1”？").arg(item->text(0));
  const bool yes = ConfirmDelete ? ConfirmDelete(question)
                                 : QMessageBox::question(this, QStringLiteral("纪念日"), question) ==
                                       QMessageBox::Yes;
  if (!yes)
    return false;
  return store([&] { m_table.Delete(recNo); });
}
