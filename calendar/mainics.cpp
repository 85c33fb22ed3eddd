// The main window's 导出日历 and 导入日历: the iCalendar commands behind a
// file dialog, their report in a box.
#include "mainform.h"

#include "clock.h"
#include "icscli.h"
#include "repeatsform.h"
#include "repeattable.h"
#include "ui.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include <sstream>

namespace {

QString report(int status, const std::ostringstream &out, const std::ostringstream &err) {
  return QString::fromStdString(status == 0 ? out.str() : err.str()).trimmed();
}

}  // namespace

void TMainForm::OnExportClick() {
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("导出日历"),
                                                    QDir::home().filePath(QStringLiteral("calixo.ics")),
                                                    QStringLiteral("iCalendar (*.ics)"));
  if (file.isEmpty())
    return;
  std::ostringstream out, err;
  const int status = calixo::ics::exportFile(QFile::encodeName(file).toStdString(), false, out, err);
  calixo::showMessage(report(status, out, err), this);
}

void TMainForm::OnImportClick() {
  const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("导入日历"), QDir::homePath(),
                                                    QStringLiteral("iCalendar (*.ics);;*"));
  if (file.isEmpty())
    return;
  std::ostringstream out, err;
  const int status = calixo::ics::importFile(QFile::encodeName(file).toStdString(), out, err);
  // The tables were written beside this window's own view of them: the
  // anniversaries are read again, the month marked again and today's alarms
  // looked for again.
  if (m_repeatTable && m_repeatTable->Active()) {
    calixo::guarded([this] { m_repeatTable->Open(); });
    if (RepeatsForm)
      RepeatsForm->Reload();
  }
  RefreshMonth();
  const calixo::LocalDateTime today = calixo::clock().now();
  ArmNextAlarm(today.year, today.month, today.day);
  calixo::showMessage(report(status, out, err), this);
}
