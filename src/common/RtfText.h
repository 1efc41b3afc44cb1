#pragma once
// A reader of rich-text (RTF) documents, our own: one pass over the bytes
// gives the plain text and the colour of each of its characters, the way a
// rich-text box shows them.  Groups, control words with parameters, the
// colour table (mapped by the RGB values of its entries, whatever their
// order), \cf, \plain, \par, \line, \tab, \'hh (code page 1252), \uN with
// the \ucN skip, and the special characters are read; destinations that are
// not text (\*, font and colour tables, style sheet, info, pictures, objects,
// headers, fields' instructions ...) are skipped.  A damaged document
// (unbalanced braces, truncated, binary bytes) gives what could be read; the
// reader never fails, and its work is linear in the input.  What cannot be a
// rich-text document at all, a file that does not begin with "{\rtf" or
// binary data that claim more bytes than follow, is named in `problem`.

#include <QByteArray>
#include <QString>
#include <QVector>

#include "common/Grid.h"

namespace tw {

struct RtfText {
    QString text;            // paragraph and line ends are "\n", tabs "\t"
    QVector<Color> colors;   // one per character of text: r + 256 g + 65536 b
    QString problem;         // empty for a rich-text document, else why it is none (a sentence)
};

RtfText RtfTextRead(const QByteArray& bytes);

}  // namespace tw
