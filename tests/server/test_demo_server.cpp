// The demo server over real HTTP: a marker's whole round trip, handing out
// papers, the call-back buffer, passwords and the refusals of bad requests.

#include "DemoServerHarness.h"

#include <QElapsedTimer>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <QDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

using Params = QList<std::pair<QString, QString>>;

const QString kSuccess = QStringLiteral("成功");

struct Cut {
    int page, x1, y1, x2, y2, imageNo;
};

QList<Cut> parseCuts(const QString& text) {
    QStringList items;
    for (const QString& piece :
         QString(text).replace('(', ',').replace(')', ',').split(',', Qt::SkipEmptyParts))
        items.append(piece);
    QList<Cut> cuts;
    for (qsizetype i = 0; i + 7 <= items.size(); i += 7)
        cuts.append({items[i + 1].toInt(), items[i + 2].toInt(), items[i + 3].toInt(),
                     items[i + 4].toInt(), items[i + 5].toInt(), items[i + 6].toInt()});
    return cuts;
}

// What the marking client does to fetch a paper and submit it.
class Marker {
public:
    Marker(DemoServerHarness& h, QString user, QString permission)
        : m_h(h), m_user(std::move(user)), m_permission(std::move(permission)) {}

    QDomElement getQuestion(QDomDocument* doc) {
        const HttpReply r = m_h.get(QStringLiteral("GetQuestion"), {{"UserId", m_user},
                                                                    {"PermissionId", m_permission},
                                                                    {"FixUserId", ""},
                                                                    {"IsGetFixQuestion", ""}});
        EXPECT_EQ(r.status, 200);
        return xmlRoot(r.body, doc);
    }
    QString nextStudent() {
        QDomDocument doc;
        return field(getQuestion(&doc), "StudentId");
    }
    HttpReply submit(const QString& student, const QString& mark, const QString& submarks,
                     const QString& tag) {
        return m_h.get(QStringLiteral("SaveSymbol"), {{"UserId", m_user},
                                                      {"PermissionId", m_permission},
                                                      {"StudentId", student},
                                                      {"Mark", mark},
                                                      {"Submarks", submarks},
                                                      {"Tag", tag},
                                                      {"IsExceptional", "0"},
                                                      {"Description", ""}});
    }
    QDomElement callBack(int serial, QDomDocument* doc) {
        const HttpReply r =
            m_h.get(QStringLiteral("CallBack"), {{"UserId", m_user},
                                                 {"PermissionId", m_permission},
                                                 {"CallbackSerial", QString::number(serial)}});
        EXPECT_EQ(r.status, 200);
        return xmlRoot(r.body, doc);
    }

private:
    DemoServerHarness& m_h;
    QString m_user;
    QString m_permission;
};

TEST(DemoServer, SignInListsPermissionsWithMarkConfig) {
    DemoServerHarness h;
    const HttpReply r =
        h.get("ValidateUser", {{"UserId", "t01"}, {"Password", "1"}, {"OperMac", ""}});
    ASSERT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.startsWith(R"(<?xml version="1.0" encoding="GBK"?>)"));
    QDomDocument doc;
    const QDomElement root = xmlRoot(r.body, &doc);
    ASSERT_FALSE(root.isNull());
    EXPECT_EQ(root.attribute("Login"), "T");
    EXPECT_EQ(root.attribute("Name"), QStringLiteral("张老师"));
    QStringList ids;
    for (QDomElement p = root.firstChildElement(); !p.isNull(); p = p.nextSiblingElement())
        ids.append(field(p, "PermissionId"));
    EXPECT_TRUE(ids.contains("010101"));
    EXPECT_TRUE(ids.contains("010102"));
    EXPECT_EQ(field(root.firstChildElement(), "MarkConfig"), "|0|1|2|4|6|8|10|");
}

TEST(DemoServer, RefusedSignInsCarryAReasonAndLoginF) {
    DemoServerHarness h;
    const QList<std::pair<QString, QString>> cases{{"nobody", "1"}, {"t01", "wrong"}, {"t09", "9"}};
    for (const auto& [user, password] : cases) {
        SCOPED_TRACE(user.toStdString());
        const HttpReply r =
            h.get("ValidateUser", {{"UserId", user}, {"Password", password}, {"OperMac", ""}});
        ASSERT_EQ(r.status, 200);
        QDomDocument doc;
        const QDomElement root = xmlRoot(r.body, &doc);
        EXPECT_EQ(root.attribute("Login"), "F");
        EXPECT_FALSE(root.attribute("Descrip").isEmpty());
        EXPECT_TRUE(root.firstChildElement().isNull());
    }
}

