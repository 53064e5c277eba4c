#pragma once
// Text rules shared by the whole client. Text is held as QString; it becomes
// GBK bytes only where it leaves or enters the program.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gbk {
// GBK bytes of the text (a character GBK cannot hold becomes '?').
QByteArray encode(const QString& text);
// Text of GBK bytes.
QString decode(const QByteArray& bytes);
// Number of GBK bytes of the text: one per ASCII character, two per Chinese one.
int byteCount(const QString& text);
} // namespace gbk

// Removes from both ends every character whose code is 32 or less.
QString TrimCtl(const QString& text);
QByteArray TrimCtl(const QByteArray& bytes);

// Every space of the address becomes "%20".
void EscapeSpaces(QString& address);
// Every CR LF pair is removed; a lone CR or LF stays.
void StripLineBreaks(QByteArray& body);
void StripLineBreaks(QString& text);

// General number format: shortest form with at most 15 significant digits,
// no trailing zeros, "." as decimal point, exponent only below 0.00001 or
// beyond 15 integer digits ("5", "2.5", "0", "6.66666666666667").
QString FormatNumber(double value);

// Number reading: optional leading spaces, optional sign, digits with an
// optional "." fraction, optional exponent, and nothing else.
bool ReadNumber(const QString& text, double* value = nullptr);

// Reads a decimal integer (optional leading spaces, optional sign, digits);
// false for anything else, a trailing space included.
bool ReadInteger(const QString& text, int* value = nullptr);

// The list-splitting rule: cut at every character of `separators` and at CR
// and LF; CR/LF skipped at the start of an item; a ' or " opens a quoted
// stretch up to the same quote (quotes stay in the item); empty items dropped.
QStringList SplitList(const QString& text, const QString& separators);
