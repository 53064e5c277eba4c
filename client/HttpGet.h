#pragma once
// The one synchronous HTTP GET of the program.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

struct HttpResult {
    bool ok = false; // transfer completed with a success (2xx) status
    int status = 0;  // HTTP status, 0 when no reply arrived
    QByteArray body; // reply body, bytes unchanged
    QString error;   // why it failed (never contains the address)
};

class IHttpGet {
public:
    virtual ~IHttpGet() = default;
    // `address` is an encoded absolute address ("http://host:port/Cmd?...").
    virtual HttpResult get(const QByteArray& address) = 0;

    // Called on the requesting thread as each GET of getAll completes, with
    // its position in the list; the result may be moved from.
    using Arrival = std::function<void(int index, HttpResult& result)>;
    // Several GETs together (the pictures of one paper); results in the
    // order of `addresses`. Each travels once. The default makes them one
    // after another; a transport may run them at the same time.
    virtual QList<HttpResult> getAll(const QList<QByteArray>& addresses,
                                     const Arrival& arrived = {});
};

// QNetworkAccessManager behind a local event loop that excludes user input:
// windows keep repainting while the user cannot start a second request. The
// wait cursor is the windows' business: they show it around each command.
class QtHttpGet : public IHttpGet {
public:
    explicit QtHttpGet(int timeoutMs = 30000, qint64 maxReplyBytes = 64 * 1024 * 1024);
    ~QtHttpGet() override;
    HttpResult get(const QByteArray& address) override;

private:
    struct Impl;
    Impl* m_impl;
};
