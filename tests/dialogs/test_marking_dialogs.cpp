// The marking window's commands "全卷显示" and "修改密码": against a scripted
// server, and end to end against the demo server (its sheets, its
// information box, its stored password).

#include "AppPaths.h"
#include "DemoServer.h"
#include "ExamLayout.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "TestPictures.h"
#include "UntChangePassword.h"
#include "UntMainWindow.h"
#include "UntOriPaper.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QAction* Command(QWidget& window, const char* name) {
    auto* action = window.findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

// Triggers "全卷显示" and, once the viewer is up modally and waits for
// nothing any more, runs `look` on it and closes it with "退出". Returns
// whether a viewer came up.
bool LookAtViewer(QWidget& window, const std::function<void(TFrmOriPaper&)>& look) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<TFrmOriPaper*>(QApplication::activeModalWidget());
        if (!viewer || !viewer->isVisible() || QApplication::overrideCursor())
            return;
        poll.stop();
        seen = true;
        look(*viewer);
        viewer->RzToolButton1->click();
    });
    poll.start();
    Command(window, "ActViewOri")->trigger();
    poll.stop();
    return seen;
}

class MarkingDialogsTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        server.setReply(QStringLiteral("ResetBufferByUser"), gbk::encode(QStringLiteral("成功")),
                        200, "text/plain");
        server.setReply(QStringLiteral("GetQuestion"),
                        GbkXml(QStringLiteral("<Question><StudentId>AB12CD34</StudentId>"
                                              "<AllTurnInfo></AllTurnInfo></Question>")));
        server.setReply(
            QStringLiteral("GetInfoParam"),
            GbkXml(QStringLiteral("<Info><InfoStartX>100</InfoStartX><InfoStartY>50</InfoStartY>"
                                  "<InfoEndX>300</InfoEndX><InfoEndY>200</InfoEndY></Info>")));
        server.setReply(QStringLiteral("GetImageFile"),
                        PngBytes(PlainPicture(1000, 1400, qRgb(20, 30, 120))), 200, "image/jpeg");
        // Signed in; the first show fetches the parameters of the saved
        // permission: two full sheets, the information box covered.
        state.UserId = QStringLiteral("t01");
        state.Password = QStringLiteral("1");
        state.Validated = true;
        state.Permissions = {
            {QStringLiteral("05x"), QStringLiteral("第五题"), QStringLiteral("|1|")}};
        IniFile ini(ConfigIniPath());
        ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                        QStringLiteral("05x"));
        ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"),
                        QStringLiteral("100"));
        server.setReply(QStringLiteral("GetParam"),
                        GbkXml(QStringLiteral("<P><Basic>0,10,1,0,0,01,1</Basic>"
                                              "<Cut>(1,1,0,0,1000,1400,0)</Cut>"
                                              "<SubQuestion>(1,一,0,10,100,100)</SubQuestion>"
                                              "<Paper>D:\\img,3,2,2,1,Q01,自动,是,x</Paper></P>")));
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(900, 700);
        window->show();
    }
    void TearDown() override { window.reset(); }

    int requests(const char* command) const {
        return int(server.requestsFor(QString::fromLatin1(command)).size());
    }

    std::unique_ptr<TFrmMainWindow> window;
};

