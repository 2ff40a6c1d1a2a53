#pragma once

#include <QFont>
#include <QStringList>

namespace qz7 {

// Fonts of the windows. Each names the family the windows are drawn for and, after it,
// comparable families for systems that lack it; the first installed family that can write
// Russian is used, the last one of the list when none can.
QFont windowDefaultFont();                        // Tahoma 8 pt (11 px)
QFont tahomaFont(int pixelSize, bool bold);       // headings, command buttons
QFont comicFont(int pixelSize, bool bold);        // the launch manager's large buttons
QFont arialNarrowFont(int pixelSize, bool bold);  // captions of the settings
QFont arialFont(int pixelSize, bool bold, bool italic = false);  // lists, labels, edit boxes

// A font of the first family of the list that is installed and has Russian letters ("Name
// Condensed" also found as the condensed width of "Name"); the last one when none qualifies.
QFont firstCyrillicFont(const QStringList& families);

}  // namespace qz7
