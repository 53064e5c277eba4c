#pragma once
// Builds a request address: ServerUrl + "/" + command + "?" + name=value&...
// Values are percent-encoded as GBK bytes so that "&", "=", "#", "+" or "%"
// in a value can never change the query's meaning. The parameter order and
// the literal names are exactly as given by the caller.

#include <QByteArray>
#include <QString>

class RequestAddress {
public:
    RequestAddress(const QString& serverUrl, const QString& command);

    RequestAddress& add(const QString& name, const QString& value);
    RequestAddress& add(const QString& name, int value);

    // The address as it goes on the wire (ASCII only).
    QByteArray encoded() const;

private:
    QByteArray m_address;
    bool m_first = true;
};

// Encodes the server part of an address (what follows "http://" as typed):
// a space becomes "%20", non-ASCII becomes percent-encoded GBK.
QByteArray EncodeServerUrl(const QString& serverUrl);