TEST(DemoServer, MarkingRoundTripSurvivesRestart) {
    DemoServerHarness h;
    // Parameters: cut regions on pages the paper has, inside the pictures.
    HttpReply r = h.get("GetParam", {{"UserId", "t01"}, {"PermissionId", "010101"}});
    ASSERT_EQ(r.status, 200);
    QDomDocument paramDoc;
    const QDomElement param = xmlRoot(r.body, &paramDoc);
    EXPECT_EQ(field(param, "Basic"), "0,10,1,2,0,01,1");
    const QStringList paper = field(param, "Paper").split(',');
    ASSERT_EQ(paper.size(), 9);
    const QList<Cut> cuts = parseCuts(field(param, "Cut"));
    ASSERT_FALSE(cuts.isEmpty());

    Marker t01(h, "t01", "010101");
    QDomDocument doc;
    const QDomElement question = t01.getQuestion(&doc);
    const QString student = field(question, "StudentId");
    ASSERT_FALSE(student.isEmpty());
    ASSERT_NE(student, "none");

    // Its page image, at the address the client builds.
    const QString folder = student.mid(paper[1].toInt() - 1, paper[2].toInt());
    const QString file = paper[0] + "\\" + QStringLiteral("010101").left(2) + "\\" + folder + "\\" +
                         student + "_" + QString::number(cuts[0].page) + ".jpg";
    r = h.get("GetImageFile", {{"File", file}});
    ASSERT_EQ(r.status, 200);
    const QImage page = QImage::fromData(r.body, "JPEG");
    ASSERT_FALSE(page.isNull());
    EXPECT_GE(page.width(), 1240);
    EXPECT_GE(page.height(), 1754);
    EXPECT_TRUE(page.rect().contains(
        QRect(QPoint(cuts[0].x1, cuts[0].y1), QPoint(cuts[0].x2, cuts[0].y2))));

    // Submit with a tag holding Chinese, "+" and "&" (percent-encoded on the wire).
    const QString tag =
        QStringLiteral("0;900;80;3!0;900;330;4.5!2;200;500;好+对&!1;60;600;201;41!");
    r = t01.submit(student, "7.5", "1:3|2:4.5|", tag);
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(fromGbk(r.body), kSuccess);

    QDomDocument backDoc;
    QDomElement back = t01.callBack(1, &backDoc);
    EXPECT_EQ(field(back, "StudentId"), student);
    EXPECT_EQ(field(back, "Tag"), tag);
    EXPECT_EQ(field(back, "Mark"), "7.5");

    // The second turn sees the first turn's mark and tag in its history.
    Marker t02(h, "t02", "010102");
    QString historyOfStudent;
    for (int i = 0; i < 10; ++i) {
        QDomDocument d;
        const QDomElement q = t02.getQuestion(&d);
        if (field(q, "StudentId") == student || field(q, "StudentId") == "none") {
            historyOfStudent = field(q, "AllTurnInfo");
            break;
        }
        ASSERT_EQ(
            fromGbk(
                t02.submit(field(q, "StudentId"), "5", "1:2|2:3|", "0;900;80;2!0;900;330;3!").body),
            kSuccess);
    }
    EXPECT_EQ(historyOfStudent, "1$7.5$" + tag);

    // Statistics computed from the stored marks.
    r = h.get("StaticUser", {{"UserId", "t01"}});
    QDomDocument statDoc;
    QDomElement stat = xmlRoot(r.body, &statDoc);
    EXPECT_EQ(field(stat.firstChildElement(), "StudentCount"), "1");
    r = h.get("QueryQuality", {{"QuestionID", "0101"}});
    QDomDocument qualityDoc;
    bool sawT01 = false;
    for (QDomElement row = xmlRoot(r.body, &qualityDoc).firstChildElement(); !row.isNull();
         row = row.nextSiblingElement())
        if (field(row, "UserId") == "t01") {
            sawT01 = true;
            EXPECT_EQ(field(row, "MaxMark"), "7.5");
            EXPECT_EQ(field(row, "StddevMark"), "0");
        }
    EXPECT_TRUE(sawT01);
    // t02 still holds the paper it was handed in turn 2.
    r = h.get("QueryStatUserCount", {{"QuestionID", "0101"}});
    QDomDocument countDoc;
    QStringList doing;
    for (QDomElement row = xmlRoot(r.body, &countDoc).firstChildElement(); !row.isNull();
         row = row.nextSiblingElement())
        doing.append(field(row, "UserName") + ":" + field(row, "DoingCount"));
    EXPECT_TRUE(doing.contains(QStringLiteral("李老师:1"))) << doing.join(' ').toStdString();

    // The review list shows the mark with the tag as the third field of its turn.
    r = h.get("QueryStQuestion", {{"Questionid", "0101"}, {"ClassId", folder}});
    QDomDocument reviewDoc;
    bool listed = false;
    for (QDomElement row = xmlRoot(r.body, &reviewDoc).firstChildElement(); !row.isNull();
         row = row.nextSiblingElement())
        if (field(row, "StudentId") == student) {
            listed = true;
            EXPECT_EQ(field(row, "Lastmark"), "7.5");
            EXPECT_EQ(field(row, "AllTurnInfo").split('|').first().split('$').value(2), tag);
        }
    EXPECT_TRUE(listed);

    // Everything was stored: after a restart the call-back still finds it.
    ASSERT_TRUE(h.restart());
    QDomDocument afterDoc;
    back = Marker(h, "t01", "010101").callBack(1, &afterDoc);
    EXPECT_EQ(field(back, "StudentId"), student);
    EXPECT_EQ(field(back, "Tag"), tag);
}

