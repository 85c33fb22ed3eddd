// sync: the time table and a CalDAV calendar kept in step both ways.
//
// reconcile is the plain core: it compares what the time table holds, what
// the server holds and what both held at the end of the last run (the
// bookkeeping, syncbook.h), and decides for every event what happens on
// either side. It touches neither the network nor a file; synctable.h does
// the table's part, caldavclient.h the server's, syncrun.h both in order.
//
// Every plan is an event with a UID: a plan of Calixo's own has
// "plan-YYYYMMDD-HHMM@calixo", an event from another calendar keeps its own.
// A time-table row holds at most one synced event; the bookkeeping says which.
//
// The rules, per event (L = the table, S = the server, "changed" = differs
// from what the bookkeeping says both held last time):
//   new in L only                 -> PUT with If-None-Match: *
//   new on S only                 -> into the table (the import's rules)
//   changed in L only             -> PUT with If-Match: its ETag
//   changed on S only             -> into the table; a new time moves the plan
//   deleted in L, S unchanged     -> DELETE with If-Match: its ETag
//   deleted on S, L unchanged     -> the row is cleared
//   deleted on one, changed on the other -> the change wins (restored)
//   deleted on both               -> forgotten
//   changed on both, differently  -> nothing is lost: Calixo's text, "；",
//                                    the server's text; the alarm if either
//                                    has one; Calixo's row; the result is PUT
// Runs stay on this machine. Plans the monthly purge moved to the archive
// are not deletions: their events stay on the server.
#pragma once

#include "icsformat.h"

#include <map>
#include <string>
#include <vector>

namespace calixo::sync {

// A half-hour row of the time table.
struct Row {
  ics::Date date;
  int hour = 0, minute = 0;
  bool operator==(const Row &) const = default;
  auto operator<=>(const Row &o) const {
    return std::tie(date.year, date.month, date.day, hour, minute) <=>
           std::tie(o.date.year, o.date.month, o.date.day, o.hour, o.minute);
  }
};

// What a side holds of one event: its row, text (GBK) and alarm.
struct Plan {
  Row row;
  std::string text;
  bool alarm = false;
  bool operator==(const Plan &) const = default;
};

// A short stable digest of a plan, kept in the bookkeeping.
std::string Fingerprint(const Plan &p);

struct ServerEvent {
  std::string href, etag;
  // False when the resource is not one plain event at one time (a
  // repeating event, a task, a run...): it is left alone on both sides.
  bool importable = false;
  std::string uid;
  Plan plan;
};

struct BookEntry {
  std::string uid, href, etag;
  Row row;               // where the event sits in the table
  std::string localFp;   // Fingerprint of the table's row then
  std::string serverFp;  // Fingerprint of the server's event then
};

struct Local {
  std::vector<Plan> plans;       // the table's live rows with text, runs left out
  std::vector<Row> archived;     // rows of the archive of past months
  ics::Date monthStart;          // the first day of this month
  bool purgeDeletes = false;     // the purge deletes instead of archiving
};

struct Action {
  std::string uid;
  enum class Kind { Push, Pull, DeleteThere, DeleteHere, Conflict, Forget, Record } kind = Kind::Record;

  // The table: clear the row `clear` when set; write `write` when set. A
  // pulled plan is placed by the import's rules (its row taken by another
  // plan sends it to the day's next free row, its time in front); a merged
  // one is written in its own row.
  bool clearRow = false;
  Row clear;
  bool writeRow = false;
  Plan write;
  bool place = false;
  // What the table held in these rows when the run began: the table is
  // changed only while it still holds that (nothing a user typed meanwhile
  // is overwritten).
  bool expectPlan = false;
  Plan expect;

  // The server.
  enum class Remote { None, Put, Delete } remote = Remote::None;
  std::string href;
  std::string ifMatch;     // ETag for If-Match; empty with Put: If-None-Match: *
  Plan push;               // the plan to PUT (after the table's part)

  // The bookkeeping after success: the event's entry (Forget: removed).
  BookEntry entry;
};

// Decides the actions. collection is the calendar's URL path (ending in
// "/"), for the hrefs of new events.
std::vector<Action> Reconcile(const Local &local, const std::vector<ServerEvent> &server,
                              const std::vector<BookEntry> &book, const std::string &collection);

// The UID of a plan of Calixo's own in a row.
std::string PlanUid(const Row &row);
// Calixo's text and the server's text of one event changed on both sides.
std::string MergedText(const std::string &local, const std::string &server);

}  // namespace calixo::sync
