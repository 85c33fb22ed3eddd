// An anniversary row as the tests write it: kind 'G' or 'L', month (a leap
// lunar month negative), day (0: the month's last), text in UTF-8.
#pragma once

#include "gbk.h"
#include "repeats.h"

inline repeats::SREPEATDATA rep(char kind, int month, int day, const char *textUtf8 = "x") {
  repeats::SREPEATDATA r;
  r.Kind = kind;
  r.Month = month;
  r.Day = day;
  calixo::utf8ToGbk(textUtf8, r.Text);
  return r;
}
