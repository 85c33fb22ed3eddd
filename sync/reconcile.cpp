#include "reconcile.h"

#include "gbk.h"
#include "icstable.h"

#include <cstdio>
#include <optional>
#include <set>

namespace calixo::sync {

namespace {

// Unreserved characters and '@' stay; everything else is %XX.
std::string pathSegment(const std::string &s) {
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '@') {
      out += static_cast<char>(c);
    } else {
      char b[4];
      std::snprintf(b, sizeof b, "%%%02X", c);
      out += b;
    }
  }
  return out;
}

bool before(const ics::Date &a, const ics::Date &b) {
  return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
}

}  // namespace

std::string Fingerprint(const Plan &p) {
  char head[48];
  std::snprintf(head, sizeof head, "%04d%02d%02d|%02d%02d|%d|", p.row.date.year, p.row.date.month,
                p.row.date.day, p.row.hour, p.row.minute, p.alarm ? 1 : 0);
  // A digest of the row, the alarm and the text.
  return ics::Fingerprint(std::string(head) + p.text);
}

std::string PlanUid(const Row &row) { return ics::PlanUid(row.date, row.hour, row.minute); }

std::string MergedText(const std::string &local, const std::string &server) {
  if (local.find(server) != std::string::npos)
    return local;
  if (server.find(local) != std::string::npos)
    return server;
  const std::string joined = local + ics::kRowJoin + server;
  return std::string(calixo::cutGbk(joined, ics::kRowTextBytes));
}

