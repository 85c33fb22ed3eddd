// settings: the one settings object, TCalixoini, over "Calixo.ini" in the
// current directory. The file selects the month pictures and the picture
// buttons' bitmaps; it is written from a commented template when missing and
// otherwise only read. Plain C++: values are GBK bytes as stored.
#pragma once

#include <string>

class TCalixoini {
public:
  std::string FileName = "Calixo.ini";

  // The value of key in section ("" when the file, section or key is missing).
  std::string ReadSetting(const std::string &section, const std::string &key) const;
  // Writes the 43-line template when the file is missing. False when it
  // cannot be written (every value then reads as ""); why then receives the
  // file and the reason ("/home/u/Calixo.ini: Permission denied").
  bool WriteDefaultSettings(std::string *why = nullptr) const;
  // The template's exact bytes (GBK, CR LF after every line).
  static const std::string &DefaultTemplate();

  // [Lunar] Extended, a switch of switches.h: on unless 0, so a missing or
  // garbled file keeps today's lunar dates; 0 keeps the labels to 1921-2010.
  bool LunarExtended() const;
  // [Lunar] Festivals, read the same way. The grid shows festivals and solar
  // terms only when LunarExtended is on as well.
  bool LunarFestivals() const;

  // A feature switch of switches.h: on when its key is absent or empty, off
  // only for 0. Section and key must be a row of calixo::Switches().
  bool SwitchOn(const std::string &section, const std::string &key) const;
  // A number switch: its default when absent, empty, not a number or out of
  // its range.
  int SwitchNumber(const std::string &section, const std::string &key) const;
  // A text switch: its value (GBK) without blanks around it, "" when absent.
  std::string SwitchText(const std::string &section, const std::string &key) const;
};
