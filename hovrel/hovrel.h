// Hovrel: the sticky-note library. CreatTopWnd opens a small always-on-top
// note window for one memo record; the record stays owned by the caller. The
// note shows the record's Caption and Text, lets the user edit, lock, move and
// close it, and reports every change to the owner window with a
// HovrelMessageEvent sent synchronously (QCoreApplication::sendEvent), whose
// wParam is the record pointer it was given. The note never frees, resizes or
// replaces the record's texts; it writes only Lock, Show and NoteWnd.
//
// libhovrel.so is linked at load time and exports CreatTopWnd by name; this
// header is all a caller needs.
#pragma once

#include <QEvent>

#include <cstddef>
#include <cstdint>

class QWidget;

// One memo in memory, shared between the memo list and the note library.
// The field order is fixed; on x86-64 pointers and window handles are eight
// bytes wide, which gives the offsets checked below (64 bytes in all).
struct SMEMOLISTDATA {
  double DateTime;   // creation date and time: days since 30 December 1899, local time
  char *Text;        // NUL-terminated GBK text, nullptr for an empty text (owned by the list)
  int32_t Lock;      // 1 while the note is locked; written by the note
  int32_t X;         // position as stored in the memo table (the list leaves it 0)
  int32_t Y;
  int32_t Show;      // 1 while the note is shown; the note writes 0 when it closes
  int32_t RecNo;     // physical record number in the memo table, 1-based
  int32_t Index;     // position in the list, 0-based
  QWidget *NoteWnd;  // the note window, set by CreatTopWnd
  char *Extra;       // unused, left nullptr
  char *Caption;     // NUL-terminated GBK title of the note (owned by the list)
};

static_assert(sizeof(void *) == 8, "the documented layout is the x86-64 one");
static_assert(offsetof(SMEMOLISTDATA, DateTime) == 0);
static_assert(offsetof(SMEMOLISTDATA, Text) == 8);
static_assert(offsetof(SMEMOLISTDATA, Lock) == 16);
static_assert(offsetof(SMEMOLISTDATA, X) == 20);
static_assert(offsetof(SMEMOLISTDATA, Y) == 24);
static_assert(offsetof(SMEMOLISTDATA, Show) == 28);
static_assert(offsetof(SMEMOLISTDATA, RecNo) == 32);
static_assert(offsetof(SMEMOLISTDATA, Index) == 36);
static_assert(offsetof(SMEMOLISTDATA, NoteWnd) == 40);
static_assert(offsetof(SMEMOLISTDATA, Extra) == 48);
static_assert(offsetof(SMEMOLISTDATA, Caption) == 56);
static_assert(sizeof(SMEMOLISTDATA) == 64);

// The private messages a note sends to its owner.
constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_MEMO_LOCK = WM_USER + 200;    // Lock changed; lParam 0
constexpr unsigned WM_MEMO_TEXT = WM_USER + 210;    // lParam: the new text (GBK, NUL-terminated)
constexpr unsigned WM_MEMO_REDRAW = WM_USER + 220;  // the memo's row should be repainted; lParam 0
constexpr unsigned WM_MEMO_SHOW = WM_USER + 230;    // Show changed; lParam 0
constexpr unsigned WM_MEMO_SPARE = WM_USER + 240;   // never acted on; lParam 0

// A window message as a Qt event. The type is a fixed number rather than a
// registered one so that the library and the program agree on it without
// sharing any state.
class HovrelMessageEvent : public QEvent {
public:
  static constexpr QEvent::Type EventType = static_cast<QEvent::Type>(QEvent::User + 0x0400);

  HovrelMessageEvent(unsigned message, uintptr_t wParam, intptr_t lParam)
      : QEvent(EventType), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

  unsigned message() const { return m_message; }
  uintptr_t wParam() const { return m_wParam; }
  intptr_t lParam() const { return m_lParam; }
  SMEMOLISTDATA *memo() const { return reinterpret_cast<SMEMOLISTDATA *>(m_wParam); }

private:
  unsigned m_message;
  uintptr_t m_wParam;
  intptr_t m_lParam;
};

extern "C" {
// Opens the note of memo; when it returns the note is shown and memo->NoteWnd
// holds it. owner receives the note's messages; instance is not used. The
// result is 1 when a note was opened, 0 for a null memo; callers ignore it.
__attribute__((visibility("default"))) int CreatTopWnd(SMEMOLISTDATA *memo, QWidget *owner,
                                                       void *instance);
}
