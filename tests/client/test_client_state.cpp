// The client-state object against a scripted loopback server: what each
// request sends (byte for byte, after decoding the values) and what each
// reply shape leaves in the fields.

#include "CoordinateLimits.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "RecordingMessages.h"
#include "ScriptedServer.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QPoint>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The target with every query value percent-decoded and read as GBK, so a
// whole request line can be compared at once. Splitting happens on the raw
// target, where "&" and "=" inside values are still encoded.
QString DecodedTarget(const QByteArray& target) {
    const qsizetype mark = target.indexOf('?');
    if (mark < 0)
        return QString::fromLatin1(target);
    QString text = QString::fromLatin1(target.left(mark + 1));
    const QList<QByteArray> pairs = target.mid(mark + 1).split('&');
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const qsizetype eq = pairs[i].indexOf('=');
        if (i > 0)
            text += QLatin1Char('&');
        if (eq < 0) {
            text += QString::fromLatin1(pairs[i]);
            continue;
        }
        text += QString::fromLatin1(pairs[i].left(eq + 1));
        text += gbk::decode(QByteArray::fromPercentEncoding(pairs[i].mid(eq + 1)));
    }
    return text;
}

// A target may carry only ASCII and no raw space; every byte of a value that
// is not plain must be percent-encoded.
void ExpectWireSafe(const QByteArray& target) {
    for (char c : target) {
        EXPECT_GT(static_cast<unsigned char>(c), 32) << target.constData();
        EXPECT_LT(static_cast<unsigned char>(c), 128) << target.constData();
    }
}

QByteArray Xml(const QString& body) {
    return GbkXml(body);
}

class ClientState : public ::testing::Test {
protected:
    void SetUp() override {
        state.ServerUrl = QStringLiteral("http://") + server.address();
        state.UserId = QStringLiteral("u1");
        state.Password = QStringLiteral("pw");
        state.PermissionId = QStringLiteral("05x");
    }

    // The one request of `command`, decoded.
    QString onlyRequest(const QString& command) {
        const QList<QByteArray> targets = server.requestsFor(command);
        EXPECT_EQ(targets.size(), 1);
        if (targets.isEmpty())
            return QString();
        ExpectWireSafe(targets.first());
        return DecodedTarget(targets.first());
    }

    ScriptedServer server;
    QtHttpGet http{10000};
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
};

// ---------------------------------------------------------------- sign-in

TEST_F(ClientState, ValidateUserStoresUserAndPermissions) {
    server.setReply(QStringLiteral("ValidateUser"),
                    Xml(QStringLiteral("<r Name=\" 张三 \" Descrip=\"\" Login=\"T\">"
                                       "<p><PermissionId> 0501 </PermissionId>"
                                       "<PermissionName>第五题</PermissionName>"
                                       "<MarkConfig>1,2,3</MarkConfig></p>"
                                       "<p><PermissionId>0602</PermissionId>"
                                       "<PermissionName>第六题</PermissionName></p></r>")));
    const QString password = QStringLiteral("a&b=c d#1+%");
    ASSERT_TRUE(state.ValidateUser(QStringLiteral("教师 1"), password));

    EXPECT_EQ(onlyRequest(QStringLiteral("ValidateUser")),
              QStringLiteral("/ValidateUser?UserId=教师 1&Password=a&b=c d#1+%&OperMac=") +
                  state.GetMacAddress(0));
    const QByteArray raw = server.requestsFor(QStringLiteral("ValidateUser")).value(0);
    EXPECT_TRUE(raw.contains("UserId=%BD%CC%CA%A6%201&")) << raw.constData();
    EXPECT_TRUE(QueryValue(raw, "OperMac") == state.GetMacAddress(0));

    EXPECT_TRUE(state.Validated);
    EXPECT_EQ(state.UserId, QStringLiteral("教师 1"));
    EXPECT_EQ(state.Password, password);
    EXPECT_EQ(state.UserName, QStringLiteral("张三"));
    ASSERT_EQ(state.Permissions.size(), 2);
    EXPECT_EQ(state.Permissions[0].PermissionId, QStringLiteral("0501"));
    EXPECT_EQ(state.Permissions[0].PermissionName, QStringLiteral("第五题"));
    EXPECT_EQ(state.Permissions[0].MarkConfig, QStringLiteral("1,2,3"));
    EXPECT_EQ(state.Permissions[1].PermissionId, QStringLiteral("0602"));
    EXPECT_EQ(state.Permissions[1].MarkConfig, QString());
}

struct RefusedSignIn {
    const char* name;
    QByteArray body;
    int status;
    QString lastMessage;
    QString userName;
    bool userStored;      // UserId/Password hold the new values
    bool permissionsKept; // the sign-in ended before the permissions were read
};

