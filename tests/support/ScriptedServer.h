#pragma once
// A scripted loopback HTTP server for tests: cpp-httplib on 127.0.0.1 and an
// ephemeral port, answering canned replies per command and recording every
// request target ("/Command?query") byte for byte.

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class ScriptedServer {
public:
    ScriptedServer();  // starts listening at once
    ~ScriptedServer(); // stops and joins

    int port() const;
    // "127.0.0.1:<port>", what a user types into the sign-in field.
    QString address() const;

    // Reply for every request of `command` (the path without the leading "/")
    // until replaced. Unscripted commands get 404.
    void setReply(const QString& command, const QByteArray& body, int status = 200,
                  const QByteArray& contentType = "text/xml");
    // Reply for every request of `command` whose query parameter `name`
    // reads `value` (percent-decoded GBK), ahead of queued and standing
    // replies. Pictures fetched at the same time arrive in any order: serve
    // each by its File value.
    void setReplyFor(const QString& command, const QByteArray& name, const QString& value,
                     const QByteArray& body, int status = 200,
                     const QByteArray& contentType = "image/jpeg");
    // One-shot replies consumed in order before the standing reply.
    void queueReply(const QString& command, const QByteArray& body, int status = 200,
                    const QByteArray& contentType = "text/xml");
    // Requests of `command` are answered by closing the connection unanswered.
    void setDropConnection(const QString& command, bool drop = true);
    // Requests of `command` are answered 200 with `body`, one byte every
    // `intervalMs`: a reply that never falls silent for long but never ends.
    void setTrickle(const QString& command, const QByteArray& body, int intervalMs);
    // Delay before every reply.
    void setDelayMs(int ms);

    // Raw request targets, in arrival order.
    QList<QByteArray> requests() const;
    // Raw targets whose path is "/" + command.
    QList<QByteArray> requestsFor(const QString& command) const;
    void clearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// "<?xml version=\"1.0\" encoding=\"GBK\"?>" + body, as GBK bytes.
QByteArray GbkXml(const QString& body);
// The value of query parameter `name` in a raw target, percent-decoded, as
// GBK bytes decoded to text; `found` false when the parameter is absent.
QString QueryValue(const QByteArray& target, const QByteArray& name, bool* found = nullptr);
