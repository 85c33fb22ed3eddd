#include "caldavclient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QXmlStreamReader>

namespace calixo::sync {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

const QByteArray kQuery =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<C:calendar-query xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">\n"
    " <D:prop><D:getetag/><C:calendar-data/></D:prop>\n"
    " <C:filter><C:comp-filter name=\"VCALENDAR\"><C:comp-filter name=\"VEVENT\"/></C:comp-filter></C:filter>\n"
    "</C:calendar-query>\n";

bool clean(const std::string &s) { return s.find_first_of("\t\r\n") == std::string::npos; }

constexpr const char *kRefusedRedirect = "calixoRefusedRedirect";

QString describe(QNetworkReply *reply) {
  const QString url = reply->request().url().toString(QUrl::RemoveUserInfo);
  const QVariant refused = reply->property(kRefusedRedirect);
  if (refused.isValid())
    return url + QStringLiteral("：转向了别的主机 ") + refused.toString() + QStringLiteral("，不跟随（密码不发往别处）");
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status) {
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    QString text = url + QStringLiteral("：HTTP %1 %2").arg(status).arg(reason).trimmed();
    if (status == 401)
      text += QStringLiteral("（用户名或密码不对，或没有给出）");
    return text;
  }
  if (reply->error() == QNetworkReply::OperationCanceledError)
    return url + QStringLiteral("：服务器没有按时回答");
  return url + QStringLiteral("：") + reply->errorString();
}

}  // namespace

void ReadEventText(const std::string &text, ServerEvent &event) {
  ics::ParseResult parsed;
  std::string error;
  event.importable = false;
  if (!ics::ParseCalendar(text, nullptr, parsed, error))
    return;
  // One plain event at one time and nothing else: a run, a repeating event
  // or a task is left alone.
  if (parsed.plans.size() != 1 || !parsed.anniversaries.empty() || !parsed.notImported.empty())
    return;
  const ics::PlanRecord &p = parsed.plans.front();
  event.uid = p.uid;
  event.plan = Plan{Row{p.date, p.hour, p.minute}, p.text, p.alarm};
  event.importable = !p.uid.empty() && clean(p.uid) && clean(event.href) && clean(event.etag);
}

std::vector<ServerEvent> ParseMultistatus(const QByteArray &xml, std::vector<size_t> &missing, QString &error) {
  std::vector<ServerEvent> events;
  QXmlStreamReader r(xml);
  ServerEvent cur;
  QString data, status;
  bool inResponse = false, hasData = false;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement()) {
      if (r.namespaceUri() == kDav && r.name() == QLatin1String("response")) {
        inResponse = true;
        cur = {};
        data.clear();
        hasData = false;
      } else if (inResponse && r.namespaceUri() == kDav && r.name() == QLatin1String("href") && cur.href.empty()) {
        cur.href = r.readElementText().trimmed().toStdString();
      } else if (inResponse && r.namespaceUri() == kDav && r.name() == QLatin1String("getetag")) {
        cur.etag = r.readElementText().trimmed().toStdString();
      } else if (inResponse && r.namespaceUri() == kCalDav && r.name() == QLatin1String("calendar-data")) {
        data = r.readElementText();
        hasData = !data.trimmed().isEmpty();
      }
    } else if (r.isEndElement() && r.namespaceUri() == kDav && r.name() == QLatin1String("response")) {
      inResponse = false;
      // The collection itself and anything without an ETag is no event.
      if (cur.href.empty() || cur.etag.empty())
        continue;
      if (hasData) {
        ReadEventText(data.toStdString(), cur);
      } else {
        missing.push_back(events.size());
      }
      events.push_back(cur);
    }
  }
  if (r.hasError()) {
    error = QStringLiteral("服务器的回答不是有效的 XML（%1）").arg(r.errorString());
    return {};
  }
  return events;
}