TEST_F(ClientState, ValidateUserFailuresLeaveWhatWasReadBeforeThem) {
    const QString permission = QStringLiteral("<p><PermissionId>1</PermissionId></p>");
    const RefusedSignIn cases[] = {
        {"refused account",
         Xml(QStringLiteral("<r Name=\"李四\" Descrip=\" 帐号已停用 \" Login=\"F\">") + permission +
             QStringLiteral("</r>")),
         200, QStringLiteral("帐号已停用"), QStringLiteral("李四"), true, true},
        {"no permission, no reason",
         Xml(QStringLiteral("<r Name=\"李四\" Descrip=\"\" Login=\"T\"/>")), 200,
         QStringLiteral("您没有批阅权限,请联系管理员"), QStringLiteral("李四"), true, false},
        {"no permission, a reason",
         Xml(QStringLiteral("<r Name=\"李四\" Descrip=\"未分配\" Login=\"T\"/>")), 200,
         QStringLiteral("未分配"), QStringLiteral("李四"), true, false},
        {"no Login attribute",
         Xml(QStringLiteral("<r Name=\"李四\" Descrip=\"说明\">") + permission +
             QStringLiteral("</r>")),
         200, QStringLiteral("说明"), QStringLiteral("李四"), true, true},
        {"error status", Xml(QStringLiteral("<r Name=\"x\" Descrip=\"y\" Login=\"T\"/>")), 500,
         QStringLiteral("旧消息"), QStringLiteral("旧名"), false, true},
        {"no declaration", gbk::encode(QStringLiteral("<r Name=\"x\" Descrip=\"y\" Login=\"T\"/>")),
         200, QStringLiteral("旧消息"), QStringLiteral("旧名"), false, true},
        {"blank body", QByteArray(" \r\n "), 200, QStringLiteral("旧消息"), QStringLiteral("旧名"),
         false, true},
    };
    for (const RefusedSignIn& c : cases) {
        SCOPED_TRACE(c.name);
        state.Validated = true;
        state.UserId = QStringLiteral("old");
        state.Password = QStringLiteral("oldpw");
        state.UserName = QStringLiteral("旧名");
        state.LastMessage = QStringLiteral("旧消息");
        state.Permissions = {
            TMyPermissionRecord{QStringLiteral("P0"), QStringLiteral("n"), QStringLiteral("m")}};
        server.setReply(QStringLiteral("ValidateUser"), c.body, c.status);

        EXPECT_FALSE(state.ValidateUser(QStringLiteral("new"), QStringLiteral("newpw")));
        EXPECT_FALSE(state.Validated);
        EXPECT_EQ(state.LastMessage, c.lastMessage);
        EXPECT_EQ(state.UserName, c.userName);
        EXPECT_EQ(state.UserId, c.userStored ? QStringLiteral("new") : QStringLiteral("old"));
        EXPECT_EQ(state.Password, c.userStored ? QStringLiteral("newpw") : QStringLiteral("oldpw"));
        if (c.permissionsKept) {
            ASSERT_EQ(state.Permissions.size(), 1);
            EXPECT_EQ(state.Permissions[0].PermissionId, QStringLiteral("P0"));
        } else {
            EXPECT_TRUE(state.Permissions.isEmpty());
        }
    }
}

TEST_F(ClientState, ValidateUserAgainstAnUnreachableServerKeepsTheMessage) {
    state.ServerUrl = QStringLiteral("http://127.0.0.1:1");
    state.Validated = true;
    state.LastMessage = QStringLiteral("旧消息");
    EXPECT_FALSE(state.ValidateUser(QStringLiteral("u"), QStringLiteral("p")));
    EXPECT_FALSE(state.Validated);
    EXPECT_EQ(state.LastMessage, QStringLiteral("旧消息"));
    EXPECT_EQ(state.UserId, QStringLiteral("u1"));
}

