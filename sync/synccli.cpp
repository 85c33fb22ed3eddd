#include "synccli.h"

#include "calixoini.h"
#include "filenames.h"
#include "gbk.h"
#include "keychain.h"
#include "syncrun.h"
#include "synctable.h"

#include <QCoreApplication>
#include <QUrl>

#include <cstring>
#include <iostream>
#include <string>

namespace calixo::sync {

namespace {

int usage() {
  std::cerr << "usage: calixo --sync URL [--user NAME] [--password-stdin]\n";
  return 2;
}

}  // namespace

int RunSyncCommand(int argc, char **argv) {
  if (argc < 2 || std::strcmp(argv[1], "--sync") != 0)
    return -1;
  if (argc < 3)
    return usage();
  const QUrl url(QString::fromLocal8Bit(argv[2]));
  QString user;
  bool userGiven = false, passwordStdin = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--user") == 0 && i + 1 < argc) {
      user = QString::fromLocal8Bit(argv[++i]);
      userGiven = true;
    } else if (std::strcmp(argv[i], "--password-stdin") == 0) {
      passwordStdin = true;
    } else {
      return usage();
    }
  }
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
      url.host().isEmpty()) {
    std::cerr << "calixo: " << argv[2] << "：不是 http:// 或 https:// 开头的日历地址\n";
    return 2;
  }
  if (!url.userInfo().isEmpty()) {
    std::cerr << "calixo: 地址里不能带用户名或密码；用 --user 和 --password-stdin\n";
    return 2;
  }
  TCalixoini settings;
  if (!userGiven)
    user = QString::fromStdString(calixo::gbkToUtf8(settings.ReadSetting("Sync", "User"))).trimmed();
  QString password;
  if (passwordStdin) {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    password = QString::fromStdString(line);
  }

  QCoreApplication app(argc, argv);
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable timeTable(table, busy);
  try {
    timeTable.CreateTimeTableIfMissing();
    timeTable.OpenTable();
  } catch (const std::exception &e) {
    std::cerr << "calixo: " << e.what() << "\n";
    return 1;
  }
  if (!table.Active()) {
    std::cerr << "calixo: " << kTimeTableFile << "：无法打开\n";
    return 1;
  }
  const QString urlText = url.toString();
  const bool purgeDeletes = !settings.SwitchOn("Timelist", "KeepHistory");
  int status = 1;
  std::unique_ptr<SyncRun> run;
  const auto startRun = [&](const QString &pw) {
    run = std::make_unique<SyncRun>(url, user, pw, calixo::resolveFileName(kBookFile),
                                    TimeTableSide(timeTable, purgeDeletes));
    QObject::connect(run.get(), &SyncRun::finished, &app, [&](bool ok, const QString &message) {
      const SyncSummary &s = run->summary();
      if (ok) {
        std::cout << "同步 " << urlText.toStdString() << "：" << message.toStdString() << "\n";
        for (const QString &p : s.problems)
          std::cout << "未完成：" << p.toStdString() << "\n";
        status = 0;
      } else {
        std::cerr << "calixo: 同步失败：" << message.toStdString() << "\n";
        status = 1;
      }
      app.quit();
    });
    run->start();
  };
  if (passwordStdin || user.isEmpty()) {
    startRun(password);
  } else {
    ReadPassword(user, urlText, [&](bool ok, const QString &pw, bool absent, const QString &error) {
      // Without a stored password the server may still need none; if it
      // does, its 401 says so, and this says where a password comes from.
      if (!ok)
        std::cerr << "calixo: " << error.toStdString() << "\n";
      else if (absent)
        std::cerr << "calixo: 密钥服务里没有 " << PasswordKey(user, urlText).toStdString() << " 的密码\n";
      startRun(pw);
    });
  }
  app.exec();
  return status;
}

}  // namespace calixo::sync
