#include "remindersound.h"

#include <canberra.h>

namespace calixo {

namespace {

class CanberraSound final : public ReminderSound {
public:
  ~CanberraSound() override {
    if (m_context)
      ca_context_destroy(m_context);
  }

  bool play() override {
    if (!m_context) {
      if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
      }
      ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Calixo", CA_PROP_APPLICATION_ID,
                              "calixo", nullptr);
    }
    // Every failure (no sound server, no device, no sound theme) is silence
    // by design: the box and the notification remind all the same.
    return ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "alarm-clock-elapsed",
                           CA_PROP_EVENT_DESCRIPTION, "Calixo 提醒", nullptr) == CA_SUCCESS;
  }

private:
  ca_context *m_context = nullptr;
};

}  // namespace

std::unique_ptr<ReminderSound> canberraSound() { return std::make_unique<CanberraSound>(); }

}  // namespace calixo
