// The marking window frame: creation, first show, the builders, the settings
// command, commands and keys, and closing.

#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "UntViewPaperConfig.h"
#include "XmlReply.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray ParamReply(int pages, int subQuestions) {
    QStringList items;
    for (int i = 0; i < subQuestions; ++i)
        items << QStringLiteral("(S%1,第%1小题,0,2,100,%2)").arg(i + 1).arg(100 * (i + 1));
    return GbkXml(
        QStringLiteral("<Root><Basic>0,10,1,0,0,01,1</Basic><Cut>(1,1,0,0,100,100,1)</Cut>"
                       "<SubQuestion>%1</SubQuestion><Paper>img,1,8,1,%2,Q1,自动,是,x</Paper>"
                       "<MarkDesc></MarkDesc></Root>")
            .arg(items.join(QLatin1Char(',')))
            .arg(pages));
}

class MainWindowTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.UserId = QStringLiteral("T01");
        state.UserName = QStringLiteral("张老师");
        state.Validated = true;
        state.Permissions = {
            {QStringLiteral("P1"), QStringLiteral("第一题 一评"), QStringLiteral("|1|2||3|")},
            {QStringLiteral("P2"), QStringLiteral("第二题 一评"), QStringLiteral("|")}};
        server.setReply(QStringLiteral("ResetBufferByUser"), gbk::encode(QStringLiteral("成功")),
                        200, "text/plain");
        server.setReply(QStringLiteral("SavePersonConfig"), QByteArray());
        server.setReply(QStringLiteral("GetParam"), ParamReply(3, 5));
    }
    void TearDown() override { window.reset(); }

    void savePermission(const QString& id) {
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"), id);
    }

    // A window whose settings dialog is worked by `drive` instead of a
    // modal loop; `drive` closes the dialog itself or leaves it open.
    TFrmMainWindow& open(std::function<void(TFrmViewPaperConfig&)> drive = {}) {
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(800, 600);
        window->ShowSettingsDialog = [this, drive](TFrmViewPaperConfig& dialog) {
            ++settingsShown;
            labelAtSettings = window->LabelPermission->text();
            if (drive)
                drive(dialog);
        };
        return *window;
    }

    bool groupBarLeft() const {
        return window->pnlGroupBar->geometry().center().x() <
               window->ViewImageEnVect->geometry().center().x();
    }

    std::unique_ptr<TFrmMainWindow> window;
    int settingsShown = 0;
    QString labelAtSettings = QStringLiteral("<not shown>");
};

TEST_F(MainWindowTest, FirstStartWithoutConfigOpensTheSettingsDialogFirst) {
    TFrmMainWindow& w = open([](TFrmViewPaperConfig& d) { d.BtnSaveClick(); });
    EXPECT_EQ(state.ZoomSetting, QStringLiteral("适应大小"));
    EXPECT_EQ(state.PermissionId, QStringLiteral("000000000"));
    EXPECT_FALSE(state.AutoLoadPaper);
    EXPECT_EQ(qApp->applicationName(), QStringLiteral("网上评卷系统评卷客户端"));
    EXPECT_EQ(w.ViewImageEnVect->pickDistance(), 20);
    EXPECT_FALSE(w.ViewImageEnVect->wheelZooms());
    EXPECT_FALSE(w.MyImageEnView->wheelZooms());

    w.show();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(labelAtSettings, QString()); // nothing else was set up before
    EXPECT_EQ(w.LabelTeacher->text(), QStringLiteral("张老师"));
    // The dialog picked the first permission; the window then built from it.
    EXPECT_EQ(state.PermissionId, QStringLiteral("P1"));
    EXPECT_EQ(w.LabelPermission->text(), QStringLiteral("第一题 一评"));
    EXPECT_EQ(w.ScoreEdits.size(), 5);
    EXPECT_EQ(w.PageViews.size(), 3);
    EXPECT_TRUE(w.ActLoadPaper->isEnabled());
    EXPECT_EQ(IniFile(ConfigIniPath())
                  .readString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"), {}),
              QStringLiteral("P1"));
}

TEST_F(MainWindowTest, SavedConfigIsReadAtCreation) {
    savePermission(QStringLiteral("P2"));
    IniFile ini(ConfigIniPath());
    ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"),
                    QStringLiteral("7"));
    ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), QStringLiteral("150"));
    open();
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    EXPECT_TRUE(state.AutoLoadPaper);
    EXPECT_EQ(state.ZoomSetting, QStringLiteral("150"));
}

TEST_F(MainWindowTest, CommentFileFillsTheCommentList) {
    QFile file(CommentTxtPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gbk::encode(QStringLiteral("步骤不全\r\n单位错误\r\n很好\r\n")));
    file.close();
    TFrmMainWindow& w = open();
    ASSERT_EQ(w.ComboBoxText->count(), 3);
    EXPECT_EQ(w.ComboBoxText->itemText(0), QStringLiteral("步骤不全"));
    EXPECT_EQ(w.ComboBoxText->itemText(2), QStringLiteral("很好"));
    EXPECT_TRUE(w.ComboBoxText->isEditable());
}

