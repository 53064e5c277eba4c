// The sign-in window against a scripted loopback server.
#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "RecordingMessages.h"
#include "ScriptedServer.h"
#include "UntLogin.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kGranted =
    QStringLiteral("<User Name=\"张老师\" Descrip=\"\" Login=\"T\">"
                   "<P><PermissionId>0101</PermissionId><PermissionName>语文一</PermissionName>"
                   "<MarkConfig>|1|2|</MarkConfig></P></User>");
const QString kRefused =
    QStringLiteral("<User Name=\"张老师\" Descrip=\"密码错误 请重试\" Login=\"F\"></User>");

struct Opened {
    TFrmLogin::System system;
    QString userId;
};

class LoginTest : public ::testing::Test {
protected:
    QtHttpGet http{5000};
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
    ScriptedServer server;
    RecordingMessages messages;
    TFrmLogin login{state};
    QList<Opened> opened;

    void SetUp() override {
        login.setSystemOpener([this](TFrmLogin::System s, TPublicFuctionObject& st, QWidget*) {
            opened.append({s, st.UserId});
        });
    }

    void typeSignIn(const QString& address, const QString& user, const QString& password) {
        // Chinese text cannot be typed key by key; it arrives as an input method would.
        login.ServerIP->setText(address);
        login.edtUserName->setText(user);
        login.edtPassWord->setText(password);
    }
};

TEST_F(LoginTest, OpensTheChosenSystemAndSignsInAgainAfterItCloses) {
    server.setReply("ValidateUser", GbkXml(kGranted));
    login.show();
    typeSignIn(server.address(), "t01", "pw");

    login.btnLogin->click();
    login.ComboBoxSystem->setCurrentIndex(1);
    login.btnLogin->click();

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].system, TFrmLogin::MarkingSystem);
    EXPECT_EQ(opened[1].system, TFrmLogin::ReviewSystem);
    EXPECT_EQ(opened[0].userId, "t01");
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(state.ServerUrl, "http://" + server.address());
    // The texts stay for the next sign-in.
    EXPECT_EQ(login.edtUserName->text(), "t01");
}

