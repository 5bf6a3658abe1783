#pragma once

#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::core {

// A decimal digit "0".."9" (never the other digits Unicode knows).
inline bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A blank an office puts between the thousands of a figure: the space, the no-break spaces of
// spreadsheets (U+00A0, U+202F) and the figure space (U+2007).
inline bool isDigitGroupBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2007);
}

// Trimming as the system does it: blanks (spaces) only, never tabs or other characters.
QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);

// The numeric value of the longest leading number of a text: blanks are skipped, an optional
// sign, digits, an optional "." and decimals, an optional exponent. 0 when there is none.
double Val(const QString& text);

// A number as a whole number of the type: truncated toward zero, not-a-number as 0, and values
// beyond the type's range (1e20 written in a file) held at its ends instead of overflowing.
int wholeInt(double value);
qint64 wholeLong(double value);

// True when the whole text (blanks around it allowed) is one number; "," is accepted as a
// decimal separator as well as ".".
bool IsNumeric(const QString& text);

// Cuts the text at the first separator: returns the part before it and leaves the part after
// it in the argument. Returns an empty text and leaves the argument alone when not found.
QString Cut_Before(QString& text, const QString& separator);
// Removes and returns the leading digits; then removes leading blanks from what is left.
QString Cut_Lead_Digits(QString& text);
// As Cut_Lead_Digits, looking at no more than count characters; 0 means the whole text.
QString Cut_Lead_Number(QString& text, int& count);
// True when every character is a digit; true for the empty text.
bool Is_All_Digits(const QString& text);
// Trimmed text begins with the prefix, without regard to case; false for an empty text.
bool Starts_With_Text(const QString& text, const QString& prefix);
QString& Squeeze_Spaces(QString& text);
QString& Remove_Spaces(QString& text);
QString& Tabs_To_Spaces(QString& text);
// Replaces every occurrence of oldText, repeating while it still occurs.
QString& Replace_All(QString& text, const QString& oldText, const QString& newText);
bool Remove_First(QString& text, const QString& part);
// Splits at line ends, trims each piece, drops empty pieces; the empty list when nothing stays.
QStringList Split_Lines(const QString& text);
// Shows the bracket message and returns true when "(" and ")" counts differ.
bool Check_Brackets(const QString& text, platform::Prompt& prompt);
// Russian name of a month 1..12, else the empty text.
QString Month_Name(int month);
long long Max_Long(long long a, long long b);

// The system's line-end.
inline const QString CRLF = QStringLiteral("\r\n");

} // namespace mirel::core
