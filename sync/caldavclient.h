// The CalDAV client of a sync run: lists a calendar's events (REPORT
// calendar-query, Depth 1, ETags and calendar data; GET for an event listed
// without its data), PUTs and DELETEs one event with If-Match or
// If-None-Match. Basic authentication when a user is given; a redirect is
// followed only on the same scheme, host and port, so the password never
// goes to another host. Every call ends in exactly one callback, with an
// error naming the URL and the HTTP status.
#pragma once

#include "reconcile.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

namespace calixo::sync {

struct HttpResult {
  bool ok = false;
  bool preconditionFailed = false;  // 412: the event changed on the server meanwhile
  int status = 0;
  QString etag;   // of a PUT, when the server tells it
  QString error;  // "URL: reason"
};

class CalDavClient : public QObject {
  Q_OBJECT
public:
  // calendar: the collection's URL; user empty: no authentication.
  CalDavClient(const QUrl &calendar, const QString &user, const QString &password, QObject *parent = nullptr);

  void setTimeout(int ms) { m_timeoutMs = ms; }
  // The collection's path, ending in "/", for the hrefs of new events.
  std::string collectionPath() const;

  using ListDone = std::function<void(bool ok, std::vector<ServerEvent> events, QString error)>;
  using Done = std::function<void(HttpResult)>;
  void list(ListDone done);
  void put(const std::string &href, const QByteArray &body, const std::string &ifMatch, Done done);
  void remove(const std::string &href, const std::string &ifMatch, Done done);

private:
  QNetworkRequest request(const QUrl &url) const;
  // Sends and calls back with the reply finished (or failed), then frees it.
  void send(const QByteArray &verb, const QNetworkRequest &req, const QByteArray &body,
            std::function<void(QNetworkReply *)> done);
  void fetchMissing(std::shared_ptr<std::vector<ServerEvent>> events, std::shared_ptr<std::vector<size_t>> missing,
                    ListDone done);
  QUrl resolve(const std::string &href) const;

  QNetworkAccessManager m_net;
  QUrl m_calendar;
  QByteArray m_auth;
  int m_timeoutMs = 30000;
};

// The events of a calendar-query answer (207 Multi-Status). hrefs without
// calendar data come back with importable false and in missing (indexes).
std::vector<ServerEvent> ParseMultistatus(const QByteArray &xml, std::vector<size_t> &missing, QString &error);
// An event's calendar text as a ServerEvent's UID and plan.
void ReadEventText(const std::string &text, ServerEvent &event);

}  // namespace calixo::sync
