#include "remindersound.h"

#include <canberra.h>

#include <dlfcn.h>

namespace calixo {

namespace {

void ignoreAlsaMessage(const char *, int, const char *, int, const char *, ...) {}

// libcanberra's ALSA backend fails on a machine without a sound device, and
// ALSA prints each failure to standard error itself, ten lines for every
// reminder. Silence is all that failure means here, so ALSA is given a handler
// that prints nothing, when the library is there (it is looked up at run
// time: only the backend links it).
void quietAlsa() {
  static const bool done = [] {
    if (void *alsa = ::dlopen("libasound.so.2", RTLD_LAZY)) {
      using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
      using SetHandler = int (*)(Handler);
      if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
        set(&ignoreAlsaMessage);
    }
    return true;
  }();
  (void)done;
}

class CanberraSound final : public ReminderSound {
public:
  ~CanberraSound() override {
    if (m_context)
      ca_context_destroy(m_context);
  }

  bool play() override {
    if (!m_context) {
      quietAlsa();
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