TEST(MacAddress, AdapterAddressesBecomeTwelveUpperCaseHexDigitsOrNothing) {
    const struct {
        const char* hardware; // as Qt writes an adapter's address
        const char* digits;
    } cases[] = {
        {"00:1a:2B:3c:4D:5e", "001A2B3C4D5E"},
        {"00:00:00:00:00:00", ""},    // no real address
        {"", ""},                     // no address at all (loopback, tunnels)
        {"00:1A:2B:3C:4D", ""},       // too short
        {"00:1A:2B:3C:4D:5E:6F", ""}, // not six bytes
        {"00:1A:2B:3C:4D:5G", ""},
        {"0:1A:2B:3C:4D:5E", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MacAddressDigits(QString::fromLatin1(c.hardware)), QString::fromLatin1(c.digits))
            << c.hardware;
}

TEST_F(ClientState, FindPermissionMatchesTheIdExactly) {
    state.Permissions = {TMyPermissionRecord{QStringLiteral("0501"), {}, {}},
                         TMyPermissionRecord{QStringLiteral("0502"), {}, {}},
                         TMyPermissionRecord{QStringLiteral("0502"), {}, {}}};
    const struct {
        const char* id;
        int index;
    } cases[] = {{"0501", 0}, {"0502", 1}, {"000000000", -1}, {"0501 ", -1}, {"", -1}};
    for (const auto& c : cases) {
        state.PermissionId = QString::fromLatin1(c.id);
        EXPECT_EQ(state.FindPermission(), c.index) << c.id;
    }
    state.Permissions.clear();
    state.PermissionId = QStringLiteral("0501");
    EXPECT_EQ(state.FindPermission(), -1);
}

TEST_F(ClientState, ResetBufferByUserSendsNothingWithoutAUser) {
    for (const char* id : {"", " \t "}) {
        state.UserId = QString::fromLatin1(id);
        EXPECT_TRUE(state.ResetBufferByUser());
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(ClientState, ResetBufferByUserSucceedsOnlyOnTheSuccessWord) {
    state.UserId = QStringLiteral("u 1");
    const struct {
        QByteArray body;
        int status;
        bool result;
    } cases[] = {{gbk::encode(QStringLiteral(" 成功\r\n")), 200, true},
                 {gbk::encode(QStringLiteral("失败")), 200, false},
                 {QByteArray(), 200, false},
                 {gbk::encode(QStringLiteral("成功")), 500, false}};
    for (const auto& c : cases) {
        server.clearRequests();
        server.setReply(QStringLiteral("ResetBufferByUser"), c.body, c.status, "text/plain");
        EXPECT_EQ(state.ResetBufferByUser(), c.result) << c.body.toHex().constData();
        EXPECT_EQ(onlyRequest(QStringLiteral("ResetBufferByUser")),
                  QStringLiteral("/ResetBufferByUser?UserId=u 1"));
    }
}

// ---------------------------------------------------------------- marking parameters

QByteArray ParamReply(const QString& basic, const QString& cut, const QString& sub,
                      const QString& paper, const QString& desc = QStringLiteral("说明")) {
    return GbkXml(QStringLiteral("<r><Basic>%1</Basic><Cut>%2</Cut><SubQuestion>%3</SubQuestion>"
                                 "<Paper>%4</Paper><MarkDesc> %5 </MarkDesc></r>")
                      .arg(basic, cut, sub, paper, desc));
}

const QString kBasic = QStringLiteral("0,10,0.5,3,4,02,2");
const QString kCuts = QStringLiteral("(1,1,10,20,110,120,0),(2,2,5,6,7,8,3)");
const QString kSubs = QStringLiteral("(1a,第一小题,0,5,100,200),(1b,第二 小题,0.5,5.5,300,400)");
const QString kPaper = QStringLiteral("D:\\img,3,2,2,2,Q01,自动,是,x");

TEST_F(ClientState, GetParamReadsEveryList) {
    state.PageSlots = {PageSlot{7, true}};
    server.setReply(QStringLiteral("GetParam"),
                    ParamReply(QStringLiteral(" ") + kBasic,
                               QStringLiteral("(1,1,10,2\r\n0,110,120,0),\r\n(2,2,5,6,7,8,3)"),
                               kSubs, kPaper));
    ASSERT_TRUE(state.GetParam(QStringLiteral("06 y")));
    EXPECT_EQ(onlyRequest(QStringLiteral("GetParam")),
              QStringLiteral("/GetParam?UserId=u1&PermissionId=06 y"));
    EXPECT_EQ(state.PermissionId, QStringLiteral("06 y"));

    EXPECT_EQ(state.LowestScore, 0);
    EXPECT_EQ(state.FullScore, 10);
    EXPECT_EQ(state.ScoreStep, 0.5);
    EXPECT_EQ(state.BasicItem4, 3);
    EXPECT_EQ(state.BasicItem5, 4);
    EXPECT_EQ(state.MarkingMode, QStringLiteral("02"));
    EXPECT_EQ(state.MarkingTurn, 2);

    // The CR LF inside "2\r\n0" is removed before parsing, making 20.
    ASSERT_EQ(state.Cuts.size(), 2);
    const CutRegion& a = state.Cuts[0];
    EXPECT_EQ((QList<int>{a.CutNo, a.Page, a.X1, a.Y1, a.X2, a.Y2, a.ImageNo}),
              (QList<int>{1, 1, 10, 20, 110, 120, 0}));
    const CutRegion& b = state.Cuts[1];
    EXPECT_EQ((QList<int>{b.CutNo, b.Page, b.X1, b.Y1, b.X2, b.Y2, b.ImageNo}),
              (QList<int>{2, 2, 5, 6, 7, 8, 3}));

    ASSERT_EQ(state.SubQuestions.size(), 2);
    EXPECT_EQ(state.SubQuestions[0].SubQuestionId, QStringLiteral("1a"));
    EXPECT_EQ(state.SubQuestions[0].SubQuestionName, QStringLiteral("第一小题"));
    EXPECT_EQ(state.SubQuestions[1].SubQuestionName, QStringLiteral("第二 小题"));
    EXPECT_EQ(state.SubQuestions[1].LowestMark, 0.5);
    EXPECT_EQ(state.SubQuestions[1].HighestMark, 5.5);
    EXPECT_EQ(state.SubQuestions[1].PosX, 300);
    EXPECT_EQ(state.SubQuestions[1].PosY, 400);

    EXPECT_EQ(state.ImageRoot, QStringLiteral("D:\\img"));
    EXPECT_EQ(state.StudentFolderStart, 3);
    EXPECT_EQ(state.StudentFolderLength, 2);
    EXPECT_EQ(state.SheetImageCount, 2);
    EXPECT_EQ(state.PageCount, 2);
    EXPECT_EQ(state.QuestionId, QStringLiteral("Q01"));
    EXPECT_EQ(state.CutMode, QStringLiteral("自动"));
    EXPECT_EQ(state.ShowInfoBox, QStringLiteral("是"));
    EXPECT_EQ(state.PaperItem9, QStringLiteral("x"));
    EXPECT_EQ(state.MarkDesc, QStringLiteral("说明"));

    // One slot per page plus one; slot 0 keeps what it held.
    ASSERT_EQ(state.PageSlots.size(), 3);
    EXPECT_EQ(state.PageSlots[0].PageNumber, 7);
    EXPECT_TRUE(state.PageSlots[0].Loaded);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(state.PageSlots[i].PageNumber, 0);
        EXPECT_FALSE(state.PageSlots[i].Loaded);
    }
}

TEST_F(ClientState, GetParamMakesOneRegionPerSevenItems) {
    const struct {
        const char* cut;
        int regions;
    } cases[] = {
        {"1,1,10,20,110,120,0,2,2,5,6,7,8", 1},
        {"", 0},
        {"1,1,10,20,110,120,0,2,2,5,6,7,8,3", 2},
        {"(1,1,10,20,110,120,0)(2,2,5,6,7,8,3)", 2},
        {"(1,1,10,20,110,120,0)", 1},
        {"(1, 1, 10, 20, 110, 120, 0)", 1},
    };
    for (const auto& c : cases) {
        state.Cuts = {CutRegion{}, CutRegion{}, CutRegion{}};
        server.setReply(QStringLiteral("GetParam"),
                        ParamReply(kBasic, QString::fromLatin1(c.cut), kSubs, kPaper));
        EXPECT_TRUE(state.GetParam(QStringLiteral("p"))) << c.cut;
        EXPECT_EQ(state.Cuts.size(), c.regions) << c.cut;
    }
    EXPECT_EQ(state.Cuts[0].ImageNo, 0);
    EXPECT_EQ(state.Cuts[0].Y2, 120);

    // A reply without a Cut element empties the regions as well.
    server.setReply(QStringLiteral("GetParam"),
                    GbkXml(QStringLiteral("<r><Basic>") + kBasic + QStringLiteral("</Basic></r>")));
    EXPECT_TRUE(state.GetParam(QStringLiteral("p")));
    EXPECT_TRUE(state.Cuts.isEmpty());
    EXPECT_TRUE(state.SubQuestions.isEmpty());
}

class GetParamKeeping : public ClientState {
protected:
    void SetUp() override {
        ClientState::SetUp();
        state.LowestScore = 1;
        state.FullScore = 2;
        state.ScoreStep = 3;
        state.MarkingTurn = 9;
        state.PageCount = 4;
        state.ImageRoot = QStringLiteral("old");
        state.MarkDesc = QStringLiteral("旧");
        state.Cuts = {CutRegion{9, 9, 9, 9, 9, 9, 9}};
    }
};

TEST_F(GetParamKeeping, ListsOfTheWrongLengthKeepTheirFieldsAndStillSucceed) {
    const struct {
        const char* name;
        QString basic;
        QString paper;
        double fullScore; // kept 2 or taken from Basic
        int pageCount;    // kept 4 or taken from Paper
        QString imageRoot;
    } cases[] = {
        {"Basic of eight items", QStringLiteral("5,50,1,3,4,02,2,8"), kPaper, 2, 2,
         QStringLiteral("D:\\img")},
        {"Paper of eight items", kBasic, QStringLiteral("D:\\img,3,2,2,2,Q01,自动,是"), 10, 4,
         QStringLiteral("old")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        server.setReply(QStringLiteral("GetParam"), ParamReply(c.basic, kCuts, kSubs, c.paper));
        EXPECT_TRUE(state.GetParam(QStringLiteral("p")));
        EXPECT_EQ(state.FullScore, c.fullScore);
        EXPECT_EQ(state.PageCount, c.pageCount);
        EXPECT_EQ(state.ImageRoot, c.imageRoot);
        // The slot table is sized from whatever the page count now is.
        EXPECT_EQ(state.PageSlots.size(), c.pageCount + 1);
        EXPECT_EQ(state.Cuts.size(), 2);
    }
}

TEST_F(GetParamKeeping, NonNumericLowestMarkFailsAfterBasicAndCutsWereStored) {
    server.setReply(
        QStringLiteral("GetParam"),
        ParamReply(kBasic, kCuts, QStringLiteral("(1a,第一小题,零,5,100,200)"), kPaper));
    EXPECT_FALSE(state.GetParam(QStringLiteral("p2")));
    EXPECT_EQ(state.PermissionId, QStringLiteral("p2"));
    EXPECT_EQ(state.FullScore, 10);
    EXPECT_EQ(state.MarkingTurn, 2);
    ASSERT_EQ(state.Cuts.size(), 2);
    EXPECT_EQ(state.Cuts[1].ImageNo, 3);
    EXPECT_EQ(state.SubQuestions.value(0).SubQuestionName, QStringLiteral("第一小题"));
    EXPECT_EQ(state.ImageRoot, QStringLiteral("old"));
    EXPECT_EQ(state.PageCount, 4);
    EXPECT_EQ(state.MarkDesc, QStringLiteral("旧"));
}

TEST_F(GetParamKeeping, RefusedRepliesChangeNothingButThePermission) {
    const struct {
        const char* name;
        QByteArray body;
        int status;
    } cases[] = {
        {"no declaration",
         gbk::encode(QStringLiteral("<r><Basic>") + kBasic + QStringLiteral("</Basic></r>")), 200},
        {"malformed", GbkXml(QStringLiteral("<r><Basic>")), 200},
        {"blank", QByteArray("\r\n  \r\n"), 200},
        {"error status", ParamReply(kBasic, kCuts, kSubs, kPaper), 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.setReply(QStringLiteral("GetParam"), c.body, c.status);
        EXPECT_FALSE(state.GetParam(QStringLiteral("p3")));
        EXPECT_EQ(state.PermissionId, QStringLiteral("p3"));
        EXPECT_EQ(state.FullScore, 2);
        EXPECT_EQ(state.Cuts.size(), 1);
        EXPECT_EQ(state.PageCount, 4);
        EXPECT_TRUE(state.PageSlots.isEmpty());
    }
}

TEST_F(GetParamKeeping, CountsBeyondAnyRealExamAreRefusedBeforeTheyAreStored) {
    // -1 gives an empty slot table; counts no paper can have would only
    // build thousands of page views or score edits, and are refused before
    // the list (or any Paper field) is stored.
    auto repeated = [](const QString& record, int times) {
        QStringList records;
        for (int i = 0; i < times; ++i)
            records << record;
        return records.join(QLatin1Char(','));
    };
    const QString cut = QStringLiteral("(1,1,0,0,10,10,0)");
    const QString sub = QStringLiteral("(1,a,0,5,1,1)");
    const struct {
        const char* name;
        QString pages;
        QString cuts;
        QString subs;
        bool result;
        int slotCount;
        int pageCount;
        int cutCount;
    } cases[] = {
        {"no page", QStringLiteral("-1"), kCuts, kSubs, true, 0, -1, 2},
        {"zero pages", QStringLiteral("0"), kCuts, kSubs, true, 1, 0, 2},
        {"64 pages", QStringLiteral("64"), kCuts, kSubs, true, 65, 64, 2},
        {"-2 pages", QStringLiteral("-2"), kCuts, kSubs, false, 0, 4, 2},
        {"65 pages", QStringLiteral("65"), kCuts, kSubs, false, 0, 4, 2},
        {"10000 pages", QStringLiteral("10000"), kCuts, kSubs, false, 0, 4, 2},
        {"2^31-1 pages", QStringLiteral("2147483647"), kCuts, kSubs, false, 0, 4, 2},
        {"256 regions", QStringLiteral("2"), repeated(cut, 256), kSubs, true, 3, 2, 256},
        {"257 regions", QStringLiteral("2"), repeated(cut, 257), kSubs, false, 0, 4, 1},
        {"65 sub-questions", QStringLiteral("2"), kCuts, repeated(sub, 65), false, 0, 4, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state.PageSlots.clear();
        state.PageCount = 4;
        state.ImageRoot = QStringLiteral("old");
        state.Cuts = {CutRegion{9, 9, 9, 9, 9, 9, 9}};
        server.setReply(QStringLiteral("GetParam"),
                        ParamReply(kBasic, c.cuts, c.subs,
                                   QStringLiteral("D:\\img,3,2,2,%1,Q01,自动,是,x").arg(c.pages)));
        EXPECT_EQ(state.GetParam(QStringLiteral("p")), c.result);
        EXPECT_EQ(state.PageSlots.size(), c.slotCount);
        EXPECT_EQ(state.PageCount, c.pageCount);
        EXPECT_EQ(state.Cuts.size(), c.cutCount);
        if (!c.result)
            EXPECT_EQ(state.ImageRoot, QStringLiteral("old"));
    }
}

// Region edges and score positions beyond any picture are clamped to the
// image layer's bound when read (a region's size, X2 - X1, then always fits
// an int); page and image numbers are only names and stay as sent.
TEST_F(ClientState, GetParamClampsRegionEdgesAndScorePositions) {
    server.setReply(QStringLiteral("GetParam"),
                    ParamReply(kBasic,
                               QStringLiteral("(1,2147483647,-2147483648,2147483647,2147483647,"
                                              "-2147483648,-2147483648)"),
                               QStringLiteral("(1a,x,0,5,2147483647,-2147483648)"), kPaper));
    ASSERT_TRUE(state.GetParam(QStringLiteral("P")));
    const int k = imaging::kMaxCoordinate;
    ASSERT_EQ(state.Cuts.size(), 1);
    const CutRegion& r = state.Cuts[0];
    EXPECT_EQ((QList<int>{r.CutNo, r.Page, r.X1, r.Y1, r.X2, r.Y2, r.ImageNo}),
              (QList<int>{1, 2147483647, -k, k, k, -k, -2147483647 - 1}));
    ASSERT_EQ(state.SubQuestions.size(), 1);
    EXPECT_EQ(QPoint(state.SubQuestions[0].PosX, state.SubQuestions[0].PosY), QPoint(k, -k));
}

TEST_F(ClientState, GetInfoParamClampsTheBox) {
    server.setReply(QStringLiteral("GetInfoParam"),
                    Xml(QStringLiteral("<r><InfoStartX>-2147483648</InfoStartX>"
                                       "<InfoStartY>1000001</InfoStartY><InfoEndX>2147483647"
                                       "</InfoEndX><InfoEndY>230</InfoEndY></r>")));
    ASSERT_TRUE(state.GetInfoParam());
    const int k = imaging::kMaxCoordinate;
    EXPECT_EQ((QList<int>{state.InfoStartX, state.InfoStartY, state.InfoEndX, state.InfoEndY}),
              (QList<int>{-k, k, k, 230}));
}

TEST_F(ClientState, PageSlotsAreHandedOutInTheOrderPagesFirstOccur) {
    state.PageSlots.resize(4);
    state.PageSlots[2] = PageSlot{5, true};
    state.ResetPageSlots();
    for (const PageSlot& slot : state.PageSlots) {
        EXPECT_EQ(slot.PageNumber, -1);
        EXPECT_FALSE(slot.Loaded);
    }
    // What the paper loading does for each region in turn.
    const int pages[] = {3, 3, 1, 2, 1};
    const int expected[] = {0, 0, 1, 2, 1};
    for (int r = 0; r < 5; ++r) {
        const int slot = state.FindPageSlot(pages[r]);
        EXPECT_EQ(slot, expected[r]) << "region " << r;
        state.PageSlots[slot] = PageSlot{pages[r], true};
    }
    EXPECT_EQ(state.FindPageSlot(4), 3);
    state.PageSlots[3] = PageSlot{4, true};
    // Every slot taken: the first one is handed out again.
    EXPECT_EQ(state.FindPageSlot(9), 0);
    state.PageSlots.clear();
    EXPECT_EQ(state.FindPageSlot(1), 0);
}

TEST_F(ClientState, SavePersonConfigUpdatesTheLocalCopyOnlyAfterTheServerTookIt) {
    state.Permissions = {TMyPermissionRecord{QStringLiteral("0501"), {}, QStringLiteral("1")},
                         TMyPermissionRecord{QStringLiteral("05x"), {}, QStringLiteral("2")}};
    const QString config = QStringLiteral("1,2.5 3&x=y");

    server.setReply(QStringLiteral("SavePersonConfig"), "whatever", 500);
    state.SavePersonConfig(config);
    EXPECT_EQ(onlyRequest(QStringLiteral("SavePersonConfig")),
              QStringLiteral("/SavePersonConfig?UserId=u1&PermissionId=05x&MarkConfig=") + config);
    EXPECT_EQ(state.Permissions[1].MarkConfig, QStringLiteral("2"));

    server.clearRequests();
    server.setReply(QStringLiteral("SavePersonConfig"), "");
    state.SavePersonConfig(config);
    EXPECT_EQ(server.requestsFor(QStringLiteral("SavePersonConfig")).size(), 1);
    EXPECT_EQ(state.Permissions[0].MarkConfig, QStringLiteral("1"));
    EXPECT_EQ(state.Permissions[1].MarkConfig, config);

    // An unknown permission is still sent but changes nothing here.
    server.clearRequests();
    state.PermissionId = QStringLiteral("0999");
    state.SavePersonConfig(QStringLiteral("7"));
    EXPECT_EQ(server.requestsFor(QStringLiteral("SavePersonConfig")).size(), 1);
    EXPECT_EQ(state.Permissions[0].MarkConfig, QStringLiteral("1"));
    EXPECT_EQ(state.Permissions[1].MarkConfig, config);
}

// ---------------------------------------------------------------- paper requests

TEST_F(ClientState, GetQuestionStoresThePaperAndItsTurns) {
    server.setReply(QStringLiteral("GetQuestion"),
                    Xml(QStringLiteral("<r><StudentId> AB12CD34 </StudentId>"
                                       "<AllTurnInfo> 1$a=1$2 </AllTurnInfo></r>")));
    state.PermissionId = QStringLiteral("05 x");
    ASSERT_TRUE(state.GetQuestion());
    EXPECT_EQ(
        onlyRequest(QStringLiteral("GetQuestion")),
        QStringLiteral("/GetQuestion?UserId=u1&PermissionId=05 x&FixUserId=&IsGetFixQuestion="));
    EXPECT_TRUE(server.requestsFor(QStringLiteral("GetQuestion"))
                    .value(0)
                    .endsWith("&FixUserId=&IsGetFixQuestion="));
    EXPECT_EQ(state.StudentId, QStringLiteral("AB12CD34"));
    EXPECT_EQ(state.AllTurnInfo, QStringLiteral("1&a=1&2"));

    // The server's "no paper" answer is stored like any id.
    server.setReply(QStringLiteral("GetQuestion"),
                    Xml(QStringLiteral("<r><StudentId>none</StudentId></r>")));
    EXPECT_TRUE(state.GetQuestion());
    EXPECT_EQ(state.StudentId, QStringLiteral("none"));
    EXPECT_EQ(state.AllTurnInfo, QString());
}

TEST_F(ClientState, FailedPaperRequestsKeepThePaperOnScreen) {
    const struct {
        const char* name;
        QByteArray body;
        int status;
    } cases[] = {
        {"blank", QByteArray(" \r\n"), 200},
        {"no declaration", gbk::encode(QStringLiteral("<r><StudentId>S9</StudentId></r>")), 200},
        {"malformed", Xml(QStringLiteral("<r><StudentId>S9</r>")), 200},
        {"error status", Xml(QStringLiteral("<r><StudentId>S9</StudentId></r>")), 404},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state.StudentId = QStringLiteral("S1");
        state.AllTurnInfo = QStringLiteral("turns");
        state.CallBackTag = QStringLiteral("tag");
        server.setReply(QStringLiteral("GetQuestion"), c.body, c.status);
        server.setReply(QStringLiteral("CallBack"), c.body, c.status);
        EXPECT_FALSE(state.GetQuestion());
        EXPECT_FALSE(state.CallBack(1));
        EXPECT_EQ(state.StudentId, QStringLiteral("S1"));
        EXPECT_EQ(state.AllTurnInfo, QStringLiteral("turns"));
        EXPECT_EQ(state.CallBackTag, QStringLiteral("tag"));
    }
}

TEST_F(ClientState, CallBackStoresTheCalledBackPaper) {
    server.setReply(QStringLiteral("CallBack"),
                    Xml(QStringLiteral("<r><StudentId>S7</StudentId><AllTurnInfo>a$b</AllTurnInfo>"
                                       "<Tag> 1,2$X$3 </Tag><Mark> 8.5 </Mark></r>")));
    ASSERT_TRUE(state.CallBack(3));
    EXPECT_EQ(onlyRequest(QStringLiteral("CallBack")),
              QStringLiteral("/CallBack?UserId=u1&PermissionId=05x&CallbackSerial=3"));
    EXPECT_EQ(state.StudentId, QStringLiteral("S7"));
    EXPECT_EQ(state.AllTurnInfo, QStringLiteral("a&b"));
    EXPECT_EQ(state.CallBackTag, QStringLiteral("1,2&X&3"));
    EXPECT_EQ(state.CallBackMark, QStringLiteral("8.5"));
}

TEST_F(ClientState, SaveSymbolSendsEveryValueInOrder) {
    RecordingMessages messages;
    state.StudentId = QStringLiteral("S1");
    server.setReply(QStringLiteral("SaveSymbol"), gbk::encode(QStringLiteral("失败")));
    const struct {
        double mark;
        const char* text;
    } marks[] = {{8, "8"}, {8.5, "8.5"}, {0.25, "0.25"}, {10, "10"}};
    for (const auto& m : marks) {
        server.clearRequests();
        // A success status is enough, whatever the body says.
        EXPECT_TRUE(state.SaveSymbol(QStringLiteral("1a=4;1b=4.5"), QStringLiteral("a&b=c+d%"),
                                     m.mark, QStringLiteral("1"), QStringLiteral("数据 异常 #2")));
        EXPECT_EQ(onlyRequest(QStringLiteral("SaveSymbol")),
                  QStringLiteral("/SaveSymbol?UserId=u1&PermissionId=05x&StudentId=S1&Mark=%1"
                                 "&Submarks=1a=4;1b=4.5&Tag=a&b=c+d%&IsExceptional=1"
                                 "&Description=数据 异常 #2")
                      .arg(QString::fromLatin1(m.text)));
    }
    const QByteArray raw = server.requestsFor(QStringLiteral("SaveSymbol")).value(0);
    EXPECT_TRUE(raw.contains("%20")) << raw.constData();
    EXPECT_TRUE(
        QByteArray::fromPercentEncoding(raw).contains(gbk::encode(QStringLiteral("数据 异常"))));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ClientState, SaveSymbolReportsItsOwnFailure) {
    RecordingMessages messages;
    server.setReply(QStringLiteral("SaveSymbol"), "", 500);
    EXPECT_FALSE(state.SaveSymbol(QString(), QString(), 0, QStringLiteral("0"), QString()));
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("交卷出错")});

    state.ServerUrl = QStringLiteral("http://127.0.0.1:1");
    EXPECT_FALSE(state.SaveSymbol(QString(), QString(), 0, QStringLiteral("0"), QString()));
    EXPECT_EQ(messages.shown.size(), 2);
}

TEST_F(ClientState, GetInfoParamReadsTheBoxOfThePaper) {
    state.StudentId = QStringLiteral("S1");
    state.QuestionId = QStringLiteral("Q 1");
    server.setReply(QStringLiteral("GetInfoParam"),
                    Xml(QStringLiteral("<r><InfoStartX>10</InfoStartX><InfoStartY>-20</InfoStartY>"
                                       "<InfoEndX>300</InfoEndX><InfoEndY>40</InfoEndY></r>")));
    int read = -1;
    ASSERT_TRUE(state.GetInfoParam(&read));
    EXPECT_EQ(read, 4);
    EXPECT_EQ(onlyRequest(QStringLiteral("GetInfoParam")),
              QStringLiteral("/GetInfoParam?StudentId=S1&QuestionId=Q 1"));
    EXPECT_EQ((QList<int>{state.InfoStartX, state.InfoStartY, state.InfoEndX, state.InfoEndY}),
              (QList<int>{10, -20, 300, 40}));
}

TEST_F(ClientState, GetInfoParamStopsAtTheFirstUnreadableCoordinate) {
    const struct {
        const char* name;
        QByteArray body;
        bool result;
        QList<int> box;
        int read; // coordinates this call stored
    } cases[] = {
        {"single root element",
         gbk::encode(QStringLiteral("<r><InfoStartX>5</InfoStartX></r>")),
         true,
         {1, 2, 3, 4},
         0},
        {"only the declaration", Xml(QString()), true, {1, 2, 3, 4}, 0},
        {"third not an integer",
         Xml(QStringLiteral("<r><InfoStartX>5</InfoStartX><InfoStartY>6</InfoStartY>"
                            "<InfoEndX>7.5</InfoEndX><InfoEndY>8</InfoEndY></r>")),
         false,
         {5, 6, 3, 4},
         2},
        {"values are not trimmed",
         Xml(QStringLiteral("<r><InfoStartX>5 </InfoStartX><InfoStartY>6</InfoStartY></r>")),
         false,
         {1, 2, 3, 4},
         0},
        {"fourth missing",
         Xml(QStringLiteral("<r><InfoStartX>5</InfoStartX><InfoStartY>6</InfoStartY>"
                            "<InfoEndX>7</InfoEndX></r>")),
         false,
         {5, 6, 7, 4},
         3},
        {"blank", QByteArray("  "), false, {1, 2, 3, 4}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state.InfoStartX = 1;
        state.InfoStartY = 2;
        state.InfoEndX = 3;
        state.InfoEndY = 4;
        server.setReply(QStringLiteral("GetInfoParam"), c.body);
        int read = -1;
        EXPECT_EQ(state.GetInfoParam(&read), c.result);
        EXPECT_EQ(read, c.read);
        EXPECT_EQ((QList<int>{state.InfoStartX, state.InfoStartY, state.InfoEndX, state.InfoEndY}),
                  c.box);
    }
}

TEST_F(ClientState, ChangePasswordTakesTheNewPasswordOnlyOnSuccess) {
    const QString first = QStringLiteral("n&w=1 #");
    server.setReply(QStringLiteral("ChangePassword"), gbk::encode(QStringLiteral("  成功\r\n")),
                    200, "text/plain");
    ASSERT_TRUE(state.ChangePassword(first));
    EXPECT_EQ(onlyRequest(QStringLiteral("ChangePassword")),
              QStringLiteral("/ChangePassword?UserId=u1&OldPassword=pw&NewPassword=") + first);
    EXPECT_EQ(state.Password, first);

    const struct {
        const char* name;
        QByteArray body;
        int status;
    } refusals[] = {{"exclamation", gbk::encode(QStringLiteral("成功!")), 200},
                    {"empty", QByteArray(), 200},
                    {"error status", gbk::encode(QStringLiteral("成功")), 500}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        server.clearRequests();
        server.setReply(QStringLiteral("ChangePassword"), r.body, r.status, "text/plain");
        EXPECT_FALSE(state.ChangePassword(QStringLiteral("second")));
        EXPECT_EQ(state.Password, first);
        // The next attempt still proves the password the server knows.
        EXPECT_EQ(QueryValue(server.requestsFor(QStringLiteral("ChangePassword")).value(0),
                             "OldPassword"),
                  first);
    }
}

// ---------------------------------------------------------------- image addresses

class ImageAddresses : public ClientState {
protected:
    void SetUp() override {
        ClientState::SetUp();
        state.ImageRoot = QStringLiteral("D:\\img");
        state.PermissionId = QStringLiteral("05x");
        state.StudentId = QStringLiteral("AB12CD34");
        state.StudentFolderStart = 3;
        state.StudentFolderLength = 2;
        state.CutMode = QStringLiteral("自动");
    }

    // The File value as the server reads it, after checking the address form.
    QString file(const QString& address) {
        const QString prefix =
            QStringLiteral("http://") + server.address() + QStringLiteral("/GetImageFile?File=");
        EXPECT_TRUE(address.startsWith(prefix)) << address.toStdString();
        const QByteArray raw = address.toLatin1();
        ExpectWireSafe(raw);
        bool found = false;
        const QString value = QueryValue(raw.mid(raw.indexOf("/GetImageFile")), "File", &found);
        EXPECT_TRUE(found);
        return value;
    }
};

TEST_F(ImageAddresses, PageAndCutImagesNameTheStudentsFile) {
    EXPECT_EQ(file(state.PageImageAddress(2)), QStringLiteral("D:\\img\\05\\12\\AB12CD34_2.jpg"));
    EXPECT_EQ(file(state.CutImageAddress(2)), QStringLiteral("D:\\img\\05\\12\\AB12CD34_2.jpg"));
    EXPECT_EQ(file(state.SheetImageAddress(2)), QStringLiteral("D:\\img\\05\\12\\AB12CD34_2.jpg"));
    state.CutMode = QStringLiteral("定制");
    EXPECT_EQ(file(state.SheetImageAddress(2)),
              QStringLiteral("D:\\img\\05\\info\\12\\AB12CD34_2F.jpg"));
    EXPECT_EQ(file(state.PageImageAddress(2)), QStringLiteral("D:\\img\\05\\12\\AB12CD34_2.jpg"));
}

TEST_F(ImageAddresses, PathBytesReachTheServerUnchanged) {
    state.ImageRoot = QStringLiteral("E:\\扫描 图像");
    state.PermissionId = QStringLiteral("0");
    const QString address = state.PageImageAddress(1);
    EXPECT_EQ(file(address), QStringLiteral("E:\\扫描 图像\\0\\12\\AB12CD34_1.jpg"));
    EXPECT_TRUE(
        QByteArray::fromPercentEncoding(address.toLatin1())
            .endsWith(gbk::encode(QStringLiteral("=E:\\扫描 图像\\0\\12\\AB12CD34_1.jpg"))));
}

TEST_F(ImageAddresses, StudentFolderIsClippedToTheId) {
    const struct {
        int start;
        int length;
        const char* path;
    } cases[] = {
        {1, 2, "D:\\img\\05\\AB\\AB12CD34_2.jpg"},   {0, 2, "D:\\img\\05\\AB\\AB12CD34_2.jpg"},
        {-5, 3, "D:\\img\\05\\AB1\\AB12CD34_2.jpg"}, {8, 1, "D:\\img\\05\\4\\AB12CD34_2.jpg"},
        {9, 2, "D:\\img\\05\\\\AB12CD34_2.jpg"},     {7, 10, "D:\\img\\05\\34\\AB12CD34_2.jpg"},
        {3, 0, "D:\\img\\05\\\\AB12CD34_2.jpg"},     {3, -1, "D:\\img\\05\\\\AB12CD34_2.jpg"},
    };
    for (const auto& c : cases) {
        state.StudentFolderStart = c.start;
        state.StudentFolderLength = c.length;
        EXPECT_EQ(file(state.PageImageAddress(2)), QString::fromLatin1(c.path))
            << c.start << "," << c.length;
    }
}

} // namespace
