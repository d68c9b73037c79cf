#pragma once

#include <QString>

// The number conversions every text of the sheet goes through. The sheet's
// fields are its state record: later steps read earlier results back from
// the texts as displayed, so these routines are part of the arithmetic.
namespace psychro {

// The number at the start of the text. Blanks, tabs and line feeds anywhere
// are ignored; the longest leading run of sign, digits, one ".", and an
// exponent (E or D) is read; "." is the decimal point in every locale.
// No leading number gives 0. A number beyond double range gives +-infinity,
// which every formatter below turns into empty text.
double LeadingNumber(const QString& text);

// The whole text (surrounding blanks allowed) as a number written the way
// the sheet writes numbers ("." decimal point, optional "," thousands
// groups, optional exponent). Empty, malformed or non-finite text fails:
// ok is set false and 0 returned.
double StrictNumber(const QString& text, bool* ok);

// Plain text of a number: shortest form with up to 15 significant digits,
// no leading blank, no grouping ("4500", "4500.5", "-3"). Non-finite
// values give empty text.
QString NumText(double x);

// Plain text of a single-precision value: up to 7 significant digits, the
// precision such a value carries ("72.3", "96").
QString NumTextSingle(float x);

// Applies a display pattern built from "0", "#", "." and ",": "0" a digit
// padded with 0, "#" a digit shown only when needed, "," between digit
// placeholders groups thousands. The value is rounded half away from zero
// on its exact binary value to the pattern's decimals. Without a digit
// placeholder before "." no leading zero is shown (".00000" gives ".01230").
// A negative number gets a leading "-". Non-finite values give empty text.
QString FormatNumber(double x, const QString& pattern);

// Rounds to the nearest whole number, halves to the even neighbour
// (72.5 gives 72, 73.5 gives 74). Non-finite input is returned unchanged.
double RoundHalfEven(double x);

// Narrows to single precision the way the sheet's Single variables hold
// values: out-of-range magnitudes become +-infinity instead of undefined.
float ToSingle(double x);

} // namespace psychro
