#include "ScriptedServer.h"

#include "GbkText.h"

#include <httplib.h>

#include <QHash>
#include <QQueue>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {
struct CannedReply {
    QByteArray body;
    int status = 200;
    QByteArray contentType;
};

QByteArray pathOf(const QByteArray& target) {
    const qsizetype q = target.indexOf('?');
    return q < 0 ? target : target.left(q);
}
} // namespace

struct ScriptedServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    QHash<QString, CannedReply> standing;
    struct ByValue {
        QString command;
        QByteArray name;
        QString value;
        CannedReply reply;
    };
    QList<ByValue> byValue;
    QHash<QString, QQueue<CannedReply>> queued;
    QHash<QString, bool> dropped;
    struct Trickle {
        QByteArray body;
        int intervalMs = 0;
    };
    QHash<QString, Trickle> trickled;
    int delayMs = 0;
    QList<QByteArray> targets;

    void handle(const httplib::Request& req, httplib::Response& res) {
        const QByteArray target = QByteArray::fromStdString(req.target);
        const QString command =
            QString::fromLatin1(QByteArray::fromPercentEncoding(pathOf(target).mid(1)));
        CannedReply reply;
        bool found = false;
        bool drop = false;
        int delay = 0;
        Trickle trickle;
        {
            std::lock_guard lock(mutex);
            targets.append(target);
            delay = delayMs;
            drop = dropped.value(command, false);
            trickle = trickled.value(command);
            if (!drop) {
                for (const ByValue& v : std::as_const(byValue)) {
                    bool present = false;
                    if (v.command == command && QueryValue(target, v.name, &present) == v.value &&
                        present) {
                        reply = v.reply;
                        found = true;
                        break;
                    }
                }
                auto q = queued.find(command);
                if (!found && q != queued.end() && !q->isEmpty()) {
                    reply = q->dequeue();
                    found = true;
                } else if (!found && standing.contains(command)) {
                    reply = standing.value(command);
                    found = true;
                }
            }
        }
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));

        if (drop) {
            // httplib offers no way to close a connection from a handler
            // before the status line is out. A content provider that fails at
            // once makes httplib close the connection after the headers,
            // with none of the announced body sent: the client sees the
            // connection end in the middle of the reply.
            res.status = 200;
            res.set_content_provider(1024, "text/xml",
                                     [](size_t, size_t, httplib::DataSink&) { return false; });
            return;
        }
        if (!trickle.body.isEmpty()) {
            res.status = 200;
            const std::string body = trickle.body.toStdString();
            const auto interval = std::chrono::milliseconds(trickle.intervalMs);
            res.set_content_provider(
                body.size(), "text/xml",
                [body, interval](size_t offset, size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(interval);
                    // Fails once the client has given up and closed.
                    return sink.write(body.data() + offset, 1);
                });
            return;
        }
        if (!found) {
            res.status = 404;
            res.set_content("not scripted", "text/plain");
            return;
        }
        res.status = reply.status;
        res.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    }
};

ScriptedServer::ScriptedServer() : m_impl(std::make_unique<Impl>()) {
    Impl* impl = m_impl.get();
    impl->server.Get(".*", [impl](const httplib::Request& req, httplib::Response& res) {
        impl->handle(req, res);
    });
    // One request per connection: an idle keep-alive connection would hold
    // stop() for the whole keep-alive time-out.
    impl->server.set_keep_alive_max_count(1);
    impl->port = impl->server.bind_to_any_port("127.0.0.1");
    if (impl->port <= 0)
        throw std::runtime_error("scripted server: cannot bind 127.0.0.1");
    impl->thread = std::thread([impl] { impl->server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!impl->server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ScriptedServer::~ScriptedServer() {
    m_impl->server.stop();
    if (m_impl->thread.joinable())
        m_impl->thread.join();
}

int ScriptedServer::port() const {
    return m_impl->port;
}

QString ScriptedServer::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_impl->port);
}

void ScriptedServer::setReply(const QString& command, const QByteArray& body, int status,
                              const QByteArray& contentType) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->standing.insert(command, CannedReply{body, status, contentType});
}

void ScriptedServer::setReplyFor(const QString& command, const QByteArray& name,
                                 const QString& value, const QByteArray& body, int status,
                                 const QByteArray& contentType) {
    std::lock_guard lock(m_impl->mutex);
    for (Impl::ByValue& v : m_impl->byValue) {
        if (v.command == command && v.name == name && v.value == value) {
            v.reply = CannedReply{body, status, contentType};
            return;
        }
    }
    m_impl->byValue.append(Impl::ByValue{command, name, value, {body, status, contentType}});
}

void ScriptedServer::queueReply(const QString& command, const QByteArray& body, int status,
                                const QByteArray& contentType) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->queued[command].enqueue(CannedReply{body, status, contentType});
}

void ScriptedServer::setDropConnection(const QString& command, bool drop) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->dropped.insert(command, drop);
}

void ScriptedServer::setTrickle(const QString& command, const QByteArray& body, int intervalMs) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->trickled.insert(command, Impl::Trickle{body, intervalMs});
}

void ScriptedServer::setDelayMs(int ms) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->delayMs = ms;
}

QList<QByteArray> ScriptedServer::requests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->targets;
}

QList<QByteArray> ScriptedServer::requestsFor(const QString& command) const {
    const QByteArray path = '/' + command.toLatin1();
    QList<QByteArray> result;
    std::lock_guard lock(m_impl->mutex);
    for (const QByteArray& target : m_impl->targets)
        if (pathOf(target) == path)
            result.append(target);
    return result;
}

void ScriptedServer::clearRequests() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->targets.clear();
}

QByteArray GbkXml(const QString& body) {
    return gbk::encode(QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>") + body);
}

QString QueryValue(const QByteArray& target, const QByteArray& name, bool* found) {
    if (found)
        *found = false;
    const qsizetype q = target.indexOf('?');
    if (q < 0)
        return QString();
    for (const QByteArray& pair : target.mid(q + 1).split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const QByteArray key = eq < 0 ? pair : pair.left(eq);
        if (key != name)
            continue;
        if (found)
            *found = true;
        return gbk::decode(
            QByteArray::fromPercentEncoding(eq < 0 ? QByteArray() : pair.mid(eq + 1)));
    }
    return QString();
}