TEST_F(MarkingDialogsTest, ViewerOpensOnlyForAPaperThatCanStillBeSubmitted) {
    EXPECT_FALSE(Command(*window, "ActViewOri")->isEnabled());
    // Even with its command on, the viewer waits for a paper open for marking.
    Command(*window, "ActViewOri")->setEnabled(true);
    EXPECT_FALSE(LookAtViewer(*window, [](TFrmOriPaper&) {}));
    EXPECT_EQ(requests("GetInfoParam"), 0);

    Command(*window, "ActLoadPaper")->trigger();
    ASSERT_TRUE(Command(*window, "ActSavePaper")->isEnabled());
    server.clearRequests(); // the paper's own page
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        QPointer<TFrmOriPaper> shown;
        EXPECT_TRUE(LookAtViewer(*window, [&](TFrmOriPaper& viewer) {
            shown = &viewer;
            EXPECT_EQ(viewer.parentWidget(), window.get());
            EXPECT_TRUE(viewer.isModal());
            EXPECT_EQ(viewer.ViewImageEnVect->image().size(), QSize(2000, 1400));
            EXPECT_EQ(viewer.ViewImageEnVect->layer().count(), 1);
        }));
        // Destroyed on closing; every opening fetches box and sheets again.
        EXPECT_TRUE(shown.isNull());
        EXPECT_TRUE(window->findChildren<TFrmOriPaper*>().isEmpty());
        EXPECT_EQ(requests("GetInfoParam"), opening);
        EXPECT_EQ(requests("GetImageFile"), 2 * opening);
    }
    // The paper on screen carries on as it was.
    EXPECT_TRUE(Command(*window, "ActSavePaper")->isEnabled());
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
}

TEST_F(MarkingDialogsTest, ViewerWithoutThePapersBoxReturnsAtOnce) {
    Command(*window, "ActLoadPaper")->trigger();
    server.clearRequests(); // the paper's own page
    server.setReply(QStringLiteral("GetInfoParam"), "", 500);
    // No viewer stays up to be closed: the command returns by itself.
    EXPECT_FALSE(LookAtViewer(*window, [](TFrmOriPaper&) {}));
    EXPECT_EQ(messages.shown,
              QStringList{QStringLiteral("考生信息区位置获取失败，不能显示全卷!!")});
    EXPECT_EQ(requests("GetImageFile"), 0);
    EXPECT_TRUE(window->findChildren<TFrmOriPaper*>().isEmpty());
}

TEST_F(MarkingDialogsTest, PasswordDialogIsOneModelessWindowThatKeepsItsEntries) {
    QAction* command = Command(*window, "ActChangePassword");
    command->trigger();
    const QList<TFrmChangePassword*> dialogs = window->findChildren<TFrmChangePassword*>();
    ASSERT_EQ(dialogs.size(), 1);
    QPointer<TFrmChangePassword> dialog = dialogs.first();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isEnabled());

    QTest::keyClicks(dialog->OneNewPassWord, QStringLiteral("abc"));
    QTest::keyClicks(dialog->TwoNewPassWord, QStringLiteral("abd"));
    QTest::mouseClick(dialog->BtnExit, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog.isNull());

    command->trigger();
    EXPECT_EQ(window->findChildren<TFrmChangePassword*>(), QList<TFrmChangePassword*>{dialog});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->OneNewPassWord->text(), QStringLiteral("abc"));
    EXPECT_EQ(dialog->TwoNewPassWord->text(), QStringLiteral("abd"));
    EXPECT_EQ(requests("ChangePassword"), 0);

    window.reset();
    EXPECT_TRUE(dialog.isNull());
}

// ---------------------------------------------------------------- demo server

class DemoDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid() && dataDir.isValid());
        SetAppDir(appDir.path());
        ServerOptions options;
        options.port = 0;
        options.dataDir = dataDir.path();
        options.students = 4;
        server = std::make_unique<DemoServer>(options);
        ASSERT_TRUE(server->start()) << server->error().toStdString();
        address = QStringLiteral("http://127.0.0.1:%1").arg(server->port());
        state.ServerUrl = address;
        ASSERT_TRUE(state.ValidateUser(QStringLiteral("t01"), QStringLiteral("1")));
    }
    // The marking window on a permission saved beforehand, as after an
    // earlier run.
    void openWindow(const QString& permissionId) {
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"), permissionId);
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(1000, 800);
        window->show();
    }
    void TearDown() override {
        window.reset();
        SetAppDir(QString());
    }

    // A sign-in of its own, leaving the window's client state alone.
    bool signsIn(const QString& password) {
        QtHttpGet otherHttp;
        XmlReply otherXml;
        TPublicFuctionObject other(otherHttp, otherXml);
        other.ServerUrl = address;
        return other.ValidateUser(QStringLiteral("t01"), password);
    }

    QTemporaryDir appDir;
    QTemporaryDir dataDir;
    RecordingMessages messages;
    // The server goes after the client: a connection the client keeps open
    // would hold up its stop.
    std::unique_ptr<DemoServer> server;
    QString address;
    QtHttpGet http;
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
    std::unique_ptr<TFrmMainWindow> window;

    void lookAtTheBox();
};

