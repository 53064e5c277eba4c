// The demo server against clients that misbehave: names of pictures the
// exam does not have, connections opened and left half-sent, and the delays
// tests inject per command.

#include "DemoServerHarness.h"

#include <QDirIterator>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace {

int FilesBelow(const QString& dir) {
    int n = 0;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// A raw TCP connection to the server that sends what it is told and nothing
// more.
class RawConnection {
public:
    RawConnection(int port, const QByteArray& sent) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected =
            ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            (sent.isEmpty() || ::send(m_fd, sent.constData(), size_t(sent.size()), 0) > 0);
    }
    ~RawConnection() { ::close(m_fd); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return m_connected; }
    // True when the server closes the connection within `ms`.
    bool closedWithin(int ms) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char buffer[256];
                if (::recv(m_fd, buffer, sizeof buffer, 0) <= 0)
                    return true;
            }
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

const QList<std::pair<QString, QString>> kSignIn = {
    {"UserId", "t01"}, {"Password", "1"}, {"OperMac", ""}};

} // namespace

// Only the pictures of the exam are drawn and stored, each under its one
// name; any other spelling is refused and leaves nothing on the disk.
TEST(DemoServerLimits, PicturesAreServedOnlyUnderTheirOwnName) {
    DemoServerHarness h;
    const QString images = h.dataDir() + QStringLiteral("/images");
    const struct {
        const char* file;
        int status;
    } cases[] = {
        {"D:\\demo\\01\\01\\260101_1.jpg", 200},
        {"D:\\demo\\02\\01\\260101_21.jpg", 200},       // a ready-cut region
        {"D:\\demo\\02\\info\\01\\260101_2F.jpg", 200}, // a custom full sheet
        {"D:\\demo\\01\\01\\260101_01.jpg", 404},
        {"D:\\demo\\01\\01\\260101_001.jpg", 404},
        {"D:\\demo\\01\\01\\260101_1.JPG", 404},
        {"D:\\demo\\01\\01\\260101_1.Jpg", 404},
        {"D:\\demo\\01\\01\\260101_1f.jpg", 404},
        {"D:\\demo\\01\\01\\260101_21.jpg", 404},       // no ready-cut region in 01
        {"D:\\demo\\01\\info\\01\\260101_1F.jpg", 404}, // no custom cut in 01
        {"D:\\demo\\01\\01\\260101_4.jpg", 404},        // three pages only
        {"D:\\demo\\01\\01\\260101_+1.jpg", 404},
        {"D:\\demo\\01\\01\\260101_99999999999.jpg", 404},
    };
    int stored = FilesBelow(images);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const HttpReply r = h.get("GetImageFile", {{"File", QString::fromLatin1(c.file)}});
        EXPECT_EQ(r.status, c.status);
        const int now = FilesBelow(images);
        EXPECT_EQ(now, stored + (c.status == 200 ? 1 : 0));
        stored = now;
    }
}

// Connections opened and left silent or half-sent hold a worker each only
// until a time-out, and there are workers enough: a normal request is
// answered at once (40 such connections made it wait 22 s).
TEST(DemoServerLimits, HalfOpenConnectionsNeitherStarveOthersNorStayOpen) {
    DemoServerHarness h;
    ASSERT_EQ(h.get("ValidateUser", kSignIn).status, 200);
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(std::make_unique<RawConnection>(
            h.server().port(), i % 2 ? QByteArray() : QByteArray("GET /ValidateUser?UserId=t0")));
        ASSERT_TRUE(idle.back()->connected());
    }
    // Let the server take them all in before the normal request comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(h.get("ValidateUser", kSignIn).status, 200);
    EXPECT_LT(timer.elapsed(), 1500);

    // The server lets go of them after its read and keep-alive time-outs.
    EXPECT_TRUE(idle.front()->closedWithin(6000));
    EXPECT_TRUE(idle.back()->closedWithin(6000));
}

// The delay of one command leaves the others alone, and stopping the server
// cuts a pending delay short.
TEST(DemoServerLimits, ADelayForOneCommandAndStoppingDuringIt) {
    auto h = std::make_unique<DemoServerHarness>();
    h->server().setDelayMs(QStringLiteral("GetInfoParam"), 400);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(h->get("ValidateUser", kSignIn).status, 200);
    EXPECT_LT(timer.elapsed(), 400);
    timer.restart();
    h->get("GetInfoParam", {{"StudentId", "260101"}, {"QuestionId", "0101"}});
    EXPECT_GE(timer.elapsed(), 400);

    h->server().setDelayMs(QStringLiteral("GetInfoParam"), 60'000);
    std::thread waiting([&h] {
        h->get("GetInfoParam", {{"StudentId", "260101"}, {"QuestionId", "0101"}});
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    timer.restart();
    h->server().stop();
    EXPECT_LT(timer.elapsed(), 5000);
    waiting.join();
}
