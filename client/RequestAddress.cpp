#include "RequestAddress.h"

#include "GbkText.h"

QByteArray EncodeServerUrl(const QString& serverUrl) {
    // The typed address is kept as it is, except for what cannot stand in a
    // request line: spaces and control characters, and non-ASCII text, which
    // goes out as its GBK bytes.
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const char ch : gbk::encode(serverUrl)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b <= 32 || b >= 127) {
            out.append('%');
            out.append(hex[b >> 4]);
            out.append(hex[b & 0x0F]);
        } else {
            out.append(char(b));
        }
    }
    return out;
}

RequestAddress::RequestAddress(const QString& serverUrl, const QString& command)
    : m_address(EncodeServerUrl(serverUrl) + '/' + EncodeServerUrl(command) + '?') {}

RequestAddress& RequestAddress::add(const QString& name, const QString& value) {
    if (!m_first)
        m_address.append('&');
    m_first = false;
    m_address.append(EncodeServerUrl(name));
    m_address.append('=');
    // RFC 3986 unreserved characters stay; every other GBK byte, a space
    // included, becomes %XX.
    m_address.append(gbk::encode(value).toPercentEncoding());
    return *this;
}

RequestAddress& RequestAddress::add(const QString& name, int value) {
    return add(name, QString::number(value));
}

QByteArray RequestAddress::encoded() const {
    return m_address;
}
