// countdown: the two-channel countdown. Each channel is a CountdownChannel,
// the plain state and arithmetic of one count (what a start sets, what the
// one-second progress tick shows, what an expiry resets); TFormMB (formmb.h)
// holds two of them, the check boxes, sliders and bars, and three timers
// taken from a TimerSource (timersource.h) so tests can step time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace calixo {

class CountdownChannel {
public:
  // The box was ticked with the slider at position (1..60) and the unit box
  // showing unitText (UTF-8). Exactly "秒" counts seconds; any other text
  // counts minutes. Returns the expiry timer's interval in milliseconds.
  int start(int position, const std::string &unitText);

  // One progress tick: RemainingMs goes down by 1000 whether the channel runs
  // or not; while ticked is true the bar's new position is returned
  // (0..100), otherwise nothing.
  std::optional<int> progressTick(bool ticked);

  // The expiry timer fired: the state returns to zero.
  void reset();

  // The bar's position for units left out of total: 100 - (left / total) *
  // 100 in double precision, rounded to the nearest integer with halves to
  // the even one, kept within 0..100.
  static int barPosition(int64_t unitsLeft, int totalUnits);

  // Milliseconds left as the progress tick sees them. 64 bits: it keeps
  // falling by 1000 a second while the channel is stopped, for as long as
  // the window lives, and must not wrap.
  int64_t RemainingMs = 0;
  int UnitDivisor = 0;  // 1 seconds, 60 minutes, 0 stopped
  int TotalUnits = 0;   // the slider position taken at start, 0 stopped
};

}  // namespace calixo
