#include "lunar.h"

#include <array>

namespace lunar {

namespace {
constexpr std::array<const char *, 10> Stems = {"甲", "乙", "丙", "丁", "戊",
                                                "己", "庚", "辛", "壬", "癸"};
constexpr std::array<const char *, 12> Branches = {"子", "丑", "寅", "卯", "辰", "巳",
                                                   "午", "未", "申", "酉", "戌", "亥"};
constexpr std::array<const char *, 12> Animals = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                                  "马", "羊", "猴", "鸡", "狗", "猪"};

int floorMod(long long a, int n) { return static_cast<int>(((a % n) + n) % n); }

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's days_from_civil).
long long daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}
}  // namespace

std::string StemBranchName(int cycle) {
  if (cycle < 0 || cycle > 59)
    return {};
  return std::string(Stems[static_cast<size_t>(cycle % 10)]) + Branches[static_cast<size_t>(cycle % 12)];
}

// 1984 (RocYear 73) opened a cycle: 甲子.
int YearStemBranch(int lunarRocYear) { return floorMod(lunarRocYear + 1911 - 1984, 60); }

std::string ZodiacName(int lunarRocYear) {
  return Animals[static_cast<size_t>(YearStemBranch(lunarRocYear) % 12)];
}

// 1970-01-01 was 辛巳, number 17 of the cycle.
int DayStemBranch(int year, int month, int day) {
  return floorMod(daysFromCivil(year, month, day) + 17, 60);
}

}  // namespace lunar
