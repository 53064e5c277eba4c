#include "HttpGet.h"

#include <httplib.h>

#include <QEventLoop>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

// Why not QNetworkAccessManager: Qt 6.4 sends a GET again, on a new
// connection, when the connection drops before the reply's status line (up
// to three times, also for custom verbs and requests with a body), and
// offers no setting against it; a submission the server stored just before
// the drop would be stored twice. cpp-httplib's client sends each request
// once and reports a drop as a failure. Each GET gets a connection of its
// own: reusing an idle keep-alive connection races the server closing it,
// and losing that race would fail a request the server never saw.

namespace {

using Clock = std::chrono::steady_clock;

QString describe(httplib::Error error) {
    switch (error) {
    case httplib::Error::Connection:
        return QStringLiteral("cannot connect to the server");
    case httplib::Error::ConnectionTimeout:
        return QStringLiteral("timed out");
    case httplib::Error::Read:
    case httplib::Error::Write:
        return QStringLiteral("connection closed by the server");
    case httplib::Error::Compression:
        return QStringLiteral("reply could not be decompressed");
    default:
        return QStringLiteral("network error %1").arg(int(error));
    }
}

// The host, port and request target of an encoded absolute address; the
// target keeps the address's bytes as they are.
struct Target {
    std::string host;
    int port = 80;
    std::string pathAndQuery;
};

bool splitAddress(const QByteArray& address, Target* target) {
    // Strict parsing refuses what an encoded address never holds (a raw
    // space, a bad escape) while keeping GBK escapes that are not UTF-8.
    const QUrl url = QUrl::fromEncoded(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty() ||
        !url.userInfo().isEmpty())
        return false;
    target->host = url.host().toStdString();
    target->port = url.port(80);
    const qsizetype authority = address.indexOf("//") + 2;
    qsizetype start = authority;
    while (start < address.size() && !QByteArray("/?#").contains(address[start]))
        ++start;
    QByteArray rest = address.mid(start);
    const qsizetype fragment = rest.indexOf('#');
    if (fragment >= 0)
        rest.truncate(fragment);
    if (!rest.startsWith('/'))
        rest.prepend('/');
    target->pathAndQuery = rest.toStdString();
    return true;
}

// One GET on a transfer thread. The requesting thread may stop its client
// (from its time limit) while it runs.
struct Job {
    Target target;
    qint64 cap = 0;
    Clock::time_point deadline;
    std::atomic<bool> timedOut{false};
    std::mutex clientMutex;
    httplib::Client* client = nullptr; // while the transfer runs
    HttpResult result;

    void stopTransfer() {
        timedOut = true;
        std::lock_guard lock(clientMutex);
        if (client)
            client->stop();
    }

    void run() {
        httplib::Client http(target.host, target.port);
        http.set_url_encode(false); // the target is sent byte for byte
        http.set_keep_alive(false);
        http.set_follow_location(false);
        const auto remaining = deadline - Clock::now();
        if (remaining > Clock::duration::zero()) {
            http.set_connection_timeout(remaining);
            http.set_read_timeout(remaining);
            http.set_write_timeout(remaining);
        }
        {
            std::lock_guard lock(clientMutex);
            client = &http;
        }
        std::string body;
        bool tooLarge = false;
        httplib::Result reply(nullptr, httplib::Error::Canceled);
        // A limit that passed before the client could be stopped ends it here.
        if (!timedOut && remaining > Clock::duration::zero()) {
            reply = http.Get(
                target.pathAndQuery.c_str(), httplib::Headers(),
                [&](const httplib::Response& response) {
                    const std::string length = response.get_header_value("Content-Length");
                    tooLarge = !length.empty() && std::strtoll(length.c_str(), nullptr, 10) > cap;
                    return !tooLarge;
                },
                [&](const char* data, size_t size) {
                    if (qint64(body.size() + size) > cap) {
                        tooLarge = true;
                        return false;
                    }
                    body.append(data, size);
                    return true;
                });
        } else {
            timedOut = true;
        }
        {
            std::lock_guard lock(clientMutex);
            client = nullptr;
        }

        if (reply)
            result.status = reply->status;
        if (timedOut) {
            result.error = QStringLiteral("timed out");
        } else if (tooLarge) {
            result.error = QStringLiteral("reply larger than %1 bytes").arg(cap);
        } else if (!reply) {
            result.error = describe(reply.error());
        } else if (result.status < 200 || result.status > 299) {
            result.error = QStringLiteral("HTTP status %1").arg(result.status);
        } else {
            result.body = QByteArray(body.data(), qsizetype(body.size()));
            result.ok = true;
        }
    }
};

} // namespace

