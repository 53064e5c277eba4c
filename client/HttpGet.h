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
    // Every request travels at most once: a connection that drops before the
    // whole reply has arrived is a failed request, never sent again.
    virtual HttpResult get(const QByteArray& address) = 0;

    // Called as each GET of getAll completes, with its position in the list;
    // the result may be changed or moved from (what is left of it is what
    // getAll returns at that position).
    using Arrival = std::function<void(int index, HttpResult& result)>;
    // Several GETs together (the pictures of one paper); results in the
    // order of `addresses`. Each travels once.
    //  - `onWorker` runs for each result as it arrives, on a worker thread
    //    where the transport has them (decoding, while later transfers still
    //    run); it must touch nothing but that result and what it owns;
    //  - `arrived` runs on the requesting thread, after `onWorker` of the
    //    same result.
    // getAll returns once every callback has returned. The default makes the
    // GETs one after another and runs both callbacks on the calling thread.
    virtual QList<HttpResult> getAll(const QList<QByteArray>& addresses,
                                     const Arrival& arrived = {}, const Arrival& onWorker = {});
};

// QNetworkAccessManager behind a local event loop that excludes user input:
// windows keep repainting while the user cannot start a second request. The
// wait cursor is the windows' business: they show it around each command.
// getAll sends its GETs at the same time over the one manager and runs
// `onWorker` on the global thread pool.
class QtHttpGet : public IHttpGet {
public:
    // `timeoutMs` limits each request as a whole, from sending to the last
    // byte of the reply (a server trickling bytes does not extend it).
    explicit QtHttpGet(int timeoutMs = 30000, qint64 maxReplyBytes = 64 * 1024 * 1024);
    ~QtHttpGet() override;
    HttpResult get(const QByteArray& address) override;
    QList<HttpResult> getAll(const QList<QByteArray>& addresses, const Arrival& arrived = {},
                             const Arrival& onWorker = {}) override;

private:
    struct Impl;
    Impl* m_impl;
};
