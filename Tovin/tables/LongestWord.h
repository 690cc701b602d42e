// The widest stretch of a text that a line cannot break: a word with the punctuation that
// touches it, measured run by run in each run's own font, plus its paragraph's indents. A
// table column narrower than this (and the cell's padding) would cut the word, so the
// table view widens it on screen where the table's width allows.
#pragma once

#include <QtGlobal>

class QTextDocument;

namespace tovin {

// In pixels at the document's fonts; 0 for a document without text. Spaces, tabs, line
// breaks and object characters (pictures, nested tables: laid out at the column's width)
// end a word.
qreal longestWord(const QTextDocument& document);

}  // namespace tovin
