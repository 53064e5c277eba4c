#pragma once
// What travels on the wire: query strings whose values are percent-encoded
// GBK bytes, and replies as GBK XML, bare words or plain refusals.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

namespace wire {

QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& bytes);

// Percent-decodes one query value. A "+" stays a "+": the marking client
// sends a plus as %2B and a space as %20, so "+" never means a space here.
QByteArray percentDecode(const QByteArray& raw);

// The query of a raw request target ("/Cmd?A=1&B=2"), every value
// percent-decoded and read as GBK. A repeated name keeps its first value.
QMap<QString, QString> parseQuery(const QByteArray& target);

// Escapes the XML special characters of a text value or attribute and drops
// the characters XML 1.0 does not allow (control characters but tab, CR, LF).
QString xmlEscape(const QString& text);

// Builds an XML reply: declaration, then one root element.
class XmlReply {
public:
    explicit XmlReply(const QString& rootName);
    void setAttribute(const QString& name, const QString& value);
    // A child element of the root holding text.
    void addField(const QString& name, const QString& value);
    // A record: a child element of the root whose children are the fields.
    void addRecord(const QString& name, const QList<QPair<QString, QString>>& fields);
    QByteArray toGbkBytes() const;

private:
    QString m_root;
    QString m_attributes;
    QString m_children;
};

// "成功", the bare word of success.
QByteArray successWord();

} // namespace wire
