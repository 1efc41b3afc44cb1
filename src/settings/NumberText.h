#pragma once
// Text encodings of the values kept in profile files: numbers (single
// precision), integers and booleans.  Numbers use the decimal separator of the
// user's number format, on writing and reading alike.

#include <QLocale>
#include <QString>

namespace tw {

// The shortest decimal text that reads back to the same single-precision value,
// at most 7 significant digits ("-145", "0.7", "170", "10", "0.3333333").
// Values from 0.0001 up to below 10000000 are written without an exponent;
// smaller and larger ones as "1.234568E+07", "1E-05".  A value that needs more
// than 7 digits is rounded to 7.
QString FloatToText(float value, const QLocale& locale = QLocale::system());

// Reads a number written by FloatToText (or typed by hand): surrounding blanks
// ignored, the locale's decimal separator, an optional exponent.  A text with
// a "." as separator is also accepted in a locale whose separator is another
// character, so that a file written under a different number format still
// reads.  Group separators, letters, values beyond the single-precision range,
// "inf" and "nan" are refused (ok = false, returns 0).
float FloatFromText(const QString& text, bool& ok, const QLocale& locale = QLocale::system());

// Decimal digits with a leading "-" when negative.
QString IntToText(qint32 value);

// Decimal digits with an optional sign, surrounding blanks ignored; anything
// else, or a value outside 32 bits, is refused (ok = false, returns 0).
qint32 IntFromText(const QString& text, bool& ok);

// A number with `decimals` decimals, the halves of its decimal text rounded
// away from zero (7051.45 gives "7051.5"), without a sign when it rounds to
// zero ("0" format: decimals 0; "0.0": decimals 1).
QString NumberFormat(double value, int decimals);
// A single as its shortest decimal text reads, so that 12.45f rounds as 12.45.
QString NumberFormat(float value, int decimals);

// A box for a whole number takes any number the number reader takes ("2.5",
// "1e3", the locale's decimal separator) and converts it to 32 bits, rounded
// to the nearest whole number, halves away from zero ("2.5" gives 3, "-2.5"
// gives -3).  Whole numbers keep every digit.  Texts that are no number, and
// values outside 32 bits, are refused (ok = false, returns 0).
qint32 IntFromNumberText(const QString& text, bool& ok, const QLocale& locale = QLocale::system());

// "True" / "False".
QString BooleanText(bool value);

// "True" or "False" in any letter case, or a number (0 is false, any other
// number true).  Anything else is refused (ok = false, returns false).
bool BooleanFromText(const QString& text, bool& ok, const QLocale& locale = QLocale::system());

}  // namespace tw
