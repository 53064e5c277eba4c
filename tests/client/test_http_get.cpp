// Request addresses and the GET facade, over real loopback HTTP.
#include "GbkText.h"
#include "HttpGet.h"
#include "RequestAddress.h"
#include "ScriptedServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

namespace {
QString serverUrl(const ScriptedServer& server) {
    return QStringLiteral("http://") + server.address();
}

// A server that reads each request to the end of its head and then closes
// the connection without a byte of reply (httplib cannot close before the
// status line). It runs in the test's thread: the client's local event loop
// serves it.
class ClosingServer {
public:
    explicit ClosingServer(int closeAfterMs) {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, closeAfterMs] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, closeAfterMs] {
                                     m_heads[socket] += socket->readAll();
                                     if (!m_heads[socket].contains("\r\n\r\n"))
                                         return;
                                     m_heads.remove(socket);
                                     ++requests;
                                     QTimer::singleShot(closeAfterMs, socket, [socket] {
                                         socket->close();
                                         socket->deleteLater();
                                     });
                                 });
            }
        });
    }
    QByteArray address(const QByteArray& target) const {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + target;
    }
    int requests = 0;

private:
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_heads;
};

// A loopback port with nothing listening on it.
int closedPort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost));
    const int port = probe.serverPort();
    probe.close();
    return port;
}
} // namespace

TEST(RequestAddress, BuildsNamesAndValuesInOrder) {
    const QByteArray address =
        RequestAddress(QStringLiteral("http://127.0.0.1:18080"), QStringLiteral("GetParam"))
            .add(QStringLiteral("UserId"), QStringLiteral("t01"))
            .add(QStringLiteral("PermissionId"), 12)
            .add(QStringLiteral("Empty"), QString())
            .encoded();
    EXPECT_EQ(address,
              QByteArray("http://127.0.0.1:18080/GetParam?UserId=t01&PermissionId=12&Empty="));
}

TEST(RequestAddress, ServerPartKeepsWhatWasTyped) {
    EXPECT_EQ(EncodeServerUrl(QStringLiteral("http://my host:80/sub")),
              QByteArray("http://my%20host:80/sub"));
    EXPECT_EQ(EncodeServerUrl(QStringLiteral("http://评卷")), QByteArray("http://%C6%C0%BE%ED"));
}

TEST(RequestAddress, ValuesReachTheServerAsTheirGbkBytes) {
    ScriptedServer server;
    server.setReply(QStringLiteral("SaveSymbol"), "ok");
    QtHttpGet http;
    const QString values[] = {
        QStringLiteral("a b"),     QStringLiteral("x&UserId=evil"), QStringLiteral("a=b"),
        QStringLiteral("#frag"),   QStringLiteral("1+1"),           QStringLiteral("100%"),
        QStringLiteral("成功 好"), QStringLiteral("~-._"),
    };
    for (const QString& value : values) {
        server.clearRequests();
        const QByteArray address = RequestAddress(serverUrl(server), QStringLiteral("SaveSymbol"))
                                       .add(QStringLiteral("UserId"), QStringLiteral("t01"))
                                       .add(QStringLiteral("Description"), value)
                                       .encoded();
        const HttpResult result = http.get(address);
        ASSERT_TRUE(result.ok) << value.toStdString() << " " << result.error.toStdString();
        const QList<QByteArray> targets = server.requestsFor(QStringLiteral("SaveSymbol"));
        ASSERT_EQ(targets.size(), 1);
        // The request line carries exactly the address's path and query.
        EXPECT_EQ(targets.first(), address.mid(address.indexOf('/', 7)));
        EXPECT_EQ(QueryValue(targets.first(), "UserId"), QStringLiteral("t01"));
        EXPECT_EQ(QueryValue(targets.first(), "Description"), value);
        const QByteArray raw = targets.first().mid(targets.first().indexOf("Description=") + 12);
        EXPECT_EQ(QByteArray::fromPercentEncoding(raw), gbk::encode(value));
    }
    // Non-UTF-8 escapes pass Qt's URL handling untouched.
    server.clearRequests();
    http.get(RequestAddress(serverUrl(server), QStringLiteral("SaveSymbol"))
                 .add(QStringLiteral("Tag"), QStringLiteral("成功 好"))
                 .encoded());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first(), QByteArray("/SaveSymbol?Tag=%B3%C9%B9%A6%20%BA%C3"));
}