TEST_F(MainWindowTest, ScoreEditBoxFollowsTheSubQuestionCount) {
    struct Case {
        int subQuestions;
        int boxHeight;
    };
    for (const Case c : {Case{5, 125}, Case{0, 15}, Case{1, 37}}) {
        SCOPED_TRACE(c.subQuestions);
        server.setReply(QStringLiteral("GetParam"), ParamReply(1, c.subQuestions));
        savePermission(QStringLiteral("P1"));
        TFrmMainWindow& w = open();
        w.show();
        EXPECT_EQ(settingsShown, 0);
        EXPECT_EQ(w.GroupBoxInputEdits->height(), c.boxHeight);
        ASSERT_EQ(w.ScoreEdits.size(), c.subQuestions);
        ASSERT_EQ(w.ScoreLabels.size(), c.subQuestions);
        for (int i = 0; i < c.subQuestions; ++i) {
            const QLineEdit* e = w.ScoreEdits[i];
            EXPECT_EQ(e->parentWidget(), w.GroupBoxInputEdits);
            EXPECT_EQ(e->geometry(),
                      QRect(113 - 50, c.boxHeight - 22 * (c.subQuestions - i) - 2, 40, 20));
            EXPECT_EQ(w.ScoreLabels[i]->pos(), QPoint(10, e->y() + 2));
            EXPECT_EQ(w.ScoreLabels[i]->text(), QStringLiteral("第%1小题").arg(i + 1));
            EXPECT_EQ(e->palette().color(QPalette::Text), QColor(Qt::red));
        }
        if (c.subQuestions > 0) { // the last edit ends 4 pixels above the box's bottom
            EXPECT_EQ(w.ScoreEdits.last()->geometry().bottom() + 1, c.boxHeight - 4);
        }
        window.reset();
    }
}

TEST_F(MainWindowTest, CommonScoreMenuSkipsEmptyPiecesAndKeepsItemsWithoutPieces) {
    savePermission(QStringLiteral("P1"));
    TFrmMainWindow& w = open([](TFrmViewPaperConfig& d) {
        d.ComboBoxNewPermission->setCurrentIndex(1); // P2, MarkConfig "|"
        d.reject();
    });
    w.show();
    ASSERT_EQ(w.ScoreMenuItems.size(), 3);
    ASSERT_EQ(w.PopupMenu->actions(), w.ScoreMenuItems);
    const QStringList captions{QStringLiteral("1分"), QStringLiteral("2分"), QStringLiteral("3分")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.ScoreMenuItems[i]->text(), captions[i]);
        EXPECT_EQ(w.ScoreMenuItems[i]->toolTip(), QString::number(i + 1));
    }
    const QList<QAction*> before = w.ScoreMenuItems;
    w.ActViewPaperConfigExecute();
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    EXPECT_EQ(w.LabelPermission->text(), QStringLiteral("第二题 一评"));
    EXPECT_EQ(w.ScoreMenuItems, before);
}

TEST_F(MainWindowTest, SwitchingPageCountsFreesAndRecreatesViews) {
    savePermission(QStringLiteral("P1"));
    int choose = 1;
    TFrmMainWindow& w = open([&choose](TFrmViewPaperConfig& d) {
        d.ComboBoxNewPermission->setCurrentIndex(choose);
        d.reject();
    });
    w.show();
    ASSERT_EQ(w.PageViews.size(), 3);
    ASSERT_EQ(w.WorkPageControl->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.WorkPageControl->tabText(i), QString::number(i + 1));
        EXPECT_EQ(w.WorkPageControl->tabToolTip(i), QString::number(i));
        EXPECT_EQ(w.PageViews[i]->parentWidget(), w.PageSheets[i]);
        EXPECT_EQ(w.PageViews[i]->backgroundColor(), QColor(235, 242, 255));
    }
    const QPointer<imaging::ImageView> first = w.PageViews[0];
    const QPointer<imaging::ImageView> third = w.PageViews[2];
    const QPointer<QWidget> thirdSheet = w.PageSheets[2];

    server.setReply(QStringLiteral("GetParam"), ParamReply(1, 2));
    w.ActViewPaperConfigExecute();
    EXPECT_EQ(w.PageViews.size(), 1);
    EXPECT_EQ(w.PageSheets.size(), 1);
    EXPECT_EQ(w.WorkPageControl->count(), 1);
    EXPECT_TRUE(third.isNull());
    EXPECT_TRUE(thirdSheet.isNull());
    EXPECT_EQ(w.PageViews[0], first.data());
    EXPECT_EQ(w.ScoreEdits.size(), 2);

    server.setReply(QStringLiteral("GetParam"), ParamReply(3, 5));
    choose = 0;
    w.ActViewPaperConfigExecute();
    ASSERT_EQ(w.PageViews.size(), 3);
    EXPECT_EQ(w.PageViews[0], first.data());
    EXPECT_NE(w.PageViews[2], nullptr);
    EXPECT_EQ(w.WorkPageControl->currentIndex(), 0);
}

