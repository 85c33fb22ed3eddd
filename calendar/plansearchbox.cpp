#include "plansearchbox.h"

#include "gbk.h"
#include "ui.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
// More rows than anyone reads; the count says how many there were.
constexpr size_t kListedRows = 500;
}  // namespace

TPlanSearchBox::TPlanSearchBox(std::function<std::vector<TPlanSource>()> sources,
                               std::function<void(const SFoundPlan &)> goTo, QWidget *parent)
    : QDialog(parent), m_sources(std::move(sources)), m_goTo(std::move(goTo)) {
  setObjectName(QStringLiteral("PlanSearchBox"));
  setWindowTitle(QStringLiteral("查找"));
  setFont(calixo::chineseFont(13));
  resize(380, 320);
  auto *layout = new QVBoxLayout(this);
  auto *label = new QLabel(QStringLiteral("查找计划:"), this);
  EditFind = new QLineEdit(this);
  EditFind->setObjectName(QStringLiteral("EditFind"));
  ListFound = new QListWidget(this);
  ListFound->setObjectName(QStringLiteral("ListFound"));
  layout->addWidget(label);
  layout->addWidget(EditFind);
  layout->addWidget(ListFound);
  connect(EditFind, &QLineEdit::textChanged, this, [this] { Search(); });
  // The arrow and page keys move through the list while typing goes on.
  EditFind->installEventFilter(this);
  connect(EditFind, &QLineEdit::returnPressed, this, [this] {
    Choose(ListFound->currentRow() >= 0 ? ListFound->currentRow() : 0);
  });
  connect(ListFound, &QListWidget::itemActivated, this,
          [this](QListWidgetItem *item) { Choose(ListFound->row(item)); });
}

bool TPlanSearchBox::eventFilter(QObject *watched, QEvent *event) {
  if (watched == EditFind && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
      QKeyEvent copy(QEvent::KeyPress, key, static_cast<QKeyEvent *>(event)->modifiers());
      QCoreApplication::sendEvent(ListFound, &copy);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TPlanSearchBox::Search() {
  std::string needle;
  ListFound->clear();
  m_found.clear();
  // A character GBK cannot hold is in no plan.
  if (!calixo::toGbk(EditFind->text(), needle) || needle.empty())
    return;
  m_found = FindPlans(needle, m_sources ? m_sources() : std::vector<TPlanSource>{});
  for (size_t i = 0; i < m_found.size() && i < kListedRows; ++i) {
    const SFoundPlan &p = m_found[i];
    QString line = QString::asprintf("%d年%d月%d日 %d:%02d  ", p.Year, p.Month, p.Day, p.Hour, p.Minute) +
                   calixo::fromGbk(p.Text);
    if (p.History)
      line += QStringLiteral(" (历史)");
    ListFound->addItem(line);
  }
  if (m_found.size() > kListedRows)
    ListFound->addItem(QStringLiteral("…… 共 %1 条").arg(m_found.size()));
  if (!m_found.empty())
    ListFound->setCurrentRow(0);
}

void TPlanSearchBox::Choose(int i) {
  if (i < 0 || static_cast<size_t>(i) >= m_found.size() || static_cast<size_t>(i) >= kListedRows)
    return;
  const SFoundPlan plan = m_found[static_cast<size_t>(i)];
  hide();
  if (m_goTo)
    m_goTo(plan);
}
