#pragma once
// Reading of XML replies: the shared XML document of the program.

#include <QByteArray>
#include <QDomDocument>
#include <QString>

class XmlReply {
public:
    // StripLineBreaks, then refuses a body that is empty once trimmed, then
    // parses (encoding from the declaration). False on empty body or parse error.
    bool load(QByteArray body);

    // Top-level nodes of the document (declaration + root in a proper reply).
    int topLevelCount() const;
    // Node 1 of the top level when it is an element; null otherwise.
    QDomElement root() const;

    // Text of the root's first child element of that name, trimmed; "" when missing.
    QString field(const QString& name) const;
    // Untrimmed text; *found says whether the element exists.
    QString rawField(const QString& name, bool* found) const;
    // Root attribute, untrimmed; false when missing.
    bool attribute(const QString& name, QString* value) const;

    // Child elements of the root, in document order.
    int recordCount() const;
    // Trimmed text of child element `name` of record i; "" when missing.
    QString recordField(int i, const QString& name) const;

private:
    QDomDocument m_doc;
};
