// The agenda: everything the data folder (the current directory) holds for a
// range of days, one line each, for `calixo --agenda FROM TO`: the time
// table's plans (with those of past months in the archive TIMEHIST.DBF) and
// the anniversaries' occurrences in date and time order,
// tab-separated (date, time, kind, text), UTF-8. Reads only; a missing table
// is simply empty and is not created. Plain C++.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace repeats {

// args are the words after --agenda. Exit status: 0 printed, 2 a bad date or
// range (usage on err), 1 a table that cannot be read (its name and the
// reason on err).
int runAgenda(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

}  // namespace repeats
