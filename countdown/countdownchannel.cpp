#include "countdownchannel.h"

#include <algorithm>
#include <cmath>

namespace calixo {

namespace {
const char kSeconds[] = "\xE7\xA7\x92";  // "秒"
}

int CountdownChannel::start(int position, const std::string &unitText) {
  const bool seconds = unitText == kSeconds;
  UnitDivisor = seconds ? 1 : 60;
  const int interval = position * (seconds ? 1000 : 60000);
  RemainingMs = interval;
  TotalUnits = position;
  return interval;
}

std::optional<int> CountdownChannel::progressTick(bool ticked) {
  RemainingMs -= 1000;
  // A channel is only ticked after a start, which sets both; the guard keeps
  // a stray tick from dividing by zero.
  if (!ticked || UnitDivisor == 0 || TotalUnits == 0)
    return std::nullopt;
  // C++ integer division truncates toward zero, as the count requires: for
  // minutes this is the number of whole minutes left.
  const int64_t unitsLeft = (RemainingMs / UnitDivisor) / 1000;
  return barPosition(unitsLeft, TotalUnits);
}

void CountdownChannel::reset() {
  RemainingMs = 0;
  UnitDivisor = 0;
  TotalUnits = 0;
}

int CountdownChannel::barPosition(int64_t unitsLeft, int totalUnits) {
  const double done = 100.0 - (static_cast<double>(unitsLeft) / totalUnits) * 100.0;
  // Round half to even by hand, so the result never depends on the
  // floating-point rounding mode someone left set.
  double rounded = std::floor(done);
  const double fraction = done - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
    rounded += 1.0;
  return static_cast<int>(std::clamp(rounded, 0.0, 100.0));
}

}  // namespace calixo
