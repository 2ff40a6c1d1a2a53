#pragma once

class QComboBox;

namespace qz7 {

// Makes a combo box editable the way every editable box of ours behaves: a typed text is never
// added to the list, and the listed texts that begin with what was typed are offered in a popup,
// exactly as typed (case-sensitively). Nothing is completed into the box itself: inline
// completion remembers the last text typed and puts its completion in place of a selected text
// when Enter is pressed, and it would turn "off" into "Off".
void makeEditable(QComboBox* box);

}  // namespace qz7
