#include "switches.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using calixo::SwitchFlagValue;
using calixo::SwitchNumberValue;

TEST(Switches, AFlagIsOffOnlyForZero) {
  const struct {
    const char *stored;
    bool on;
  } rows[] = {{"", true}, {"1", true}, {" 0 ", false}, {"0", false}, {"00", true}, {"yes", true},
              {"\t", true}};
  for (const auto &r : rows)
    EXPECT_EQ(SwitchFlagValue(r.stored), r.on) << '"' << r.stored << '"';
}

TEST(Switches, ANumberOutsideItsRangeReadsAsTheDefault) {
  const calixo::SwitchRow row{"S", "N", calixo::SwitchKind::Number, 10, 1, 120, "n"};
  const struct {
    const char *stored;
    int value;
  } rows[] = {{"", 10}, {"5", 5}, {" 120 ", 120}, {"0", 10}, {"121", 10}, {"5x", 10}, {"-3", 10}};
  for (const auto &r : rows)
    EXPECT_EQ(SwitchNumberValue(row, r.stored), r.value) << '"' << r.stored << '"';
}

TEST(Switches, RowsAreUniqueAndFoundInAnyLetterCase) {
  std::set<std::string> seen;
  for (const calixo::SwitchRow &s : calixo::Switches()) {
    std::string id = std::string(s.Section) + "/" + s.Key;
    for (char &c : id)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(id).second) << id;
    EXPECT_EQ(calixo::FindSwitch(id.substr(0, id.find('/')), id.substr(id.find('/') + 1)), &s);
  }
  EXPECT_EQ(calixo::FindSwitch("Lunar", "NoSuchKey"), nullptr);
}