QList<HttpResult> IHttpGet::getAll(const QList<QByteArray>& addresses, const Arrival& arrived,
                                   const Arrival& onWorker) {
    QList<HttpResult> results;
    results.reserve(addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        results.append(get(addresses[i]));
        if (onWorker)
            onWorker(i, results.last());
        if (arrived)
            arrived(i, results.last());
    }
    return results;
}

struct QtHttpGet::Impl {
    int timeoutMs;
    qint64 maxReplyBytes;
    // Transfers wait on the network, so they get threads of their own
    // rather than the global pool's, which decoding keeps busy.
    QThreadPool transfers;
};

QtHttpGet::QtHttpGet(int timeoutMs, qint64 maxReplyBytes)
    : m_impl(new Impl{timeoutMs, maxReplyBytes, {}}) {
    m_impl->transfers.setMaxThreadCount(8);
}

QtHttpGet::~QtHttpGet() {
    m_impl->transfers.waitForDone();
    delete m_impl;
}

HttpResult QtHttpGet::get(const QByteArray& address) {
    return getAll({address}).first();
}

QList<HttpResult> QtHttpGet::getAll(const QList<QByteArray>& addresses, const Arrival& arrived,
                                    const Arrival& onWorker) {
    const int n = int(addresses.size());
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_impl->timeoutMs);
    std::vector<std::unique_ptr<Job>> jobs;
    jobs.reserve(n);

    // GETs whose callbacks have not all returned yet; the loop ends at 0.
    int open = n;
    std::vector<bool> done(n, false);
    bool looping = false;
    QEventLoop loop;
    // Receiver of this call's queued work: nothing of it outlives the call.
    QObject context;
    const auto finished = [&](int i) {
        if (arrived)
            arrived(i, jobs[i]->result);
        done[i] = true;
        if (--open == 0 && looping)
            loop.quit();
    };

    for (int i = 0; i < n; ++i) {
        auto job = std::make_unique<Job>();
        job->cap = m_impl->maxReplyBytes;
        job->deadline = deadline;
        const bool valid = splitAddress(addresses[i], &job->target);
        if (!valid)
            job->result.error = QStringLiteral("invalid address");
        jobs.push_back(std::move(job));
        Job* j = jobs.back().get();
        m_impl->transfers.start([&, i, j, valid] {
            if (valid)
                j->run();
            if (onWorker)
                onWorker(i, j->result);
            QMetaObject::invokeMethod(
                &context, [&, i] { finished(i); }, Qt::QueuedConnection);
        });
    }

    // The limit of each request as a whole, from now to its last byte. A
    // client not connected yet cannot be stopped, so the stop is repeated
    // until every transfer has given up.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &context, [&] {
        for (int i = 0; i < n; ++i) {
            if (!done[i])
                jobs[i]->stopTransfer();
        }
        limit.start(20);
    });
    limit.start(m_impl->timeoutMs);

    if (open > 0) {
        looping = true;
        // Windows keep repainting, but the user cannot start a second request.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QList<HttpResult> results;
    results.reserve(n);
    for (const std::unique_ptr<Job>& job : jobs)
        results.append(std::move(job->result));
    return results;
}
