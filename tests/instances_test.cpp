// Starting the program again: in a data folder where it already runs, the
// new start brings the running copy's main window forward and ends with
// status 0 before it touches a table; in another folder it runs beside the
// first. A second start on the 1st of a month (which would compact the time
// table under the running copy's feet) costs none of the plans the running
// copy is typing.
#include "robust_support.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <memory>
#include <regex>

#include <sys/stat.h>

namespace {

using namespace robust;

struct Entry {
  std::string time, text;
  bool deleted;
};

// dbfdump's lines of the records: the TIME text and DO.
std::vector<Entry> dumpEntries(const std::string &dump) {
  std::vector<Entry> out;
  static const std::regex record(
      R"re(^\{"record":\d+,"deleted":(true|false),"fields":\{.*"TIME":\{"text":"([^"]*)".*"DO":"((?:[^"\\]|\\.)*)"\}\}$)re");
  std::istringstream in(dump);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_match(line, m, record))
      out.push_back({m[2], m[3], m[1] == "true"});
  }
  return out;
}

// The position of a top-level window in the stacking order of the test's
// display (0 is the bottom); -1 when it is not there.
int stackingPosition(unsigned long window) {
  std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr), &xcb_disconnect);
  if (xcb_connection_has_error(c.get()))
    return -1;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
  std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
      xcb_query_tree_reply(c.get(), xcb_query_tree(c.get(), root), nullptr), &std::free);
  if (!tree)
    return -1;
  const xcb_window_t *kids = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
    if (kids[i] == window)
      return i;
  return -1;
}

// Waits until the program has ended; its exit status, or -1 when it still
// runs at the deadline or was killed.
int waitForExit(Program &p, std::chrono::milliseconds limit) {
  int status = 0;
  if (!waitUntil([&] { return ::waitpid(p.pid(), &status, WNOHANG) == p.pid(); }, limit))
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Instances : public TempDirTest {};

TEST_F(Instances, ASecondStartInTheSameFolderBringsTheFirstForward) {
  copyShippedFiles(dir());
  const fs::path elsewhere = dir() / "elsewhere";
  fs::create_directory(elsewhere);
  copyShippedFiles(elsewhere);
  const Xdo x;
  ProgramOptions a, other;
  a.tag = "a";
  other.tag = "other";
  Program first(dir(), a);
  const Window mainFirst = x.waitForWindow(first.pid(), 586, 353, 30s);
  ASSERT_NE(mainFirst.id, 0u) << "the first copy shows no main window: " << first.errors();
  // A copy in another folder runs beside it; its main window opens on top.
  Program beside(elsewhere, other);
  const Window mainBeside = x.waitForWindow(beside.pid(), 586, 353, 30s);
  ASSERT_NE(mainBeside.id, 0u) << "a copy in another folder did not start: " << beside.errors();
  ASSERT_LT(stackingPosition(mainFirst.id), stackingPosition(mainBeside.id));

  ProgramOptions b;
  b.tag = "b";
  const std::string memosBefore = readFile(findFile(dir(), "TextList.dbf"));
  Program second(dir(), b);
  EXPECT_EQ(waitForExit(second, 20s), 0) << "the second start did not end: " << second.errors();
  EXPECT_EQ(countOf(second.errors(), "calixo: "), 0) << second.errors();
  waitUntil([&] { return stackingPosition(mainFirst.id) > stackingPosition(mainBeside.id); }, 10s);
  EXPECT_GT(stackingPosition(mainFirst.id), stackingPosition(mainBeside.id))
      << "the running copy's main window did not come forward";
  EXPECT_TRUE(first.running()) << first.errors();
  EXPECT_TRUE(beside.running()) << beside.errors();
  EXPECT_EQ(readFile(findFile(dir(), "TextList.dbf")), memosBefore);
}

TEST_F(Instances, ASecondStartOnTheFirstLosesNoPlanOfTheRunningCopy) {
  copyShippedFiles(dir());
  XServer secondServer;
  ASSERT_FALSE(secondServer.display().empty()) << "no second X server";
  const Xdo x;
  ProgramOptions a;
  a.tag = "a";
  Program first(dir(), a);
  const Window main = x.waitForWindow(first.pid(), 586, 353, 30s);
  ASSERT_NE(main.id, 0u) << "the first copy shows no main window: " << first.errors();
  ASSERT_TRUE(x.clickAt(main.x + 529 + 12, main.y + 45 + 12));  // the red button
  const Window list = x.waitForWindow(first.pid(), 237, 266, 10s);
  ASSERT_NE(list.id, 0u) << "the red button opened no time list";
  // The 7:00 row is the grid's second; its text column starts 81 pixels in.
  // Typing into a row replaces its text; the row's time is clicked first,
  // since a click on the text cell already selected would open its editor
  // only after the double-click time.
  auto typeInto = [&](int row, const std::string &text) {
    ASSERT_TRUE(x.clickAt(list.x + 10 + 40, list.y + 40 + 18 + 18 * row + 9));
    ASSERT_TRUE(x.clickAt(list.x + 10 + 81 + 30, list.y + 40 + 18 + 18 * row + 9));
    ASSERT_TRUE(x.type(text));
    ASSERT_TRUE(x.run("key Return"));
  };
  typeInto(1, "alpha");

  // Started on the 1st, a copy that ran would compact the time table at once.
  const fs::path table = findFile(dir(), "TimeList.dbf");
  ASSERT_FALSE(table.empty());
  auto inode = [&table] {
    struct stat st {};
    return ::stat(table.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto before = inode();
  ProgramOptions b;
  b.tag = "b";
  b.display = secondServer.display();
  b.fakeStart = "2026-12-01 09:00:00";
  Program second(dir(), b);
  waitUntil([&] { return !second.running() || inode() != before; }, 30s, 20ms);
  EXPECT_FALSE(second.running()) << "the second start runs beside the first";

  typeInto(1, "alpha two");
  typeInto(3, "bravo");  // 8:00

  // The table once the last keystroke is stored (or the time is up).
  const std::string dumpFile = (dir() / "dump.txt").string();
  int rc = 0;
  std::string dump;
  waitUntil(
      [&] {
        rc = std::system(("'" CALIXO_DBFDUMP "' '" + findFile(dir(), "TimeList.dbf").string() + "' >'" +
                          dumpFile + "'")
                             .c_str());
        dump = readFile(dumpFile);
        return dump.find("\"bravo\"") != std::string::npos;
      },
      10s, 100ms);
  EXPECT_TRUE(first.running()) << first.errors();
  EXPECT_EQ(rc, 0) << "dbfdump refused the table";
  std::vector<std::string> texts;
  for (const Entry &e : dumpEntries(dump)) {
    EXPECT_FALSE(e.deleted) << dump;
    texts.push_back(e.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"alpha two", "bravo"})) << dump;
}

}  // namespace
