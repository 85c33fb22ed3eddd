// The program's TimerSource: timers that are QTimer events on the event
// loop's thread.
#pragma once

#include "timersource.h"

namespace calixo {

TimerSource &qtTimerSource();

}  // namespace calixo
