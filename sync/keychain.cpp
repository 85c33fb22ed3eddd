#include "keychain.h"

#include <qt6keychain/keychain.h>

namespace calixo::sync {

namespace {

const QString kService = QStringLiteral("Calixo");

QString why(const QKeychain::Job *job) {
  // Most often no Secret Service runs (no keyring daemon, no session bus);
  // the library's own words follow for the rest.
  return QStringLiteral("密钥服务（Secret Service）不可用，可能没有运行：") + job->errorString();
}

}  // namespace

QString PasswordKey(const QString &user, const QString &url) { return user + QLatin1Char('@') + url; }

void ReadPassword(const QString &user, const QString &url,
                  std::function<void(bool, const QString &, bool, const QString &)> done) {
  auto *job = new QKeychain::ReadPasswordJob(kService);
  job->setInsecureFallback(false);
  job->setKey(PasswordKey(user, url));
  QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job *j) {
    auto *read = static_cast<QKeychain::ReadPasswordJob *>(j);
    if (read->error() == QKeychain::NoError)
      done(true, read->textData(), false, {});
    else if (read->error() == QKeychain::EntryNotFound)
      done(true, {}, true, {});
    else
      done(false, {}, false, why(read));
  });
  job->start();
}

void WritePassword(const QString &user, const QString &url, const QString &password,
                   std::function<void(bool, const QString &)> done) {
  auto *job = new QKeychain::WritePasswordJob(kService);
  job->setInsecureFallback(false);
  job->setKey(PasswordKey(user, url));
  job->setTextData(password);
  QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job *j) {
    if (j->error() == QKeychain::NoError)
      done(true, {});
    else
      done(false, why(j));
  });
  job->start();
}

}  // namespace calixo::sync
