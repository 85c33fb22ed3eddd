// Keeps an input method's unfinished pre-edit out of an editor's text. When
// the focus leaves an editor in the middle of a composition, the input method
// (fcitx's Qt module among them) hands the pre-edit back as a commit: the
// pinyin letters, which the user never chose. An editor that stores every
// change of its text would store them. The guard, an event filter on the
// editor, empties such a commit; commits while the editor has the focus, or
// with no composition going on, pass unchanged.
#pragma once

class QWidget;

namespace calixo {

// The guard lives as long as the widget.
void dropPreeditOnFocusLoss(QWidget *editor);

}  // namespace calixo
