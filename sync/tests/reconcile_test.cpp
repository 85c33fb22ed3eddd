#include "reconcile.h"
#include "syncbook.h"

#include <gtest/gtest.h>

#include <optional>

using namespace calixo::sync;

namespace {

const Row r9{{2026, 12, 8}, 9, 0};
const Row r10{{2026, 12, 8}, 10, 0};
const Row past{{2026, 11, 3}, 9, 0};
const std::string cal = "/u/cal/";
const std::string uid9 = "plan-20261208-0900@calixo";

Plan P(const char *text, Row row = r9, bool alarm = false) { return Plan{row, text, alarm}; }

// One event as the three sides hold it: what both held at the last run (none:
// never synced), the table and the server now.
struct Case {
  const char *name;
  std::optional<Plan> then, table, server;
  const char *uid;
  Action::Kind kind;
  Action::Remote remote;
  const char *ifMatch;       // for a Put/Delete
  std::optional<Row> clear = {};   // the row cleared
  std::optional<Plan> write = {};  // the plan written into the table
  const char *pushed = "";   // the text PUT
  Row where = r9;            // the plan's row (archived cases)
  bool importable = true;
};

std::vector<Action> run(const Case &c, Local local = {}) {
  local.monthStart = {2026, 12, 1};
  if (c.table)
    local.plans.push_back(*c.table);
  std::vector<ServerEvent> server;
  if (c.server)
    server.push_back(ServerEvent{"/u/cal/e.ics", "\"e1\"", c.importable, c.uid, *c.server});
  std::vector<BookEntry> book;
  if (c.then)
    book.push_back(BookEntry{c.uid, "/u/cal/e.ics", "\"e0\"", c.then->row, Fingerprint(*c.then), Fingerprint(*c.then)});
  return Reconcile(local, server, book, cal);
}

}  // namespace

TEST(Reconcile, EachSideAndBothSidesFollowTheRules) {
  using K = Action::Kind;
  using R = Action::Remote;
  const Case cases[] = {
      {"new in the table", {}, P("A"), {}, uid9.c_str(), K::Push, R::Put, "", {}, {}, "A"},
      {"new on the server", {}, {}, P("B"), "x@phone", K::Pull, R::None, "", {}, P("B")},
      {"same new event on both", {}, P("A"), P("A"), uid9.c_str(), K::Record, R::None, ""},
      {"changed in the table", P("A"), P("A2"), P("A"), uid9.c_str(), K::Push, R::Put, "\"e1\"", {}, {}, "A2"},
      {"changed on the server", P("A"), P("A"), P("B"), uid9.c_str(), K::Pull, R::None, "", r9, P("B")},
      {"moved on the server", P("A"), P("A"), P("A", r10), "x@phone", K::Pull, R::None, "", r9, P("A", r10)},
      {"alarm set on the server", P("A"), P("A"), P("A", r9, true), uid9.c_str(), K::Pull, R::None, "", r9,
       P("A", r9, true)},
      {"deleted in the table", P("A"), {}, P("A"), uid9.c_str(), K::DeleteThere, R::Delete, "\"e1\""},
      {"deleted on the server", P("A"), P("A"), {}, uid9.c_str(), K::DeleteHere, R::None, "", r9},
      {"deleted here, changed there", P("A"), {}, P("B"), uid9.c_str(), K::Pull, R::None, "", {}, P("B")},
      {"deleted there, changed here", P("A"), P("A2"), {}, uid9.c_str(), K::Push, R::Put, "", {}, {}, "A2"},
      {"deleted on both", P("A"), {}, {}, uid9.c_str(), K::Forget, R::None, ""},
      {"changed on both", P("A"), P("A2"), P("B2", r10, true), uid9.c_str(), K::Conflict, R::Put, "\"e1\"", {},
       P("A2\xA3\xBB" "B2", r9, true), "A2\xA3\xBB" "B2"},
      {"changed alike on both", P("A"), P("A2"), P("A2"), uid9.c_str(), K::Record, R::None, ""},
      {"new on both, differently", {}, P("A"), P("B"), uid9.c_str(), K::Conflict, R::Put, "\"e1\"", {},
       P("A\xA3\xBB" "B"), "A\xA3\xBB" "B"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Action> actions = run(c);
    ASSERT_EQ(actions.size(), 1u);
    const Action &a = actions[0];
    EXPECT_EQ(a.uid, c.uid);
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.remote, c.remote);
    if (c.remote != R::None) {
      EXPECT_EQ(a.ifMatch, c.ifMatch);
    }
    EXPECT_EQ(a.clearRow, c.clear.has_value());
    if (c.clear) {
      EXPECT_EQ(a.clear, *c.clear);
    }
    EXPECT_EQ(a.writeRow, c.write.has_value());
    if (c.write) {
      EXPECT_EQ(a.write, *c.write);
    }
    if (c.remote == R::Put) {
      EXPECT_EQ(a.push.text, c.pushed);
    }
    // Whatever the table had when the run read it is checked again before
    // the table is changed.
    if ((a.clearRow || (a.writeRow && !a.place)) && c.table) {
      EXPECT_TRUE(a.expectPlan && a.expect == *c.table);
    }
  }
}