TEST(HttpGet, ReturnsTheBodyBytesUnchanged) {
    ScriptedServer server;
    const QByteArray body = GbkXml(QStringLiteral("<R><Name>张三</Name></R>")) + "\r\n\x01\xFF";
    server.setReply(QStringLiteral("GetQuestion"), body);
    QtHttpGet http;
    const HttpResult result =
        http.get(RequestAddress(serverUrl(server), QStringLiteral("GetQuestion")).encoded());
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, body);
    EXPECT_FALSE(QApplication::overrideCursor()); // the wait cursor is gone again
}

TEST(HttpGet, FailuresAreReportedWithoutTheAddress) {
    ScriptedServer server;
    server.setReply(QStringLiteral("Broken"), "oops", 500);
    server.setReply(QStringLiteral("Moved"), "", 302);
    server.setDropConnection(QStringLiteral("Dropped"));
    const struct {
        QString command;
        int status;
    } cases[] = {
        {QStringLiteral("Broken"), 500},
        {QStringLiteral("Unscripted"), 404},
        {QStringLiteral("Moved"), 302},
        {QStringLiteral("Dropped"), -1},
    };
    QtHttpGet http;
    for (const auto& c : cases) {
        const QByteArray address = RequestAddress(serverUrl(server), c.command)
                                       .add(QStringLiteral("Password"), QStringLiteral("secret"))
                                       .encoded();
        const HttpResult result = http.get(address);
        EXPECT_FALSE(result.ok) << c.command.toStdString();
        if (c.status >= 0) {
            EXPECT_EQ(result.status, c.status) << c.command.toStdString();
        }
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_FALSE(result.error.contains(QStringLiteral("secret"))) << result.error.toStdString();
        EXPECT_FALSE(result.error.contains(QStringLiteral("127.0.0.1")))
            << result.error.toStdString();
    }
    EXPECT_EQ(server.requestsFor(QStringLiteral("Dropped")).size(), 1);
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST(HttpGet, RefusedConnectionFails) {
    QtHttpGet http;
    const HttpResult result = http.get(QByteArray("http://127.0.0.1:") +
                                       QByteArray::number(closedPort()) + "/ValidateUser?UserId=a");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.status, 0);
}

TEST(HttpGet, InvalidAddressFailsWithoutRequest) {
    QtHttpGet http;
    EXPECT_FALSE(http.get("http://127.0.0.1:1/a b").ok);
    EXPECT_FALSE(http.get("not an address").ok);
}

TEST(HttpGet, SilentServerTimesOut) {
    ScriptedServer server;
    server.setReply(QStringLiteral("GetParam"), "late");
    server.setDelayMs(1500);
    QtHttpGet http(300);
    QElapsedTimer clock;
    clock.start();
    const HttpResult result =
        http.get(RequestAddress(serverUrl(server), QStringLiteral("GetParam")).encoded());
    EXPECT_LT(clock.elapsed(), 1450); // gave up before the reply came at 1500 ms
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.body.isEmpty());
}

TEST(HttpGet, ADroppedConnectionIsAFailedRequestSentOnce) {
    // Qt would send such a request again on a new connection; a submission
    // the server stored before the drop would then be stored twice.
    const struct {
        QByteArray target;
        int closeAfterMs;
    } cases[] = {
        {"/SaveSymbol?UserId=t01&Mark=5", 0},
        {"/GetQuestion?UserId=t01&PermissionId=010101", 150},
    };
    QtHttpGet http;
    for (const auto& c : cases) {
        ClosingServer server(c.closeAfterMs);
        const HttpResult result = http.get(server.address(c.target));
        EXPECT_FALSE(result.ok) << c.target.constData();
        EXPECT_EQ(result.status, 0);
        EXPECT_FALSE(result.error.isEmpty());
        QTest::qWait(200); // no late second try either
        EXPECT_EQ(server.requests, 1) << c.target.constData();
    }
    ClosingServer server(0);
    const QList<HttpResult> both = http.getAll(
        {server.address("/GetImageFile?File=1"), server.address("/GetImageFile?File=2")});
    QTest::qWait(200);
    EXPECT_EQ(server.requests, 2);
    ASSERT_EQ(both.size(), 2);
    EXPECT_FALSE(both[0].ok);
    EXPECT_FALSE(both[1].ok);
}

