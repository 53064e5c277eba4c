// The password dialog against a scripted server: what reaches the server,
// the three messages, the client state's password, and that the password
// never shows in a message or the log.

#include "GbkText.h"
#include "Messages.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "UntChangePassword.h"
#include "UntPublic.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kMismatch = QStringLiteral("第一次输入的新密码与第二次确认密码不一样，请重新输入!!");
const QString kChanged = QStringLiteral("密码修改成功!!");
const QString kFailed = QStringLiteral("密码修改失败!!");

// Every line the program logs while it lives.
class LogRecorder {
public:
    LogRecorder() {
        s_lines = &lines;
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                               const QString& text) { s_lines->append(text); });
    }
    ~LogRecorder() {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
    QStringList lines;

private:
    static inline QStringList* s_lines = nullptr;
    QtMessageHandler m_previous;
};

class ChangePasswordTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.UserId = QStringLiteral("t01");
        state.Password = QStringLiteral("old");
        serveSuccess();
    }
    void serveSuccess() {
        server.setReply(QStringLiteral("ChangePassword"), gbk::encode(QStringLiteral("成功")), 200,
                        "text/plain");
    }

    // Types a text key by key (Chinese characters as the input method
    // delivers them, one key event each).
    static void type(QLineEdit* edit, const QString& text) {
        edit->clear();
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
        ASSERT_EQ(edit->text(), text);
    }
    // Types both entries, as the marker does, and presses 确认.
    static void submit(TFrmChangePassword& dialog, const QString& first, const QString& second) {
        type(dialog.OneNewPassWord, first);
        type(dialog.TwoNewPassWord, second);
        QTest::mouseClick(dialog.BtnSave, Qt::LeftButton);
    }
    QList<QByteArray> sent() const { return server.requestsFor(QStringLiteral("ChangePassword")); }
};

TEST_F(ChangePasswordTest, SmallCentredToolWindowWithHashEcho) {
    TFrmChangePassword dialog(state);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("密码修改"));
    EXPECT_EQ(dialog.size(), QSize(256, 99));
    EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.BtnSave->text(), QStringLiteral("确认"));
    EXPECT_EQ(dialog.BtnSave->toolTip(), QStringLiteral("修改密码"));
    EXPECT_EQ(dialog.BtnExit->text(), QStringLiteral("退出"));
    EXPECT_EQ(dialog.BtnExit->toolTip(), QStringLiteral("退出模块"));
    for (QLineEdit* edit : {dialog.OneNewPassWord, dialog.TwoNewPassWord}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit),
                  '#');
        // Long entries are taken whole.
        const QString longText(300, QLatin1Char('x'));
        QTest::keyClicks(edit, longText);
        EXPECT_EQ(edit->text(), longText);
    }
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        captions.append(label->text());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        EXPECT_EQ(label->font().family(), QStringLiteral("宋体"));
    }
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("用户新密码"), QStringLiteral("确认新密码")}));

    dialog.show();
    const QImage shown = dialog.grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::white));
    const QScreen* screen = dialog.screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_LE(
        (dialog.frameGeometry().center() - screen->availableGeometry().center()).manhattanLength(),
        40);
}

TEST_F(ChangePasswordTest, DifferentEntriesNeverReachTheServer) {
    const struct {
        const char* name;
        QString first, second;
    } cases[] = {
        {"different", QStringLiteral("abc"), QStringLiteral("abd")},
        {"letter case only", QStringLiteral("Secret"), QStringLiteral("secret")},
        {"trailing space", QStringLiteral("abc"), QStringLiteral("abc ")},
        {"one empty", QString(), QStringLiteral("a")},
        {"full-width letter", QStringLiteral("ａ1"), QStringLiteral("a1")},
    };
    TFrmChangePassword dialog(state);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        submit(dialog, c.first, c.second);
        EXPECT_EQ(messages.shown, QStringList{kMismatch});
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_EQ(state.Password, QStringLiteral("old"));
        // The entries stay for the marker to correct.
        EXPECT_EQ(dialog.OneNewPassWord->text(), c.first);
        EXPECT_EQ(dialog.TwoNewPassWord->text(), c.second);
        EXPECT_TRUE(server.requests().isEmpty());
    }
}

