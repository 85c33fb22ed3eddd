// Which picture a skin button shows: the bitmap file its settings key names,
// else a bitmap built into the program. Every picture button of the main,
// time-list and memo list windows takes its picture through buttonPicture,
// so the key table lives in one place.
#pragma once

#include <string>

class TCalixoini;

namespace calixo {

struct SButtonPicture {
  std::string File;      // the settings value: a bitmap path (GBK), "" when not set
  std::string Resource;  // the built-in picture, ":/bmp/NAME.bmp"; "" for an unknown key
};

// The built-in picture of the button that section/key selects (both matched
// regardless of case, "b4L" finds B4L), as a resource path; "" when the pair
// names no button.
std::string builtinButtonPicture(const std::string &section, const std::string &key);

// The settings value and the built-in fallback for one button. The window
// loads File and, when it is empty or cannot be loaded, Resource, without a
// message (TPictureButton::loadPicture does exactly that).
SButtonPicture buttonPicture(const TCalixoini &settings, const std::string &section,
                             const std::string &key);

}  // namespace calixo
