// Fuzz target of the INI reader: any bytes as a settings file, looked up with
// the program's own section/key pairs and with a pair cut from the input.
// Besides not crashing, every answer must be at most 300 bytes and either the
// default or bytes that stand in the file unchanged.
#include "ini.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(std::string_view text, std::string_view section, std::string_view key) {
  static constexpr std::string_view kDefault = "\x01<none>\x01";
  const std::string v = calixo::profileStringFromText(text, section, key, kDefault);
  if (v.size() > calixo::kProfileValueMax)
    std::abort();
  if (v != kDefault && text.find(v) == std::string_view::npos)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  static constexpr std::string_view kPairs[][2] = {
      {"Monthbmp", "M1"}, {"Mainbutton", "b4L"}, {"Clockbutton", "b1S"}, {"notebutton", "B1U"}, {"", ""}};
  for (const auto &p : kPairs)
    check(text, p[0], p[1]);
  const size_t cut = std::min<size_t>(size, 8);
  check(text, text.substr(0, cut), text.substr(cut, 4));
  return 0;
}
