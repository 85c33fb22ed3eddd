// switches: the feature switches that live in Calixo.ini outside the 43-line
// template. Each is on (or at its default number) when its key is absent, so
// a deleted, empty or garbled settings file keeps every feature; the value 0
// turns a flag off. The 设置 dialog lists exactly the rows of Switches().
#pragma once

#include <string>
#include <vector>

namespace calixo {

// Text: a line of text (GBK as stored), empty when absent.
enum class SwitchKind { Flag, Number, Text };

struct SwitchRow {
  const char *Section;
  const char *Key;
  SwitchKind Kind;
  int Default;  // Flag: 1; Number: the value used when the key is absent; Text: 0
  int Min;      // Number only: the accepted range
  int Max;
  const char *Label;  // UTF-8, the dialog's text for this switch
};

// Every switch, in the order the dialog shows them.
const std::vector<SwitchRow> &Switches();
// The row of section/key (any letter case), or nullptr.
const SwitchRow *FindSwitch(const std::string &section, const std::string &key);

// What a stored value means for a switch: a flag is off only for "0"
// (blanks around it ignored); a number outside its range or not a number
// reads as its default. An empty value counts as absent.
bool SwitchFlagValue(const std::string &stored);
int SwitchNumberValue(const SwitchRow &row, const std::string &stored);
// A text: the stored value without the blanks around it.
std::string SwitchTextValue(const std::string &stored);

}  // namespace calixo
