// The lunar year records: the classic table, one per Gregorian year from 1912
// to 2011, kept exactly as published, and its extension for 2012 to 2100,
// written by tools/lunar-years from the majority of four sources. A record: leap month (2 digits, 13 = none), month-size
// bits (4 digits), leap-month length code (1 digit), days of the Gregorian year
// before the lunar new year (2 digits).
//
// The records are data, not derived from one another: in four places (after
// 1915, 1930, 1932 and 1943) a year's length and the next record's new-year day
// disagree by one day, and the conversion uses them as they stand.
#include "lunar.h"

namespace lunar {

namespace {
// Element i holds the record of RocYear i + 1.
constexpr std::array<std::string_view, 100> LunarYearTable = {
    /* 1912 */ "132637048", "133365036", "053365225", "132900044", "131386034",
    /* 1917 */ "022778122", "132395041", "071175231", "131175050", "132635038",
    /* 1922 */ "052891127", "131701046", "131748035", "042741223", "130694043",
    /* 1927 */ "132391032", "021327122", "131175040", "061623129", "133402047",
    /* 1932 */ "133402036", "051769125", "131453044", "130694034", "032158223",
    /* 1937 */ "132350041", "073213230", "133221049", "133402038", "063466226",
    /* 1942 */ "132901045", "131130035", "042651224", "130605043", "132349032",
    /* 1947 */ "023371121", "132709040", "072901128", "131738047", "132901036",
    /* 1952 */ "051333226", "131210044", "132651033", "031111223", "131323042",
    /* 1957 */ "082714130", "133733048", "131706038", "062794127", "132741045",
    /* 1962 */ "131206035", "042734124", "132647043", "131318032", "033878120",
    /* 1967 */ "133477039", "071461129", "131386047", "132413036", "051245126",
    /* 1972 */ "131197045", "132637033", "043405122", "133365041", "083413130",
    /* 1977 */ "132900048", "132922037", "062394227", "132395046", "131179035",
    /* 1982 */ "042711124", "132635043", "102855132", "131701050", "131748039",
    /* 1987 */ "062804128", "132742047", "132359036", "051199126", "131175045",
    /* 1992 */ "131611034", "031866122", "133749040", "081717130", "131452049",
    /* 1997 */ "132742037", "052413127", "132350046", "133222035", "043477123",
    /* 2002 */ "133402042", "133493031", "021877121", "131386039", "072747128",
    /* 2007 */ "130605048", "132349037", "053243125", "132709044", "132890033",
};
static_assert(LunarYearTable.size() == LastLunarYear - FirstLunarYear + 1);

// Element i holds the record of RocYear i + 101.
constexpr std::array<std::string_view, 89> ExtendedYearTable = {
#include "lunaryears-extended.inc"
};
static_assert(ExtendedYearTable.size() == LastExtendedLunarYear - LastLunarYear);

template <size_t N>
constexpr bool allRecordsWellFormed(const std::array<std::string_view, N> &table) {
  for (std::string_view r : table) {
    if (r.size() != 9)
      return false;
    for (char c : r)
      if (c < '0' || c > '9')
        return false;
  }
  return true;
}
static_assert(allRecordsWellFormed(LunarYearTable), "every record is nine decimal digits");
static_assert(allRecordsWellFormed(ExtendedYearTable), "every record is nine decimal digits");
}  // namespace

int LastYearOf(LunarTable table) {
  return table == LunarTable::Extended ? LastExtendedLunarYear : LastLunarYear;
}

std::optional<std::string_view> LunarYearRecord(int rocYear, LunarTable table) {
  if (rocYear < FirstLunarYear || rocYear > LastYearOf(table))
    return std::nullopt;
  if (rocYear <= LastLunarYear)
    return LunarYearTable[static_cast<size_t>(rocYear - FirstLunarYear)];
  return ExtendedYearTable[static_cast<size_t>(rocYear - LastLunarYear - 1)];
}

}  // namespace lunar
