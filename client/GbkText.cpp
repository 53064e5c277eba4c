#include "GbkText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace gbk {

QByteArray encode(const QString& text) {
    // Encode character by character where the converter gives up, so that one
    // character GBK cannot hold costs exactly one '?' and nothing else is lost.
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray whole = encoder.encode(text);
    if (!encoder.hasError())
        return whole;

    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QStringEncoder one("GBK", QStringConverter::Flag::Stateless);
        const QByteArray bytes = one.encode(QStringView(text).mid(i, len));
        if (one.hasError() || bytes.isEmpty())
            out.append('?');
        else
            out.append(bytes);
        i += len;
    }
    return out;
}

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

int byteCount(const QString& text) {
    return int(encode(text).size());
}

} // namespace gbk

QString TrimCtl(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray TrimCtl(const QByteArray& bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && static_cast<unsigned char>(bytes.at(begin)) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(bytes.at(end - 1)) <= 32)
        --end;
    return bytes.mid(begin, end - begin);
}

void EscapeSpaces(QString& address) {
    address.replace(QLatin1Char(' '), QLatin1String("%20"));
}

void StripLineBreaks(QByteArray& body) {
    body.replace("\r\n", "");
}

void StripLineBreaks(QString& text) {
    text.replace(QLatin1String("\r\n"), QString());
}

QString FormatNumber(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0"); // also for -0

    // Round to 15 significant digits once; the digits and the decimal
    // exponent of that rounded value decide the form. to_chars never looks
    // at the locale (snprintf wrote "1,.2" for 12 under a decimal comma).
    char buf[64];
    const auto written =
        std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14);
    *written.ptr = '\0';
    // buf: [-]d.dddddddddddddde[+-]xx
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    QByteArray digits;
    while (*p && *p != 'e') {
        if (*p != '.')
            digits.append(*p);
        ++p;
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QByteArray out;
    if (negative)
        out.append('-');
    if (exponent < -5 || exponent >= 15) {
        out.append(digits.at(0));
        if (digits.size() > 1) {
            out.append('.');
            out.append(digits.mid(1));
        }
        out.append('E');
        out.append(QByteArray::number(exponent));
    } else if (exponent < 0) {
        out.append("0.");
        out.append(QByteArray(-exponent - 1, '0'));
        out.append(digits);
    } else {
        const int intDigits = exponent + 1;
        if (digits.size() <= intDigits) {
            out.append(digits);
            out.append(QByteArray(intDigits - digits.size(), '0'));
        } else {
            out.append(digits.left(intDigits));
            out.append('.');
            out.append(digits.mid(intDigits));
        }
    }
    return QString::fromLatin1(out);
}

namespace {
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

bool ReadNumber(const QString& text, double* value) {
    // Check the form by hand: only ASCII digits, "." whatever the locale.
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype mantissaDigits = 0;
    while (i < n && isAsciiDigit(text.at(i))) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && isAsciiDigit(text.at(i))) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && isAsciiDigit(text.at(i))) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;

    // from_chars takes neither a leading "+" nor leading spaces, and unlike
    // strtod it does not follow the process locale.
    QByteArray latin = text.mid(start).toLatin1();
    if (latin.startsWith('+'))
        latin.remove(0, 1);
    double result = 0;
    const auto [end, ec] =
        std::from_chars(latin.constData(), latin.constData() + latin.size(), result);
    if (ec != std::errc() || end != latin.constData() + latin.size())
        return false; // out of range counts as not a number
    if (value)
        *value = result;
    return true;
}

bool ReadInteger(const QString& text, int* value) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    // Leading spaces are allowed, as in number reading: list items keep the
    // space that follows a separator ("1, 2").
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 result = 0;
    for (; i < n; ++i) {
        if (!isAsciiDigit(text.at(i)))
            return false;
        result = result * 10 + (text.at(i).unicode() - '0');
        if (result > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return false;
    if (value)
        *value = int(result);
    return true;
}

QStringList SplitList(const QString& text, const QString& separators) {
    // Works on characters, so the trailing byte of a double-byte GBK character
    // can never be mistaken for a separator.
    QStringList items;
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && isBreak(text.at(i)))
            ++i;
        const qsizetype start = i;
        QChar quote;
        while (i < n) {
            const QChar c = text.at(i);
            if (quote.isNull() && (separators.contains(c) || isBreak(c)))
                break;
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                if (quote.isNull())
                    quote = c;
                else if (quote == c)
                    quote = QChar();
            }
            ++i;
        }
        if (i > start)
            items.append(text.mid(start, i - start));
        if (i < n)
            ++i; // the separator
    }
    return items;
}