TEST_F(DemoDialogsTest, TheWhiteBoxHidesTheDemoSheetsInformationBox) {
    // 基础知识 cuts its page pictures itself; 解答题 has ready-cut pictures
    // and its full sheets under info\ with the F suffix.
    for (const char* permission : {"010101", "020201"}) {
        SCOPED_TRACE(permission);
        messages.shown.clear();
        openWindow(QString::fromLatin1(permission));
        lookAtTheBox();
    }
    EXPECT_EQ(state.CutMode, QStringLiteral("定制"));
}

void DemoDialogsTest::lookAtTheBox() {
    Command(*window, "ActLoadPaper")->trigger();
    ASSERT_TRUE(Command(*window, "ActSavePaper")->isEnabled())
        << messages.shown.join('|').toStdString();
    const QRect info = layout::kInfoBox;
    ASSERT_TRUE(LookAtViewer(*window, [&](TFrmOriPaper& viewer) {
        imaging::ImageView& view = *viewer.ViewImageEnVect;
        EXPECT_EQ(view.image().size(),
                  QSize(layout::kPageCount * layout::kPageWidth, layout::kPageHeight));
        ASSERT_EQ(view.layer().count(), 1);
        const imaging::VectorObject& box = *view.layer().object(view.layer().handleAt(0));
        EXPECT_EQ(box.bounds(), info);

        // The name and number are written inside the box on the sheet ...
        const QImage sheet = view.image().copy(info.adjusted(1, 1, -1, -1));
        int ink = 0;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                ink += qGray(sheet.pixel(x, y)) < 128;
        EXPECT_GT(ink, 500);
        // ... and none of it shows: inside its frame the box is all white.
        view.setZoom(100);
        view.setScroll(0, 0);
        const QImage shown =
            view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect visible = info.adjusted(1, 1, -1, -1).intersected(shown.rect());
        ASSERT_FALSE(visible.isEmpty());
        int uncovered = 0;
        for (int y = visible.top(); y <= visible.bottom(); ++y)
            for (int x = visible.left(); x <= visible.right(); ++x)
                uncovered += shown.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_EQ(uncovered, 0);
    }));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
}

TEST_F(DemoDialogsTest, ANewPasswordIsTheOneTheNextSignInNeeds) {
    openWindow(QStringLiteral("010101"));
    Command(*window, "ActChangePassword")->trigger();
    TFrmChangePassword* dialog = window->findChild<TFrmChangePassword*>();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dialog->OneNewPassWord, QStringLiteral("n3w pw"));
    QTest::keyClicks(dialog->TwoNewPassWord, QStringLiteral("n3w pw"));
    QTest::mouseClick(dialog->BtnSave, Qt::LeftButton);
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("密码修改成功!!")});
    EXPECT_FALSE(signsIn(QStringLiteral("1")));
    EXPECT_TRUE(signsIn(QStringLiteral("n3w pw")));

    // A second change proves the new password; the server takes it.
    QTest::mouseClick(dialog->BtnSave, Qt::LeftButton);
    EXPECT_EQ(messages.shown.last(), QStringLiteral("密码修改成功!!"));
    // The server refuses an empty one; the password stays what it was.
    dialog->OneNewPassWord->clear();
    dialog->TwoNewPassWord->clear();
    QTest::mouseClick(dialog->BtnSave, Qt::LeftButton);
    EXPECT_EQ(messages.shown.last(), QStringLiteral("密码修改失败!!"));
    EXPECT_EQ(state.Password, QStringLiteral("n3w pw"));
    EXPECT_TRUE(signsIn(QStringLiteral("n3w pw")));
}

} // namespace
