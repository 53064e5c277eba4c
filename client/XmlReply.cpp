#include "XmlReply.h"

#include "GbkText.h"

bool XmlReply::load(QByteArray body) {
    StripLineBreaks(body);
    if (TrimCtl(body).isEmpty())
        return false; // the previous document stays as it was

    // QDomDocument takes the encoding from the declaration (GBK here).
    QDomDocument doc;
    const bool parsed = bool(doc.setContent(body));
    m_doc = parsed ? doc : QDomDocument();
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
    int count = 0;
    for (QDomElement e = root().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++count;
    return count;
}

QString XmlReply::recordField(int i, const QString& name) const {
    if (i < 0)
        return QString();
    QDomElement e = root().firstChildElement();
    for (int k = 0; k < i && !e.isNull(); ++k)
        e = e.nextSiblingElement();
    if (e.isNull())
        return QString();
    return TrimCtl(e.firstChildElement(name).text());
}
