#pragma once
// Text helpers of the propagation decks and outputs: fixed-width numbers as
// the Fortran programs read them, hemisphere letters, a deck line builder
// with column tabs, and the line search and fixed-column fields of the
// output readers.  All pure.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tw {

class IUserInterface;

// A number as fixed-width, right-justified text, left-padded with blanks:
//   "I5"   whole number ("0"),            "F5.0" whole number and a point ("0."),
//   "F5.1" one decimal, no leading zero below 1 (".0"),
//   "F5.2" and "F6.2" two decimals, no leading zero below 1 (".00"),
//   "F7.1" one decimal (".0").
// Halves round away from zero; a value that rounds to zero carries no sign.
// A number too long for the width comes back longer than the width (the deck
// writer reports that); a value that is not finite comes back as a text one
// longer than the width made of "*".  Nothing for an unknown format.
std::optional<QString> FortranFormatText(double value, const QString& format);
// The width of a known format, 0 for an unknown one.
int FortranFormatWidth(const QString& format);
// The same, showing "FortranFormat, Unknown format." for an unknown format
// and then giving the empty text.
QString FortranFormat(IUserInterface& ui, double value, const QString& format);

// "N" for a latitude greater than 0, else "S"; "E" for a longitude greater
// than 0, else "W" (so 0 is written "S" and "W").
QString LatitudeLetter(double latitude);
QString LongitudeLetter(double longitude);

// Builds a deck: lines written from column 1 and each ended by CR LF.  The
// first failure (a number too wide for its format) is kept and the later
// calls do nothing.
class DeckWriter {
public:
    // Ends the current line (if any) and starts a new one with `text`.
    DeckWriter& Line(const QString& text);
    // Pads with blanks so that the next item starts at `column` (1-based).
    DeckWriter& Tab(int column);
    DeckWriter& Text(const QString& text);
    // `value` in `format`; `what` names the value in the error.
    DeckWriter& Number(double value, const QString& format, const QString& what);

    bool Ok() const { return m_error.isEmpty(); }
    const QString& Error() const { return m_error; }
    // Every line followed by CR LF, in the Windows code page.
    QByteArray Bytes() const;

private:
    QStringList m_lines;
    QString m_error;
};

// An output file as lines, read forward from a current position.  Lines end
// at LF, CR LF or a lone CR; the line end is not part of the line.
class OutputLines {
public:
    explicit OutputLines(const QByteArray& bytes);

    // The next line, or nothing at the end of the file.
    std::optional<QString> NextLine();
    // The next line that contains `key` (Latin-1, letter case counts); the
    // lines before it are passed over without being converted.
    std::optional<QString> NextLineWith(const QByteArray& key);
    bool AtEnd() const { return m_next >= static_cast<qsizetype>(m_lines.size()); }
    // Steps back over the line read last, which the next read gives again.
    void Back() {
        if (m_next > 0) --m_next;
    }

private:
    QString Line(qsizetype i) const;

    QByteArray m_bytes;
    // Each line's start and length in m_bytes (line ends left out).
    std::vector<std::pair<qsizetype, qsizetype>> m_lines;
    qsizetype m_next = 0;
};

// Reads lines from the current position until one contains `key` (letter
// case counts, anywhere in the line) and returns it; the position stays after
// it.  At the end of the file: nothing (the position stays at the end).
std::optional<QString> FileFindLine(OutputLines& file, const QString& key);

// Fixed-column fields: `count` fields of `width` characters, the first at
// `firstColumn` (1-based), each following the previous one.  A field beyond
// the end of the line is shorter or empty.
std::vector<QString> ParseFixedFields(const QString& line, int firstColumn, int width, int count);

// The same fields as numbers.  False, with a description in `error`, at the
// first field that is not a number (blank, "-", "*****", run-together text).
bool ParseFixedFields(const QString& line, int firstColumn, int width, int count,
                      std::vector<double>& values, QString& error);

// The field of `width` characters at `firstColumn` (1-based), widened on
// either side to the whole blank-delimited text it cuts through: a number
// that the program printed a column or two beside the field's place is read
// whole instead of cut ("51.37" printed in columns 45 to 49 read through the
// field at 43, 6 wide, gives "51.37", not "51.3").
QString FixedFieldWhole(const QString& line, int firstColumn, int width);

// A field as a number: blanks around it allowed, nothing else.
std::optional<double> FieldNumber(const QString& field);

}  // namespace tw