TEST(DemoServer, EveryPaperIsHandedOutOnceThenNone) {
    DemoServerHarness h(5);
    Marker a(h, "t01", "020101");
    Marker b(h, "t02", "020101");
    // Fetching again without submitting gives the same paper back.
    const QString first = a.nextStudent();
    EXPECT_EQ(a.nextStudent(), first);
    QSet<QString> seen{first};
    ASSERT_EQ(fromGbk(a.submit(first, "5", "1:2.5|2:2.5|", "").body), kSuccess);
    for (int i = 0; i < 10; ++i) {
        Marker& m = i % 2 ? a : b;
        const QString id = m.nextStudent();
        if (id == "none")
            break;
        EXPECT_FALSE(seen.contains(id)) << id.toStdString();
        seen.insert(id);
        ASSERT_EQ(fromGbk(m.submit(id, "5", "1:2.5|2:2.5|", "").body), kSuccess);
    }
    EXPECT_EQ(seen.size(), 5);
    EXPECT_EQ(a.nextStudent(), "none");
}

TEST(DemoServer, CallBackCountsBackFromTheMostRecentAndResetClearsIt) {
    DemoServerHarness h;
    Marker m(h, "t01", "020101");
    QStringList submitted;
    for (int i = 0; i < 3; ++i) {
        const QString id = m.nextStudent();
        submitted.append(id);
        ASSERT_EQ(
            fromGbk(
                m.submit(id, QString::number(i), "", QStringLiteral("2;1;1;第%1份!").arg(i)).body),
            kSuccess);
    }
    QDomDocument doc;
    EXPECT_EQ(field(m.callBack(1, &doc), "StudentId"), submitted[2]);
    EXPECT_EQ(field(m.callBack(3, &doc), "StudentId"), submitted[0]);
    EXPECT_EQ(field(m.callBack(3, &doc), "Tag"), QStringLiteral("2;1;1;第0份!"));
    EXPECT_EQ(field(m.callBack(4, &doc), "StudentId"), "none");

    // Re-submitting a called-back paper replaces its mark.
    ASSERT_EQ(fromGbk(m.submit(submitted[0], "9", "", "").body), kSuccess);
    EXPECT_EQ(field(m.callBack(3, &doc), "Mark"), "9");

    // A paper held but not submitted goes back to the pool on reset.
    const QString held = m.nextStudent();
    HttpReply r = h.getRaw("/ResetBufferByUser?UserId=t01");
    EXPECT_EQ(fromGbk(r.body), kSuccess);
    EXPECT_EQ(field(m.callBack(1, &doc), "StudentId"), "none");
    EXPECT_EQ(Marker(h, "t02", "020101").nextStudent(), held);
    // After the reset the buffer no longer allows re-submitting old papers.
    EXPECT_EQ(m.submit(submitted[0], "1", "", "").status, 409);
}

