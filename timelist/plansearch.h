// The plan search behind 查找: every plan whose text contains what the user
// typed, with its date and time, from any number of sources (the time table,
// the archive of past months; other kinds of entries can join as sources of
// their own). Texts are GBK bytes; ASCII letters match regardless of case and
// a match never starts or ends inside a two-byte character. Plain C++.
#pragma once

#include "dbf.h"

#include <functional>
#include <string>
#include <vector>

struct SFoundPlan {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0;
  std::string Text;   // GBK
  bool History = false;  // from the archive of past months
};

// Appends every plan of one source whose text contains needle to out.
using TPlanSource = std::function<void(const std::string &needle, std::vector<SFoundPlan> &out)>;

// The plans of every source whose text contains text (GBK), ordered by date
// and time, ties in source order. Nothing for an empty text.
std::vector<SFoundPlan> FindPlans(const std::string &text, const std::vector<TPlanSource> &sources);

// One pass over a table of the time table's fields (DATE, TIME, DO), live
// records only; each hit is marked history as given. Engine errors pass through.
void FindPlansInTable(dbf::TDbfDataSet &table, const std::string &needle, bool history,
                      std::vector<SFoundPlan> &out);

// Does GBK text contain needle, as FindPlans matches?
bool PlanTextContains(std::string_view text, std::string_view needle);
