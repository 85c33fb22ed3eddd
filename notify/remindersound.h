// The one sound of a reminder, the sound theme's "alarm-clock-elapsed",
// played through libcanberra (which finds the desktop's sound server). A
// seam, so that tests count the sounds instead of hearing them.
#pragma once

#include <memory>

namespace calixo {

class ReminderSound {
public:
  virtual ~ReminderSound() = default;
  // Starts the sound and returns at once; false when nothing could play it
  // (no sound server, no device, no theme), which is silence and no error.
  virtual bool play() = 0;
};

// The desktop's sound through libcanberra.
std::unique_ptr<ReminderSound> canberraSound();

}  // namespace calixo