TEST_F(LoginTest, EnterSignsInFromAnEditAndQuitsFromTheQuitButton) {
    server.setReply("ValidateUser", GbkXml(kGranted));
    login.show();
    login.activateWindow();
    typeSignIn(server.address(), "t01", "pw");
    const struct {
        const char* name;
        QWidget* focused;
        int signIns; // sign-ins so far
        bool open;   // the sign-in window still open
    } cases[] = {
        {"password edit", login.edtPassWord, 1, true},
        // Once the focus has left the quit button, Enter signs in again.
        {"user edit after the quit button", login.edtUserName, 2, true},
        {"quit button", login.btnCancel, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        login.btnCancel->setFocus();
        c.focused->setFocus();
        QTest::keyClick(c.focused, Qt::Key_Return);
        EXPECT_EQ(opened.size(), c.signIns);
        EXPECT_EQ(server.requestsFor("ValidateUser").size(), c.signIns);
        EXPECT_EQ(login.isVisible(), c.open);
    }
}

TEST_F(LoginTest, EachSystemWindowOpensModallyAndHandsTheSignInBack) {
    QTemporaryDir appDir; // Config.InI of the marking window
    ASSERT_TRUE(appDir.isValid());
    SetAppDir(appDir.path());
    struct RestoreAppDir {
        ~RestoreAppDir() { SetAppDir(QString()); }
    } restoreAppDir;
    server.setReply("ValidateUser", GbkXml(kGranted));
    server.setReply("ResetBufferByUser", gbk::encode(QStringLiteral("成功")), 200, "text/plain");
    login.setSystemOpener(&TFrmLogin::OpenSystemWindow);
    login.show();
    typeSignIn(server.address(), "t01", "pw");

    // Closes whatever modal window is up once no request is running (a
    // request shows the wait cursor), innermost first.
    QStringList closed;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != &login && modal->isVisible() && !QApplication::overrideCursor()) {
            closed.append(QString::fromLatin1(modal->metaObject()->className()));
            modal->close();
        }
    });
    closer.start(20);

    for (int system : {1, 0, 1}) {
        closed.clear();
        login.ComboBoxSystem->setCurrentIndex(system);
        login.btnLogin->click();
        ASSERT_FALSE(closed.isEmpty());
        EXPECT_EQ(closed.last(), system == 0 ? "TFrmMainWindow" : "TFrmViewTech");
        EXPECT_TRUE(login.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(server.requestsFor("ValidateUser").size(), 3);
    // Closing the marking window cleared the user's call-back buffer.
    EXPECT_EQ(server.requestsFor("ResetBufferByUser").size(), 1);
    EXPECT_EQ(login.edtUserName->text(), "t01");
}

TEST_F(LoginTest, ValuesTravelUnchangedWhateverTheyHold) {
    server.setReply("ValidateUser", GbkXml(kGranted));
    typeSignIn(server.address(), QStringLiteral("张 t&1"), QStringLiteral("a b&c=d#e+f%g"));
    login.btnLogin->click();

    const QList<QByteArray> requests = server.requestsFor("ValidateUser");
    ASSERT_EQ(requests.size(), 1);
    const QByteArray& target = requests.first();
    EXPECT_TRUE(target.startsWith("/ValidateUser?UserId=")) << target.constData();
    EXPECT_FALSE(target.contains(' '));
    EXPECT_TRUE(target.contains("%20"));
    EXPECT_EQ(QueryValue(target, "UserId"), QStringLiteral("张 t&1"));
    EXPECT_EQ(QueryValue(target, "Password"), QStringLiteral("a b&c=d#e+f%g"));
    bool found = false;
    const QString mac = QueryValue(target, "OperMac", &found);
    EXPECT_TRUE(found);
    EXPECT_TRUE(mac.isEmpty() || QRegularExpression("^[0-9A-F]{12}$").match(mac).hasMatch())
        << mac.toStdString();
}

TEST_F(LoginTest, RefusalShowsTheServersTextAndAnUnreachableServerRepeatsIt) {
    // First attempt against a closed port: nothing to show yet.
    typeSignIn("127.0.0.1:1", "t01", "bad");
    login.btnLogin->click();
    EXPECT_TRUE(messages.shown.isEmpty());

    server.setReply("ValidateUser", GbkXml(kRefused));
    typeSignIn(server.address(), "t01", "bad");
    login.btnLogin->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], QStringLiteral("密码错误 请重试"));

    typeSignIn("127.0.0.1:1", "t01", "bad");
    login.btnLogin->click();
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1], QStringLiteral("密码错误 请重试"));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(LoginTest, AccountWithoutPermissionIsToldSo) {
    server.setReply("ValidateUser",
                    GbkXml(QStringLiteral("<User Name=\"李\" Descrip=\"\" Login=\"T\"></User>")));
    typeSignIn(server.address(), "t09", "pw");
    login.btnLogin->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], QStringLiteral("您没有批阅权限,请联系管理员"));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(LoginTest, ControlsAsTheMarkerFindsThem) {
    EXPECT_EQ(login.windowTitle(), QStringLiteral("请登录"));
    EXPECT_EQ(login.size(), QSize(400, 248));
    EXPECT_EQ(login.ComboBoxSystem->count(), 2);
    EXPECT_EQ(login.ComboBoxSystem->itemText(0), QStringLiteral("评卷系统"));
    EXPECT_EQ(login.ComboBoxSystem->itemText(1), QStringLiteral("点评系统"));
    EXPECT_EQ(login.btnLogin->text(), QStringLiteral("&L.登录"));
    EXPECT_EQ(login.btnCancel->text(), QStringLiteral("&C.退出"));
    EXPECT_TRUE(login.btnLogin->isDefault());
    EXPECT_EQ(login.edtPassWord->echoMode(), QLineEdit::Password);

    // Over-long addresses and user ids cannot be typed.
    QTest::keyClicks(login.ServerIP, "127.0.0.1:180801234");
    QTest::keyClicks(login.edtUserName, "abcdefghijkl");
    EXPECT_EQ(login.ServerIP->text(), "127.0.0.1:18080");
    EXPECT_EQ(login.edtUserName->text(), "abcdefghij");

    // Focus order.
    EXPECT_EQ(login.btnLogin->nextInFocusChain(), login.btnCancel);
    QWidget* afterCancel = login.btnCancel->nextInFocusChain();
    EXPECT_EQ(afterCancel, login.ComboBoxSystem);
}

TEST_F(LoginTest, PasswordIsShownAsHashes) {
    login.show();
    QTest::keyClicks(login.edtPassWord, "a b!");
    EXPECT_EQ(login.edtPassWord->displayText(), "####");
    EXPECT_EQ(login.edtPassWord->text(), "a b!");
}

} // namespace
