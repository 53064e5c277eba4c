#include "DemoServer.h"

#include "Database.h"
#include "Handlers.h"
#include "SheetImages.h"
#include "Wire.h"

#include <QDir>
#include <QFile>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A slow or half-open client holds one worker until a time-out lets it go;
// with many workers and short time-outs a few such clients cannot starve
// the others (with cpp-httplib's 8 workers and 5 s waits, 10 half-open
// connections made a normal request take 3.5 s).
constexpr int kWorkers = 64;
constexpr time_t kReadTimeoutSeconds = 2;  // for each read of a request
constexpr time_t kWriteTimeoutSeconds = 5; // for each write of a reply
constexpr time_t kKeepAliveSeconds = 2;    // an idle connection is closed then
constexpr size_t kKeepAliveRequests = 50;  // requests on one connection at most

} // namespace

struct DemoServer::Impl {
    ServerOptions options;
    Database db;
    std::unique_ptr<SheetImages> images;
    httplib::Server http;
    std::thread thread;
    std::atomic<int> port{0};
    std::atomic<int> delayMs{0};
    std::mutex faultMutex;
    QMap<QString, Fault> faults;
    QMap<QString, int> delays;
    QString error;
    // Delays wait on this, so stopping never waits for them to run out.
    std::mutex stopMutex;
    std::condition_variable stopping;
    bool stopped = false;

    Fault faultFor(const QString& command) {
        std::lock_guard lock(faultMutex);
        return faults.value(command, Fault::None);
    }

    int delayFor(const QString& command) {
        std::lock_guard lock(faultMutex);
        return delays.value(command, delayMs.load());
    }

    void wait(int ms) {
        std::unique_lock lock(stopMutex);
        stopping.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped; });
    }

    Reply dispatch(const QString& command, const QByteArray& target) {
        const Handler handler = handlerFor(command);
        if (!handler)
            return refusal(404, QStringLiteral("未知命令：%1").arg(command));
        const Query query = wire::parseQuery(target);
        HandlerContext context{db, *images};
        try {
            if (command == QLatin1String("GetImageFile"))
                return handler(context, query); // reads no table; may draw a picture
            std::lock_guard lock(db.mutex());
            return handler(context, query);
        } catch (const std::exception& e) {
            return refusal(500,
                           QStringLiteral("服务器内部错误：%1").arg(QString::fromUtf8(e.what())));
        }
    }

    void serve(const httplib::Request& req, httplib::Response& res) {
        const QString command = QString::fromUtf8(QByteArray::fromStdString(req.path)).mid(1);
        if (const int delay = delayFor(command); delay > 0)
            wait(delay);
        const Fault fault = faultFor(command);
        if (fault == Fault::Status500) {
            res.status = 500;
            res.set_content("injected fault", "text/plain");
            return;
        }
        if (fault == Fault::Close) {
            // Headers go out, then the connection is closed before the body.
            res.set_content_provider(1024, "text/plain",
                                     [](size_t, size_t, httplib::DataSink&) { return false; });
            return;
        }
        if (fault == Fault::Empty) {
            res.status = 200;
            res.set_content("", "text/xml");
            return;
        }
        if (fault == Fault::Malformed) {
            res.status = 200;
            const QByteArray broken = wire::toGbk(
                QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?><Reply><StudentId>2601"));
            res.set_content(broken.toStdString(), "text/xml; charset=GBK");
            return;
        }
        Reply reply = dispatch(command, QByteArray::fromStdString(req.target));
        if (!reply.filePath.isEmpty()) {
            QFile file(reply.filePath);
            if (!file.open(QIODevice::ReadOnly)) {
                reply = refusal(500, QStringLiteral("无法读取图像文件"));
            } else {
                reply.body = file.readAll();
            }
        }
        if (fault == Fault::Truncated)
            reply.body.truncate(reply.body.size() / 2);
        res.status = reply.status;
        res.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    }
};

DemoServer::DemoServer(ServerOptions options) : m_impl(std::make_unique<Impl>()) {
    m_impl->options = std::move(options);
    m_impl->faults = m_impl->options.faults;
    m_impl->delays = m_impl->options.delays;
    m_impl->delayMs = m_impl->options.delayMs;
}

DemoServer::~DemoServer() {
    stop();
}

bool DemoServer::start() {
    Impl& d = *m_impl;
    const QString dataDir = QDir(d.options.dataDir).absolutePath();
    if (!QDir().mkpath(dataDir)) {
        d.error = QStringLiteral("cannot create data folder %1").arg(dataDir);
        return false;
    }
    const QString dbFile = d.options.dbFile.isEmpty()
                               ? QDir(dataDir).filePath(QStringLiteral("demo.sqlite"))
                               : d.options.dbFile;
    if (!d.db.open(dbFile, d.options.students, &d.error))
        return false;
    QList<layout::Student> students;
    for (const Row& r :
         d.db.query(QStringLiteral("SELECT student_id, name, class_id, seq FROM students")))
        students.append({r[0].toString(), r[1].toString(), r[2].toString(), r[3].toInt()});
    d.images = std::make_unique<SheetImages>(dataDir, students, d.options.dpi);

    d.http.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    d.http.set_read_timeout(kReadTimeoutSeconds, 0);
    d.http.set_write_timeout(kWriteTimeoutSeconds, 0);
    d.http.set_keep_alive_timeout(kKeepAliveSeconds);
    d.http.set_keep_alive_max_count(kKeepAliveRequests);
    d.http.Get(".*",
               [&d](const httplib::Request& req, httplib::Response& res) { d.serve(req, res); });
    // httplib writes the status line and headers, then the body: with
    // Nagle's algorithm on, the body's last segment waits for the client's
    // delayed acknowledgement of the headers (40 ms on Linux). Accepted
    // sockets inherit the option from the listening one.
    d.http.set_tcp_nodelay(true);
    int port = d.options.port;
    if (port == 0) {
        port = d.http.bind_to_any_port("127.0.0.1");
    } else if (!d.http.bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        d.error = QStringLiteral("cannot listen on 127.0.0.1:%1").arg(d.options.port);
        return false;
    }
    d.port = port;
    d.thread = std::thread([&d] { d.http.listen_after_bind(); });
    // A stop() before the listener runs would be lost and stop() would wait
    // for it for ever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!d.http.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void DemoServer::stop() {
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        {
            std::lock_guard lock(d.stopMutex);
            d.stopped = true;
        }
        d.stopping.notify_all();
        d.http.stop();
        d.thread.join();
    }
    d.db.close();
}

int DemoServer::port() const {
    return m_impl->port;
}

QString DemoServer::error() const {
    return m_impl->error;
}

void DemoServer::setFault(const QString& command, Fault fault) {
    std::lock_guard lock(m_impl->faultMutex);
    if (fault == Fault::None)
        m_impl->faults.remove(command);
    else
        m_impl->faults.insert(command, fault);
}

void DemoServer::setDelayMs(int ms) {
    m_impl->delayMs = ms;
}

void DemoServer::setDelayMs(const QString& command, int ms) {
    std::lock_guard lock(m_impl->faultMutex);
    if (ms <= 0)
        m_impl->delays.remove(command);
    else
        m_impl->delays.insert(command, ms);
}

int DemoServer::pregenerate(int threads) {
    return m_impl->images ? m_impl->images->generateAll(threads) : 0;
}