std::vector<Action> Reconcile(const Local &local, const std::vector<ServerEvent> &server,
                              const std::vector<BookEntry> &book, const std::string &collection) {
  std::map<std::string, const ServerEvent *> onServer;
  std::set<std::string> leftAlone;  // hrefs of resources that are no plain event
  for (const ServerEvent &e : server) {
    if (e.importable && !e.uid.empty())
      onServer.emplace(e.uid, &e);
    else
      leftAlone.insert(e.href);
  }
  std::map<std::string, const BookEntry *> booked;
  std::map<Row, std::string> bookedRow;
  for (const BookEntry &b : book) {
    booked.emplace(b.uid, &b);
    bookedRow.emplace(b.row, b.uid);
  }

  // The UID of each of the table's plans: the event the bookkeeping placed in
  // its row, else the row's own UID (made unique should the server have moved
  // the event of that name to another row).
  std::map<std::string, const Plan *> inTable;
  for (const Plan &p : local.plans) {
    std::string uid;
    if (auto it = bookedRow.find(p.row); it != bookedRow.end() && !inTable.count(it->second))
      uid = it->second;
    if (uid.empty()) {
      const std::string base = PlanUid(p.row);
      uid = base;
      for (int n = 2; booked.count(uid) || inTable.count(uid); ++n)
        uid = base.substr(0, base.size() - 7) + "-" + std::to_string(n) + "@calixo";
    }
    inTable.emplace(uid, &p);
  }
  std::set<Row> archived(local.archived.begin(), local.archived.end());

  std::set<std::string> uids;
  for (const auto &[u, _] : onServer)
    uids.insert(u);
  for (const auto &[u, _] : booked)
    uids.insert(u);
  for (const auto &[u, _] : inTable)
    uids.insert(u);

  std::vector<Action> actions;
  for (const std::string &uid : uids) {
    const Plan *L = inTable.count(uid) ? inTable[uid] : nullptr;
    const ServerEvent *S = onServer.count(uid) ? onServer[uid] : nullptr;
    const BookEntry *B = booked.count(uid) ? booked[uid] : nullptr;
    if (B && leftAlone.count(B->href))
      continue;  // now something this table cannot hold: neither side is touched

    Action a;
    a.uid = uid;
    a.entry.uid = uid;
    a.entry.href = S ? S->href : B ? B->href : collection + pathSegment(uid) + ".ics";
    a.entry.etag = S ? S->etag : "";
    const auto push = [&](const Plan &p, const std::string &ifMatch) {
      a.remote = Action::Remote::Put;
      a.href = a.entry.href;
      a.ifMatch = ifMatch;
      a.push = p;
      a.entry.row = p.row;
      a.entry.localFp = a.entry.serverFp = Fingerprint(p);
    };
    const auto pull = [&](const Plan *from) {
      a.kind = Action::Kind::Pull;
      if (from) {
        a.clearRow = true;
        a.clear = from->row;
        a.expectPlan = true;
        a.expect = *from;
      }
      a.writeRow = true;
      a.write = S->plan;
      a.place = true;
      a.entry.row = S->plan.row;  // the table's part says where it went
      a.entry.localFp = a.entry.serverFp = Fingerprint(S->plan);
    };
    const auto record = [&](const Plan &l, const Plan &s) {
      a.kind = Action::Kind::Record;
      a.entry.row = l.row;
      a.entry.localFp = Fingerprint(l);
      a.entry.serverFp = Fingerprint(s);
    };
    const auto conflict = [&] {
      Plan merged{L->row, MergedText(L->text, S->plan.text), L->alarm || S->plan.alarm};
      a.kind = Action::Kind::Conflict;
      if (!(merged == *L)) {
        a.writeRow = true;
        a.write = merged;
        a.expectPlan = true;
        a.expect = *L;
      }
      push(merged, S->etag);
    };

    // A plan the purge took out of the table lives on in the archive (or,
    // with the archive off, nowhere): its event is not deleted, and the
    // server's changes to it are not brought back.
    if (!L && B && before(B->row.date, local.monthStart) &&
        (archived.count(B->row) || local.purgeDeletes)) {
      if (!S) {
        a.kind = Action::Kind::Forget;
        actions.push_back(a);
      } else if (S->etag != B->etag || S->href != B->href) {
        a.kind = Action::Kind::Record;
        a.entry.row = B->row;
        a.entry.localFp = B->localFp;
        a.entry.serverFp = Fingerprint(S->plan);
        actions.push_back(a);
      }
      continue;
    }

    const bool localChanged = L && (!B || Fingerprint(*L) != B->localFp);
    const bool serverChanged = S && (!B || Fingerprint(S->plan) != B->serverFp);
    if (!B) {
      if (L && S) {
        if (Fingerprint(*L) == Fingerprint(S->plan))
          record(*L, S->plan);
        else
          conflict();
      } else if (L) {
        a.kind = Action::Kind::Push;
        push(*L, "");
      } else {
        pull(nullptr);
      }
    } else if (!L && !S) {
      a.kind = Action::Kind::Forget;
    } else if (!L) {
      if (serverChanged) {
        pull(nullptr);  // deleted here, changed there: restored
      } else {
        a.kind = Action::Kind::DeleteThere;
        a.remote = Action::Remote::Delete;
        a.href = S->href;
        a.ifMatch = S->etag;
      }
    } else if (!S) {
      if (localChanged) {
        a.kind = Action::Kind::Push;  // deleted there, changed here: restored
        push(*L, "");
      } else {
        a.kind = Action::Kind::DeleteHere;
        a.clearRow = true;
        a.clear = L->row;
        a.expectPlan = true;
        a.expect = *L;
      }
    } else if (localChanged && serverChanged) {
      if (Fingerprint(*L) == Fingerprint(S->plan))
        record(*L, S->plan);
      else
        conflict();
    } else if (localChanged) {
      a.kind = Action::Kind::Push;
      push(*L, S->etag);
    } else if (serverChanged) {
      pull(L);
    } else {
      if (S->etag == B->etag && S->href == B->href)
        continue;
      a.kind = Action::Kind::Record;
      a.entry.row = B->row;
      a.entry.localFp = B->localFp;
      a.entry.serverFp = B->serverFp;
    }
    actions.push_back(a);
  }
  return actions;
}

}  // namespace calixo::sync