TEST(DemoServer, ControlCharactersInAStoredTagNeverBreakTheReplies) {
    DemoServerHarness h;
    Marker m(h, "t01", "010101");
    const QString student = m.nextStudent();
    // Bytes a marking client never sends, but a request may carry.
    const QString tag = QStringLiteral("0;900;80;3!0;900;330;4!2;1;1;a") + QChar(0x01) + "b" +
                        QChar(0x0B) + QChar(0x1F) + "!";
    ASSERT_EQ(fromGbk(m.submit(student, "7", "1:3|2:4|", tag).body), kSuccess);
    const QString readable = QStringLiteral("0;900;80;3!0;900;330;4!2;1;1;ab!");

    QDomDocument callBackDoc;
    EXPECT_EQ(field(m.callBack(1, &callBackDoc), "Tag"), readable);
    // The same tag in the history of the next turn and in the review list.
    const HttpReply review =
        h.get("QueryStQuestion", {{"Questionid", "0101"}, {"ClassId", student.mid(2, 2)}});
    QDomDocument reviewDoc;
    const QDomElement root = xmlRoot(review.body, &reviewDoc);
    ASSERT_FALSE(root.isNull());
    bool listed = false;
    for (QDomElement row = root.firstChildElement(); !row.isNull(); row = row.nextSiblingElement())
        if (field(row, "StudentId") == student) {
            listed = true;
            EXPECT_EQ(field(row, "AllTurnInfo"), "1$7$" + readable);
        }
    EXPECT_TRUE(listed);
}

TEST(DemoServer, ChangePasswordNeedsTheOldOne) {
    DemoServerHarness h;
    auto change = [&](const QString& oldPassword, const QString& newPassword) {
        return fromGbk(
            h.get("ChangePassword",
                  {{"UserId", "t02"}, {"OldPassword", oldPassword}, {"NewPassword", newPassword}})
                .body);
    };
    EXPECT_NE(change("wrong", "x"), kSuccess);
    EXPECT_NE(change("2", ""), kSuccess);
    EXPECT_EQ(change("2", QStringLiteral("新 密+码")), kSuccess);
    QDomDocument doc;
    const HttpReply r =
        h.get("ValidateUser",
              {{"UserId", "t02"}, {"Password", QStringLiteral("新 密+码")}, {"OperMac", ""}});
    EXPECT_EQ(xmlRoot(r.body, &doc).attribute("Login"), "T");
}

TEST(DemoServer, PlusStaysPlusAndUnencodedValuesAreRead) {
    DemoServerHarness h;
    // A literal "+" is not a space; "%2B" is a plus; "%20" a space.
    ASSERT_EQ(
        fromGbk(h.getRaw("/ChangePassword?UserId=t01&OldPassword=1&NewPassword=a+b%2Bc%20d").body),
        kSuccess);
    QDomDocument doc;
    const HttpReply r =
        h.get("ValidateUser", {{"UserId", "t01"}, {"Password", "a+b+c d"}, {"OperMac", ""}});
    EXPECT_EQ(xmlRoot(r.body, &doc).attribute("Login"), "T");
    // Raw GBK bytes, unencoded, as an older client sends them, read the same.
    ASSERT_EQ(fromGbk(h.getRaw("/ChangePassword?UserId=t01&OldPassword=a+b%2Bc%20d&NewPassword=" +
                               gbk(QStringLiteral("成绩")))
                          .body),
              kSuccess);
    QDomDocument again;
    const HttpReply signIn = h.get(
        "ValidateUser", {{"UserId", "t01"}, {"Password", QStringLiteral("成绩")}, {"OperMac", ""}});
    EXPECT_EQ(xmlRoot(signIn.body, &again).attribute("Login"), "T");
}

struct Refusal {
    const char* target;
    int status;
};

class BadRequest : public ::testing::TestWithParam<Refusal> {
protected:
    // One server for all cases: each case also checks it still answers.
    static void SetUpTestSuite() { s_harness = std::make_unique<DemoServerHarness>(); }
    static void TearDownTestSuite() { s_harness.reset(); }
    static std::unique_ptr<DemoServerHarness> s_harness;
};
std::unique_ptr<DemoServerHarness> BadRequest::s_harness;

TEST_P(BadRequest, IsRefusedWithAReasonAndTheServerCarriesOn) {
    DemoServerHarness& h = *s_harness;
    const HttpReply r = h.getRaw(GetParam().target);
    EXPECT_EQ(r.status, GetParam().status);
    EXPECT_FALSE(fromGbk(r.body).trimmed().isEmpty());
    EXPECT_EQ(h.get("ValidateUser", {{"UserId", "t01"}, {"Password", "1"}, {"OperMac", ""}}).status,
              200);
}

