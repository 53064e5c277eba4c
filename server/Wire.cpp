#include "Wire.h"

#include "Words.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace wire {

QByteArray toGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromGbk(const QByteArray& bytes) {
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

static int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray percentDecode(const QByteArray& raw) {
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '%' && i + 2 < raw.size()) {
            const int hi = hexValue(raw[i + 1]);
            const int lo = hexValue(raw[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.append(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        // A "%" not followed by two hex digits is kept as it stands.
        out.append(c);
    }
    return out;
}

QMap<QString, QString> parseQuery(const QByteArray& target) {
    QMap<QString, QString> values;
    const qsizetype question = target.indexOf('?');
    if (question < 0)
        return values;
    QByteArray query = target.mid(question + 1);
    const qsizetype hash = query.indexOf('#');
    if (hash >= 0)
        query.truncate(hash);
    for (const QByteArray& pair : query.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        const QByteArray name = eq < 0 ? pair : pair.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        const QString key = fromGbk(percentDecode(name));
        if (!values.contains(key))
            values.insert(key, fromGbk(percentDecode(value)));
    }
    return values;
}

// Characters that may not appear in an XML 1.0 document at all, not even
// as character references: a reply holding one would not parse.
static bool forbiddenInXml(const QString& text, qsizetype i) {
    const char16_t u = text[i].unicode();
    if (u < 0x20)
        return u != '\t' && u != '\n' && u != '\r';
    if (u == 0xFFFE || u == 0xFFFF)
        return true;
    if (QChar::isHighSurrogate(u))
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (QChar::isLowSurrogate(u))
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

QString xmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // Dropped rather than refused: a stored value (a tag sent with a
        // control byte) must not make every later reply holding it unreadable.
        if (forbiddenInXml(text, i))
            continue;
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

XmlReply::XmlReply(const QString& rootName) : m_root(rootName) {}

void XmlReply::setAttribute(const QString& name, const QString& value) {
    m_attributes += QStringLiteral(" %1=\"%2\"").arg(name, xmlEscape(value));
}

void XmlReply::addField(const QString& name, const QString& value) {
    m_children += QStringLiteral("<%1>%2</%1>").arg(name, xmlEscape(value));
}

void XmlReply::addRecord(const QString& name, const QList<QPair<QString, QString>>& fields) {
    QString inner;
    for (const auto& [field, value] : fields)
        inner += QStringLiteral("<%1>%2</%1>").arg(field, xmlEscape(value));
    m_children += QStringLiteral("<%1>%2</%1>").arg(name, inner);
}

QByteArray XmlReply::toGbkBytes() const {
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>") +
                         QLatin1Char('<') + m_root + m_attributes + QLatin1Char('>') + m_children +
                         QStringLiteral("</") + m_root + QLatin1Char('>');
    return toGbk(text);
}

QByteArray successWord() {
    return toGbk(words::kSuccess);
}

} // namespace wire
