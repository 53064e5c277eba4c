#pragma once
// Runs the demo server in-process on a free port over a fresh data folder and
// talks to it over real HTTP, the way the marking client does: every query
// value percent-encoded as GBK bytes.

#include "DemoServer.h"

#include <QByteArray>
#include <QDomDocument>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QUrl>

#include <httplib.h>

#include <memory>
#include <utility>

struct HttpReply {
    int status = 0; // 0 = no HTTP reply at all
    QByteArray body;
};

inline QByteArray gbk(const QString& text) {
    return QStringEncoder("GBK").encode(text);
}

inline QString fromGbk(const QByteArray& bytes) {
    return QStringDecoder("GBK").decode(bytes);
}

class DemoServerHarness {
public:
    explicit DemoServerHarness(int students = 6) : m_students(students) { start(); }

    bool start() {
        ServerOptions options;
        options.port = 0;
        options.dataDir = m_dir.path();
        options.students = m_students;
        m_server = std::make_unique<DemoServer>(options);
        return m_server->start();
    }
    // Stops and starts again on the same data folder and database.
    bool restart() {
        m_server.reset();
        return start();
    }

    DemoServer& server() { return *m_server; }
    QString dataDir() const { return m_dir.path(); }

    // GET /<command>?<name>=<value>&..., values percent-encoded GBK.
    HttpReply get(const QString& command, const QList<std::pair<QString, QString>>& params) {
        QByteArray target = "/" + command.toUtf8();
        for (qsizetype i = 0; i < params.size(); ++i)
            target += (i == 0 ? "?" : "&") + params[i].first.toUtf8() + "=" +
                      gbk(params[i].second).toPercentEncoding();
        return getRaw(target);
    }

    HttpReply getRaw(const QByteArray& target) {
        httplib::Client client("127.0.0.1", m_server->port());
        client.set_read_timeout(10, 0);
        // The target goes out byte for byte, as the marking client sends it.
        client.set_url_encode(false);
        const auto result = client.Get(target.toStdString());
        if (!result)
            return {};
        return {result->status, QByteArray::fromStdString(result->body)};
    }

private:
    QTemporaryDir m_dir;
    int m_students;
    std::unique_ptr<DemoServer> m_server;
};

// The root element of a GBK XML reply (declaration + root), or a null
// element when the body is not such a document.
inline QDomElement xmlRoot(const QByteArray& body, QDomDocument* keep) {
    if (!keep->setContent(body) || keep->childNodes().size() < 2)
        return {};
    return keep->documentElement();
}

inline QString field(const QDomElement& parent, const QString& name) {
    return parent.firstChildElement(name).text();
}