TEST_F(MainWindowTest, SettingsCommandDocksTheGroupBarAndPassesThePermissionLock) {
    savePermission(QStringLiteral("P1"));
    bool comboEnabled = false;
    bool panelLeftTicked = false;
    bool tickLeft = true;
    TFrmMainWindow& w = open([&](TFrmViewPaperConfig& d) {
        comboEnabled = d.ComboBoxNewPermission->isEnabled();
        panelLeftTicked = d.CheckBoxPanelLeft->isChecked();
        d.CheckBoxPanelLeft->setChecked(tickLeft);
        d.reject();
    });
    w.show();
    QApplication::processEvents();
    EXPECT_FALSE(groupBarLeft()); // on the right at the first show

    w.ActViewPaperConfigExecute();
    QApplication::processEvents();
    EXPECT_TRUE(comboEnabled);
    EXPECT_TRUE(panelLeftTicked);
    EXPECT_TRUE(state.GroupBarLeft);
    EXPECT_TRUE(groupBarLeft());

    // While a paper is open the permission cannot be changed.
    w.ActLoadPaper->setEnabled(false);
    tickLeft = false;
    w.ActViewPaperConfigExecute();
    QApplication::processEvents();
    EXPECT_FALSE(comboEnabled);
    EXPECT_FALSE(state.GroupBarLeft);
    EXPECT_FALSE(groupBarLeft());
    EXPECT_FALSE(w.ActLoadPaper->isEnabled()); // never re-enabled here
}

TEST_F(MainWindowTest, NoValidPermissionAfterTheDialogDisablesFetching) {
    state.Permissions.clear();
    TFrmMainWindow& w = open([](TFrmViewPaperConfig& d) { d.reject(); });
    w.show();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
}

