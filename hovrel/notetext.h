// What a note keeps of an edit of its text. The memo table stores a note's
// text as at most 249 GBK bytes, so the editor holds no more than that: an
// edit that inserts a character GBK cannot store is refused, and inserted
// text is cut on a character boundary where the whole would outgrow the
// limit. Deletions always go through.
#pragma once

#include <QString>

namespace hovrel {

// The memo table's TEXT field width.
inline constexpr int kNoteTextBytes = 249;

struct SNoteTextFit {
  int at = 0;            // where the edit inserted text, in the edited text
  int inserted = 0;      // how many QChars it inserted there
  QString kept;          // what of them is kept
  bool refused = false;  // a character without a GBK form: nothing is kept
  bool cut = false;      // the inserted text did not fit and was cut
  bool changed() const { return refused || cut; }
};

// before: the text as last kept; after: the editor's text now. One edit is
// the change between them: the part of after between their common start and
// their common end.
SNoteTextFit fitNoteEdit(const QString &before, const QString &after, int maxBytes = kNoteTextBytes);

// The GBK bytes of text; a character without a GBK form counts as two.
int gbkSize(QStringView text);

}  // namespace hovrel
