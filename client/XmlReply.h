#pragma once
// Reading of XML replies: the shared XML document of the program.

#include <QByteArray>
#include <QDomDocument>
#include <QList>
#include <QString>

// No reply of the protocol nests deeper than root, record, field; a reply
// nested deeper than this, or made of more elements than any real reply
// (a class list, a statistics table), is refused before the document is
// built, since building it costs time and memory out of all proportion.
constexpr int kMaxReplyDepth = 8;
constexpr int kMaxReplyElements = 200'000;

class XmlReply {
public:
    // StripLineBreaks, then refuses a body that is empty once trimmed, then
    // parses (encoding from the declaration). False on an empty body, a
    // body beyond the depth or element bound, or a parse error; the last
    // two leave an empty document. A reply of only its declaration loads
    // as a document of that one node.
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
    QList<QDomElement> m_records; // child elements of the root, for lookup by position
};