TEST(HttpGet, TheLimitCoversTheWholeRequestNotOnlySilence) {
    ScriptedServer server;
    // 4 s in all, never silent for more than 0.1 s.
    server.setTrickle(QStringLiteral("GetParam"), QByteArray(40, 'x'), 100);
    QtHttpGet http(800);
    QElapsedTimer clock;
    clock.start();
    const HttpResult result =
        http.get(RequestAddress(serverUrl(server), QStringLiteral("GetParam")).encoded());
    const qint64 elapsed = clock.elapsed();
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.body.isEmpty());
    EXPECT_EQ(result.error, QStringLiteral("timed out"));
    EXPECT_GE(elapsed, 750);
    EXPECT_LT(elapsed, 2500);
}

TEST(HttpGet, GetAllSendsTogetherAndAnswersInOrder) {
    ScriptedServer server;
    QList<QByteArray> addresses;
    for (int k = 0; k < 4; ++k) {
        server.setReplyFor(QStringLiteral("GetImageFile"), "File", QString::number(k),
                           "picture " + QByteArray::number(k));
        addresses.append(RequestAddress(serverUrl(server), QStringLiteral("GetImageFile"))
                             .add(QStringLiteral("File"), QString::number(k))
                             .encoded());
    }
    addresses.insert(2, "not an address");
    server.setDelayMs(400);

    QtHttpGet http;
    QThread* const requester = QThread::currentThread();
    std::atomic<int> offThread{0};
    QList<int> arrivedAfterWork;
    QList<int> arrivedOnRequester;
    QElapsedTimer clock;
    clock.start();
    const QList<HttpResult> results = http.getAll(
        addresses,
        [&](int i, HttpResult& r) {
            if (r.body.endsWith('!'))
                arrivedAfterWork.append(i);
            if (QThread::currentThread() == requester)
                arrivedOnRequester.append(i);
        },
        [&](int, HttpResult& r) {
            if (QThread::currentThread() != requester)
                ++offThread;
            r.body += '!';
        });
    const qint64 elapsed = clock.elapsed();

    // One after another they would take 1.6 s.
    EXPECT_LT(elapsed, 1200);
    ASSERT_EQ(results.size(), 5);
    for (int i = 0; i < 5; ++i) {
        if (i == 2) {
            EXPECT_FALSE(results[i].ok);
            EXPECT_EQ(results[i].body, QByteArray("!"));
            continue;
        }
        const int k = i < 2 ? i : i - 1;
        EXPECT_TRUE(results[i].ok) << i;
        EXPECT_EQ(results[i].body, "picture " + QByteArray::number(k) + "!");
    }
    EXPECT_EQ(offThread, 5);
    std::sort(arrivedAfterWork.begin(), arrivedAfterWork.end());
    std::sort(arrivedOnRequester.begin(), arrivedOnRequester.end());
    EXPECT_EQ(arrivedAfterWork, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(arrivedOnRequester, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(server.requestsFor(QStringLiteral("GetImageFile")).size(), 4);
}

TEST(HttpGet, ReplyBeyondTheSizeCapFails) {
    ScriptedServer server;
    server.setReply(QStringLiteral("Small"), QByteArray(1000, 'x'));
    server.setReply(QStringLiteral("Big"), QByteArray(1001, 'x'));
    server.setReply(QStringLiteral("Huge"), QByteArray(512 * 1024, 'x'));
    QtHttpGet http(30000, 1000);
    EXPECT_TRUE(http.get(RequestAddress(serverUrl(server), QStringLiteral("Small")).encoded()).ok);
    EXPECT_FALSE(http.get(RequestAddress(serverUrl(server), QStringLiteral("Big")).encoded()).ok);
    const HttpResult huge =
        http.get(RequestAddress(serverUrl(server), QStringLiteral("Huge")).encoded());
    EXPECT_FALSE(huge.ok);
    EXPECT_TRUE(huge.body.isEmpty());
}

TEST(ScriptedServer, QueuedRepliesComeBeforeTheStandingOne) {
    ScriptedServer server;
    server.setReply(QStringLiteral("GetQuestion"), "standing");
    server.queueReply(QStringLiteral("GetQuestion"), "first");
    server.queueReply(QStringLiteral("GetQuestion"), "second", 500);
    QtHttpGet http;
    const QByteArray address =
        RequestAddress(serverUrl(server), QStringLiteral("GetQuestion")).encoded();
    EXPECT_EQ(http.get(address).body, QByteArray("first"));
    EXPECT_EQ(http.get(address).status, 500);
    EXPECT_EQ(http.get(address).body, QByteArray("standing"));
    EXPECT_EQ(http.get(address).body, QByteArray("standing"));
    EXPECT_EQ(server.requestsFor(QStringLiteral("GetQuestion")).size(), 4);
    EXPECT_TRUE(server.requestsFor(QStringLiteral("GetParam")).isEmpty());
}