CalDavClient::CalDavClient(const QUrl &calendar, const QString &user, const QString &password, QObject *parent)
    : QObject(parent), m_calendar(calendar) {
  if (!m_calendar.path().endsWith(QLatin1Char('/')))
    m_calendar.setPath(m_calendar.path() + QLatin1Char('/'));
  if (!user.isEmpty())
    m_auth = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

std::string CalDavClient::collectionPath() const { return m_calendar.path(QUrl::FullyEncoded).toStdString(); }

QUrl CalDavClient::resolve(const std::string &href) const {
  return m_calendar.resolved(QUrl::fromEncoded(QByteArray::fromStdString(href)));
}

QNetworkRequest CalDavClient::request(const QUrl &url) const {
  QNetworkRequest req(url);
  req.setTransferTimeout(m_timeoutMs);
  // Redirects are looked at one by one (see send).
  req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
  if (!m_auth.isEmpty())
    req.setRawHeader("Authorization", m_auth);
  req.setRawHeader("User-Agent", "Calixo");
  return req;
}

void CalDavClient::send(const QByteArray &verb, const QNetworkRequest &req, const QByteArray &body,
                        std::function<void(QNetworkReply *)> done) {
  QNetworkReply *reply = m_net.sendCustomRequest(req, verb, body);
  const QUrl from = req.url();
  connect(reply, &QNetworkReply::redirected, reply, [reply, from](const QUrl &to) {
    if (to.scheme() == from.scheme() && to.host() == from.host() && to.port() == from.port()) {
      emit reply->redirectAllowed();
    } else {
      reply->setProperty(kRefusedRedirect, to.toString(QUrl::RemoveUserInfo));
      reply->abort();
    }
  });
  connect(reply, &QNetworkReply::finished, this, [reply, done] {
    done(reply);
    reply->deleteLater();
  });
}

void CalDavClient::list(ListDone done) {
  QNetworkRequest req = request(m_calendar);
  req.setRawHeader("Depth", "1");
  req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/xml; charset=utf-8"));
  send("REPORT", req, kQuery, [this, done](QNetworkReply *reply) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 207) {
      done(false, {}, describe(reply));
      return;
    }
    auto missing = std::make_shared<std::vector<size_t>>();
    QString error;
    auto events = std::make_shared<std::vector<ServerEvent>>(ParseMultistatus(reply->readAll(), *missing, error));
    if (!error.isEmpty()) {
      done(false, {}, m_calendar.toString(QUrl::RemoveUserInfo) + QStringLiteral("：") + error);
      return;
    }
    fetchMissing(events, missing, done);
  });
}

void CalDavClient::fetchMissing(std::shared_ptr<std::vector<ServerEvent>> events,
                                std::shared_ptr<std::vector<size_t>> missing, ListDone done) {
  if (missing->empty()) {
    done(true, *events, {});
    return;
  }
  const size_t index = missing->back();
  missing->pop_back();
  send("GET", request(resolve((*events)[index].href)), {}, [=, this](QNetworkReply *reply) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
      done(false, {}, describe(reply));
      return;
    }
    ServerEvent &e = (*events)[index];
    if (const QByteArray etag = reply->rawHeader("ETag"); !etag.isEmpty())
      e.etag = etag.toStdString();
    ReadEventText(reply->readAll().toStdString(), e);
    fetchMissing(events, missing, done);
  });
}

void CalDavClient::put(const std::string &href, const QByteArray &body, const std::string &ifMatch, Done done) {
  QNetworkRequest req = request(resolve(href));
  req.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/calendar; charset=utf-8"));
  if (ifMatch.empty())
    req.setRawHeader("If-None-Match", "*");
  else
    req.setRawHeader("If-Match", QByteArray::fromStdString(ifMatch));
  send("PUT", req, body, [done](QNetworkReply *reply) {
    HttpResult r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.ok = r.status == 200 || r.status == 201 || r.status == 204;
    r.preconditionFailed = r.status == 412;
    r.etag = QString::fromLatin1(reply->rawHeader("ETag"));
    if (!r.ok)
      r.error = describe(reply);
    done(r);
  });
}

void CalDavClient::remove(const std::string &href, const std::string &ifMatch, Done done) {
  QNetworkRequest req = request(resolve(href));
  if (!ifMatch.empty())
    req.setRawHeader("If-Match", QByteArray::fromStdString(ifMatch));
  send("DELETE", req, {}, [done](QNetworkReply *reply) {
    HttpResult r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Gone already is as good as deleted.
    r.ok = r.status == 200 || r.status == 204 || r.status == 404;
    r.preconditionFailed = r.status == 412;
    if (!r.ok)
      r.error = describe(reply);
    done(r);
  });
}

}  // namespace calixo::sync
