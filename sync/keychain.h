// The sync password in the desktop's Secret Service (through QtKeychain),
// under the service "Calixo" and the key "user@URL". Never anywhere else:
// with no Secret Service there is no stored password, and the caller says so.
#pragma once

#include <QString>

#include <functional>

namespace calixo::sync {

QString PasswordKey(const QString &user, const QString &url);

// done(ok, password, error): ok false with error when none could be read;
// absent true when the keychain answered but holds none.
void ReadPassword(const QString &user, const QString &url,
                  std::function<void(bool ok, const QString &password, bool absent, const QString &error)> done);
void WritePassword(const QString &user, const QString &url, const QString &password,
                   std::function<void(bool ok, const QString &error)> done);

}  // namespace calixo::sync