TEST_F(MainWindowTest, FailedParameterFetchAtFirstShowLeavesTheWindowEmpty) {
    savePermission(QStringLiteral("P1"));
    server.setReply(QStringLiteral("GetParam"), QByteArray(), 500);
    TFrmMainWindow& w = open();
    w.show();
    EXPECT_EQ(w.LabelPermission->text(), QStringLiteral("第一题 一评"));
    EXPECT_TRUE(w.PageViews.isEmpty());
    EXPECT_TRUE(w.ScoreEdits.isEmpty());
    EXPECT_TRUE(w.ScoreMenuItems.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowTest, ShortcutKeysRunEnabledCommandsOnce) {
    savePermission(QStringLiteral("P1"));
    TFrmMainWindow& w = open([](TFrmViewPaperConfig& d) { d.reject(); });
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;

    QTest::keyClick(target, Qt::Key_F2);
    EXPECT_EQ(settingsShown, 1);

    QSignalSpy save(w.ActSavePaper, &QAction::triggered);
    QTest::keyClick(target, Qt::Key_F8);
    EXPECT_EQ(save.count(), 0); // off when the window opens
    w.ActSavePaper->setEnabled(true);
    QTest::keyClick(target, Qt::Key_F8);
    EXPECT_EQ(save.count(), 1);

    QSignalSpy load(w.ActLoadPaper, &QAction::triggered);
    QTest::keyClick(target, Qt::Key_F5);
    EXPECT_EQ(load.count(), 1);
}

TEST_F(MainWindowTest, EscapeDoesNotCloseTheWorkstation) {
    savePermission(QStringLiteral("P1"));
    TFrmMainWindow& w = open();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_FALSE(w.ScoreEdits.isEmpty());
    w.ScoreEdits[0]->setFocus();
    // From a score edit, a combo box on the tool bar and the window itself:
    // only the exit command closes the window.
    for (QWidget* target :
         {static_cast<QWidget*>(w.ScoreEdits[0]), static_cast<QWidget*>(w.ComboBoxException),
          static_cast<QWidget*>(&w)}) {
        SCOPED_TRACE(target->objectName().toStdString());
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible());
    }
    EXPECT_TRUE(server.requestsFor(QStringLiteral("ResetBufferByUser")).isEmpty());
    w.ActExitSystem->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, CommandListHasCaptionsKeysAndInitialStates) {
    struct Row {
        const char* name;
        QString caption;
        QKeySequence key;
        bool enabled;
    };
    const Row rows[] = {
        {"ActLoadPaper", QStringLiteral("[F5]获取试题"), QKeySequence(Qt::Key_F5), true},
        {"ActSavePaper", QStringLiteral("[F8]提交分数"), QKeySequence(Qt::Key_F8), false},
        {"ActViewPaperConfig", QStringLiteral("评卷设置"), QKeySequence(Qt::Key_F2), true},
        {"ActViewOri", QStringLiteral("全卷显示"), {}, false},
        {"ActCallBack", QStringLiteral("[F3]回评试卷"), QKeySequence(Qt::Key_F3), true},
        {"ActExitSystem", QStringLiteral("退出系统"), QKeySequence(Qt::Key_F4), true},
        {"ActSize50", QStringLiteral("按 50%显示"), {}, true},
        {"ActSetAllZero", QStringLiteral("全零"), {}, true},
    };
    TFrmMainWindow& w = open();
    EXPECT_EQ(w.ActionListView.size(), 23);
    for (const Row& r : rows) {
        auto* action = w.findChild<QAction*>(QString::fromLatin1(r.name));
        ASSERT_NE(action, nullptr) << r.name;
        EXPECT_EQ(action->text(), r.caption) << r.name;
        EXPECT_EQ(action->shortcut(), r.key) << r.name;
        EXPECT_EQ(action->isEnabled(), r.enabled) << r.name;
    }
    const QStringList hintLines = w.ActViewPaperConfig->statusTip().split(QChar(13));
    ASSERT_EQ(hintLines.size(), 4);
    EXPECT_EQ(hintLines[0], QStringLiteral("点此按钮可以更改当前评卷参数："));
    EXPECT_EQ(hintLines[3], QStringLiteral("(快捷键为F2)"));
    EXPECT_EQ(w.ComboBoxException->count(), 5);
    EXPECT_EQ(w.ComboBoxException->currentText(), QStringLiteral("无异常"));
    EXPECT_EQ(w.ComboBoxCallBackNumber->count(), 10);
    EXPECT_EQ(w.ComboBoxCallBackNumber->currentText(), QStringLiteral("1"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0.0"));
}

TEST_F(MainWindowTest, ArrowKeysScrollTheMainViewBy20Pixels) {
    savePermission(QStringLiteral("P1"));
    TFrmMainWindow& w = open();
    w.show();
    w.ViewImageEnVect->setImage(QImage(2000, 1000, QImage::Format_RGB32));
    w.ViewImageEnVect->setZoom(100);
    QApplication::processEvents();
    struct Case {
        QPoint from;
        Qt::Key key;
        QPoint to;
    };
    const Case cases[] = {
        {{15, 100}, Qt::Key_Right, {0, 100}}, // 15 - 20 is not above 0
        {{100, 100}, Qt::Key_Right, {80, 100}}, {{100, 100}, Qt::Key_Left, {120, 100}},
        {{100, 100}, Qt::Key_Down, {100, 120}}, {{100, 100}, Qt::Key_PageDown, {100, 120}},
        {{100, 100}, Qt::Key_Up, {100, 80}},    {{100, 10}, Qt::Key_PageUp, {100, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
        w.ViewImageEnVect->setScroll(c.from.x(), c.from.y());
        ASSERT_EQ(QPoint(w.ViewImageEnVect->scrollX(), w.ViewImageEnVect->scrollY()), c.from);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
        QTest::keyClick(target, c.key);
        EXPECT_EQ(QPoint(w.ViewImageEnVect->scrollX(), w.ViewImageEnVect->scrollY()), c.to);
    }
    // Down near the bottom asks for H - 20; the view keeps it in its range.
    w.ViewImageEnVect->setScroll(0, 995);
    const int bottom = w.ViewImageEnVect->scrollY();
    w.FormKeyDown(
        std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier).get());
    EXPECT_EQ(w.ViewImageEnVect->scrollY(), qMin(bottom, 980));
}

TEST_F(MainWindowTest, ClosingResetsTheBufferAndFreesOwnedWindows) {
    savePermission(QStringLiteral("P1"));
    open().show();
    window->ActStaticUserExecute();
    const QPointer<QDialog> stats = window->FrmStaticUser;
    ASSERT_FALSE(stats.isNull());
    window->ActStaticUserExecute();
    EXPECT_EQ(window->FrmStaticUser, stats); // the same instance again
    const QPointer<QLineEdit> edit = window->ScoreEdits.value(0);
    window.reset();
    EXPECT_TRUE(stats.isNull());
    EXPECT_TRUE(edit.isNull());
    ASSERT_EQ(server.requestsFor(QStringLiteral("ResetBufferByUser")).size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());

    server.setReply(QStringLiteral("ResetBufferByUser"), QByteArray("error"), 200, "text/plain");
    open();
    window.reset();
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("清除可以回评的缓冲记录失败!")});
}

} // namespace