TEST(Reconcile, NothingHappensWhereNothingChangedOrCannotBeHeld) {
  // Unchanged on both sides; a plan the purge moved into the archive (its
  // event stays on the server); an event that became a repeating one.
  Case unchanged{"", P("A"), P("A"), P("A"), uid9.c_str(), {}, {}, ""};
  EXPECT_EQ(run(unchanged).size(), 1u);  // only the new ETag recorded
  EXPECT_EQ(run(unchanged)[0].kind, Action::Kind::Record);
  Case archived{"", P("A", past), {}, P("A", past), uid9.c_str(), {}, {}, ""};
  Local withArchive;
  withArchive.archived.push_back(past);
  for (const Action &a : run(archived, withArchive)) {
    EXPECT_EQ(a.remote, Action::Remote::None);
  }
  Case repeating = unchanged;
  repeating.table = {};
  repeating.importable = false;
  EXPECT_TRUE(run(repeating).empty());
}

TEST(Reconcile, ANewPlanInARowWhoseEventMovedAwayGetsAUidOfItsOwn) {
  Local local;
  local.monthStart = {2026, 12, 1};
  local.plans = {P("moved", r10), P("new", r9)};
  const std::vector<BookEntry> book{
      {uid9, "/u/cal/a.ics", "\"e\"", r10, Fingerprint(P("moved", r10)), Fingerprint(P("moved", r10))}};
  const std::vector<ServerEvent> server{{"/u/cal/a.ics", "\"e\"", true, uid9, P("moved", r10)}};
  const std::vector<Action> actions = Reconcile(local, server, book, cal);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].uid, "plan-20261208-0900-2@calixo");
  EXPECT_EQ(actions[0].href, "/u/cal/plan-20261208-0900-2@calixo.ics");
}

TEST(SyncBook, ReadsBackWhatItWritesAndRefusesAnythingElse) {
  Book book{"http://h/cal/", {{"x@phone", "/cal/x.ics", "\"1\"", r9, Fingerprint(P("A")), Fingerprint(P("B"))}}};
  Book back;
  std::string error;
  ASSERT_TRUE(ParseBook(BookText(book), back, error)) << error;
  EXPECT_EQ(back.url, book.url);
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].row, r9);
  EXPECT_EQ(back.entries[0].serverFp, book.entries[0].serverFp);
  const std::string good = BookText(book);
  const struct {
    std::string text;
    const char *line;
  } bad[] = {{"", "第 0 行"},
             {"something else\n", "第 1 行"},
             {good + "x@y\t/h\t\"1\"\t20261308\t0900\t0123456789abcdef\t0123456789abcdef\n", "第 4 行"},
             {good.substr(0, good.size() - 5) + "\n", "第 3 行"}};
  for (const auto &b : bad) {
    EXPECT_FALSE(ParseBook(b.text, back, error)) << b.text;
    EXPECT_NE(error.find(b.line), std::string::npos) << error;
  }
}
