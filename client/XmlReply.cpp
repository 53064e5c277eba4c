#include "XmlReply.h"

#include "GbkText.h"

#include <QXmlStreamReader>

namespace {

// One streaming pass that stops at the first element beyond the bounds. A
// body that is not well-formed passes here; the document parse refuses it.
bool WithinShapeBounds(const QByteArray& body) {
    QXmlStreamReader reader(body);
    int depth = 0;
    int elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxReplyDepth || ++elements > kMaxReplyElements)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return true;
}

// A reply of nothing but its XML declaration (and comments): well-formed
// but for the missing root element, which the DOM parser refuses. It is a
// document of one top-level node, so the callers' rule for fewer than two
// nodes applies to it, not the one for a reply that does not parse.
bool OnlyADeclaration(const QByteArray& body) {
    QXmlStreamReader reader(body);
    bool declared = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            declared = !reader.documentVersion().isEmpty();
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::Characters: // white space between them
        case QXmlStreamReader::Invalid:
            break;
        default:
            return false;
        }
    }
    return declared && reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
}

} // namespace

bool XmlReply::load(QByteArray body) {
    StripLineBreaks(body);
    if (TrimCtl(body).isEmpty())
        return false; // the previous document stays as it was

    // QDomDocument takes the encoding from the declaration (GBK here).
    QDomDocument doc;
    bool parsed = WithinShapeBounds(body) && bool(doc.setContent(body));
    if (!parsed && OnlyADeclaration(body)) {
        doc = QDomDocument();
        doc.appendChild(doc.createProcessingInstruction(
            QStringLiteral("xml"), QStringLiteral("version=\"1.0\"")));
        parsed = true;
    }
    m_doc = parsed ? doc : QDomDocument();
    m_records.clear();
    for (QDomElement e = root().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        m_records.append(e);
    return parsed;
}

int XmlReply::topLevelCount() const {
    return int(m_doc.childNodes().count());
}

QDomElement XmlReply::root() const {
    const QDomNodeList nodes = m_doc.childNodes();
    if (nodes.count() < 2)
        return QDomElement();
    return nodes.at(1).toElement(); // null when node 1 is not an element
}

QString XmlReply::field(const QString& name) const {
    bool found = false;
    return TrimCtl(rawField(name, &found));
}

QString XmlReply::rawField(const QString& name, bool* found) const {
    const QDomElement element = root().firstChildElement(name);
    if (found)
        *found = !element.isNull();
    return element.isNull() ? QString() : element.text();
}

bool XmlReply::attribute(const QString& name, QString* value) const {
    const QDomElement r = root();
    if (r.isNull() || !r.hasAttribute(name))
        return false;
    if (value)
        *value = r.attribute(name);
    return true;
}

int XmlReply::recordCount() const {
    return int(m_records.size());
}

QString XmlReply::recordField(int i, const QString& name) const {
    // By position in constant time: reading every record stays linear.
    if (i < 0 || i >= m_records.size())
        return QString();
    return TrimCtl(m_records[i].firstChildElement(name).text());
}