INSTANTIATE_TEST_SUITE_P(
    DemoServer, BadRequest,
    ::testing::Values(
        Refusal{"/NoSuchCommand?UserId=t01", 404}, Refusal{"/ValidateUser?UserId=t01", 400},
        Refusal{"/GetQuestion?UserId=t01", 400},
        Refusal{"/GetQuestion?UserId=ghost&PermissionId=010101&FixUserId=&IsGetFixQuestion=", 403},
        Refusal{"/GetParam?UserId=r01&PermissionId=010101", 403},
        Refusal{"/GetParam?UserId=t09&PermissionId=010101", 403},
        Refusal{"/SaveSymbol?UserId=t01&PermissionId=010101&StudentId=260101&Mark=5&Submarks=&Tag=",
                409},
        Refusal{
            "/SaveSymbol?UserId=t01&PermissionId=010101&StudentId=260101&Mark=abc&Submarks=&Tag=",
            400},
        Refusal{
            "/SaveSymbol?UserId=t01&PermissionId=010101&StudentId=260101&Mark=11&Submarks=&Tag=",
            400},
        Refusal{"/CallBack?UserId=t01&PermissionId=010101&CallbackSerial=x", 400},
        Refusal{"/GetInfoParam?StudentId=999999&QuestionId=0101", 404},
        Refusal{"/GetImageFile?File=D:\\demo\\..\\demo.sqlite", 403},
        Refusal{"/GetImageFile?File=D:\\demo\\01\\..\\..\\..\\etc\\passwd", 403},
        Refusal{"/GetImageFile?File=%2Fetc%2Fpasswd", 403},
        Refusal{"/GetImageFile?File=D:\\demo\\01\\%2F..%2F..%2Fdemo.sqlite", 403},
        Refusal{"/GetImageFile?File=D:\\other\\01\\01\\260101_1.jpg", 403},
        Refusal{"/GetImageFile?File=D:\\demo\\01\\01\\999999_1.jpg", 404},
        Refusal{"/GetImageFile?File=D:\\demo\\01\\02\\260101_1.jpg", 404},
        Refusal{"/GetImageFile?File=D:\\demo\\01\\01\\260101_9.jpg", 404},
        Refusal{"/GetImageFile", 400}));

TEST(DemoServer, InjectedFaultsAndDelay) {
    DemoServerHarness h;
    const Params question{
        {"UserId", "t01"}, {"PermissionId", "010101"}, {"FixUserId", ""}, {"IsGetFixQuestion", ""}};
    h.server().setFault("GetQuestion", Fault::Status500);
    EXPECT_EQ(h.get("GetQuestion", question).status, 500);
    h.server().setFault("GetQuestion", Fault::Empty);
    HttpReply r = h.get("GetQuestion", question);
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.isEmpty());
    h.server().setFault("GetQuestion", Fault::Malformed);
    QDomDocument doc;
    EXPECT_FALSE(doc.setContent(h.get("GetQuestion", question).body));
    h.server().setFault("GetQuestion", Fault::Close);
    r = h.get("GetQuestion", question);
    EXPECT_TRUE(r.status == 0 || r.body.isEmpty());
    h.server().setFault("GetQuestion", Fault::None);
    EXPECT_EQ(h.get("GetQuestion", question).status, 200);

    const Params image{{"File", "D:\\demo\\01\\01\\260101_1.jpg"}};
    const QByteArray whole = h.get("GetImageFile", image).body;
    h.server().setFault("GetImageFile", Fault::Truncated);
    const QByteArray cut = h.get("GetImageFile", image).body;
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_LT(cut.size(), whole.size());

    h.server().setDelayMs(300);
    QElapsedTimer timer;
    timer.start();
    h.get("GetInfoParam", {{"StudentId", "260101"}, {"QuestionId", "0101"}});
    EXPECT_GE(timer.elapsed(), 300);
}

TEST(DemoServer, SendsWithoutNaglesDelay) {
    // The body follows the headers in a second write; with Nagle's
    // algorithm its last segment would wait for the client's delayed
    // acknowledgement. Accepted sockets inherit the listening socket's
    // option, so that is the one to look at.
    DemoServerHarness h;
    int listening = -1;
    for (const QString& entry : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files)) {
        const int fd = entry.toInt();
        sockaddr_in address{};
        socklen_t length = sizeof address;
        int accepting = 0;
        socklen_t size = sizeof accepting;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            address.sin_family == AF_INET && ntohs(address.sin_port) == h.server().port() &&
            getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &size) == 0 && accepting)
            listening = fd;
    }
    ASSERT_GE(listening, 0);
    int noDelay = 0;
    socklen_t size = sizeof noDelay;
    ASSERT_EQ(getsockopt(listening, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    EXPECT_EQ(noDelay, 1);
}

} // namespace