TEST_F(ChangePasswordTest, TwoEmptyEntriesAreSentAsAnEmptyPassword) {
    TFrmChangePassword dialog(state);
    submit(dialog, QString(), QString());
    ASSERT_EQ(sent().size(), 1);
    EXPECT_EQ(sent().first(),
              QByteArray("/ChangePassword?UserId=t01&OldPassword=old&NewPassword="));
    EXPECT_EQ(messages.shown, QStringList{kChanged});
    EXPECT_EQ(state.Password, QString());
}

TEST_F(ChangePasswordTest, EachChangeProvesThePasswordTheServerNowKnows) {
    TFrmChangePassword dialog(state);
    submit(dialog, QStringLiteral("新 密&1"), QStringLiteral("新 密&1"));
    EXPECT_EQ(messages.shown, QStringList{kChanged});
    EXPECT_EQ(state.Password, QStringLiteral("新 密&1"));

    submit(dialog, QStringLiteral("third"), QStringLiteral("third"));
    // The same entries once more: old and new are then the same.
    QTest::mouseClick(dialog.BtnSave, Qt::LeftButton);
    const QList<QByteArray> requests = sent();
    ASSERT_EQ(requests.size(), 3);
    const QStringList olds = {QueryValue(requests[0], "OldPassword"),
                              QueryValue(requests[1], "OldPassword"),
                              QueryValue(requests[2], "OldPassword")};
    const QStringList news = {QueryValue(requests[0], "NewPassword"),
                              QueryValue(requests[1], "NewPassword"),
                              QueryValue(requests[2], "NewPassword")};
    EXPECT_EQ(olds, (QStringList{QStringLiteral("old"), QStringLiteral("新 密&1"),
                                 QStringLiteral("third")}));
    EXPECT_EQ(news, (QStringList{QStringLiteral("新 密&1"), QStringLiteral("third"),
                                 QStringLiteral("third")}));
    EXPECT_EQ(messages.shown, (QStringList{kChanged, kChanged, kChanged}));
    EXPECT_EQ(state.Password, QStringLiteral("third"));
    // The dialog stays open with its entries.
    EXPECT_EQ(dialog.OneNewPassWord->text(), QStringLiteral("third"));
}

TEST_F(ChangePasswordTest, AFailureKeepsThePasswordAndTheNextAttemptSendsIt) {
    const struct {
        const char* name;
        QByteArray body;
        int status;
        bool drop;
    } failures[] = {
        {"refusal word", gbk::encode(QStringLiteral("原密码错误")), 200, false},
        {"error status", gbk::encode(QStringLiteral("成功")), 500, false},
        {"empty reply", QByteArray(), 200, false},
        {"connection dropped", QByteArray(), 200, true},
    };
    TFrmChangePassword dialog(state);
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        messages.shown.clear();
        server.clearRequests();
        server.setReply(QStringLiteral("ChangePassword"), f.body, f.status, "text/plain");
        server.setDropConnection(QStringLiteral("ChangePassword"), f.drop);
        submit(dialog, QStringLiteral("new"), QStringLiteral("new"));
        EXPECT_EQ(messages.shown, QStringList{kFailed});
        EXPECT_EQ(state.Password, QStringLiteral("old"));
        ASSERT_EQ(sent().size(), 1);
        EXPECT_EQ(QueryValue(sent().first(), "OldPassword"), QStringLiteral("old"));
    }
    server.setDropConnection(QStringLiteral("ChangePassword"), false);
}

TEST_F(ChangePasswordTest, TheNewPasswordShowsInNoMessageAndNoLogLine) {
    const QString secret = QStringLiteral("Zq7-秘密-x9");
    // The log is where messages go when no window shows them.
    SetMessages(nullptr);
    LogRecorder log;
    TFrmChangePassword dialog(state);
    server.setReply(QStringLiteral("ChangePassword"), "", 500);
    submit(dialog, secret, secret);
    state.ServerUrl = QStringLiteral("http://127.0.0.1:1"); // nobody listens
    submit(dialog, secret, secret);
    state.ServerUrl = QStringLiteral("http://") + server.address();
    serveSuccess();
    submit(dialog, secret, secret);
    submit(dialog, secret, secret + QLatin1Char('!'));
    SetMessages(&messages);

    EXPECT_EQ(log.lines.filter(QStringLiteral("密码修改失败!!")).size(), 2);
    EXPECT_EQ(log.lines.filter(kChanged).size(), 1);
    EXPECT_EQ(log.lines.filter(kMismatch).size(), 1);
    for (const QString& line : log.lines)
        EXPECT_FALSE(line.contains(QStringLiteral("Zq7"))) << line.toStdString();
    EXPECT_EQ(state.Password, secret);
}

} // namespace
