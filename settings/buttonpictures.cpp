#include "buttonpictures.h"

#include "calixoini.h"


namespace calixo {

namespace {

struct SButtonRow {
  const char *section;
  const char *key;
  const char *resource;
};

// The buttons and their built-in pictures. The year and month step buttons
// share the two arrow bitmaps; both alarm and run buttons of the time-list
// window share the small green and red ones.
constexpr SButtonRow kButtons[] = {
    {"Mainbutton", "B1", "BMPBUTRED"},      {"Mainbutton", "B2", "BMPBUTBLUE"},
    {"Mainbutton", "B3", "BMPBUTGREEN"},    {"Mainbutton", "B4L", "BMPLAST"},
    {"Mainbutton", "B4R", "BMPNEXT"},       {"Mainbutton", "B5L", "BMPLAST"},
    {"Mainbutton", "B5R", "BMPNEXT"},       {"Mainbutton", "B6", "BMPBUTCLOSE"},
    {"Clockbutton", "B1S", "BMPBUTSGREEN"}, {"Clockbutton", "B1U", "BMPBUTSRED"},
    {"Clockbutton", "B2S", "BMPBUTSGREEN"}, {"Clockbutton", "B2U", "BMPBUTSRED"},
    {"Notebutton", "B1S", "BMPBUTSBLUE"},   {"Notebutton", "B1U", "BMPBUTSRED"},
};

bool asciiEqual(const char *a, const std::string &b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  size_t i = 0;
  for (; a[i] != '\0'; ++i) {
    if (i >= b.size() || lower(a[i]) != lower(b[i]))
      return false;
  }
  return i == b.size();
}

}  // namespace

std::string builtinButtonPicture(const std::string &section, const std::string &key) {
  for (const SButtonRow &row : kButtons) {
    if (asciiEqual(row.section, section) && asciiEqual(row.key, key))
      return std::string(":/bmp/") + row.resource + ".bmp";
  }
  return {};
}

SButtonPicture buttonPicture(const TCalixoini &settings, const std::string &section,
                             const std::string &key) {
  return {settings.ReadSetting(section, key), builtinButtonPicture(section, key)};
}

}  // namespace calixo
