// The marking window frame: creation, first show, the builders, the settings
// command, commands and keys, and closing.

#include "MarkingWindowFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QSignalSpy>

namespace {

// Permissions P1 (common scores 1, 2, an empty piece and 3) and P2 (none);
// P1 saved in Config.InI, with three pages and five sub-questions of 0 to 2.
class MainWindowTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        state.Permissions[0].MarkConfig = QStringLiteral("|1|2||3|");
        setQuestion(3, 5);
    }
    void setQuestion(int pages, int subQuestions) {
        question.pages = pages;
        question.cuts = QStringLiteral("(1,1,0,0,100,100,1)");
        question.subQuestions.clear();
        for (int i = 0; i < subQuestions; ++i)
            question.subQuestions.append({QStringLiteral("S%1").arg(i + 1),
                                          QStringLiteral("第%1小题").arg(i + 1), 0, 2, 100,
                                          100 * (i + 1)});
        server.setReply(QStringLiteral("GetParam"), paramReply());
    }
    bool groupBarLeft() const {
        return probe().pnlGroupBar->geometry().center().x() <
               probe().ViewImageEnVect->geometry().center().x();
    }
};

TEST_F(MainWindowTest, FirstStartWithoutConfigOpensTheSettingsDialogFirst) {
    QFile::remove(ConfigIniPath());
    QString labelAtSettings = QStringLiteral("<not shown>");
    create([&](TFrmViewPaperConfig& d) {
        labelAtSettings = probe().LabelPermission->text();
        d.BtnSaveClick();
    });
    const MarkingWindowProbe w = probe();
    EXPECT_EQ(state.ZoomSetting, QStringLiteral("适应大小"));
    EXPECT_EQ(state.PermissionId, QStringLiteral("000000000"));
    EXPECT_FALSE(state.AutoLoadPaper);
    EXPECT_EQ(qApp->applicationName(), QStringLiteral("网上评卷系统评卷客户端"));
    EXPECT_EQ(w.ViewImageEnVect->pickDistance(), 20);
    EXPECT_FALSE(w.ViewImageEnVect->wheelZooms());
    EXPECT_FALSE(w.MyImageEnView->wheelZooms());

    window->show();
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
    storeSetting(QStringLiteral("PermissionId"), QStringLiteral("P2"));
    storeSetting(QStringLiteral("AutoLoadPaper"), QStringLiteral("7"));
    storeSetting(QStringLiteral("Vidio"), QStringLiteral("150"));
    create();
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    EXPECT_TRUE(state.AutoLoadPaper);
    EXPECT_EQ(state.ZoomSetting, QStringLiteral("150"));
}

TEST_F(MainWindowTest, CommentFileFillsTheCommentList) {
    QFile file(CommentTxtPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gbk::encode(QStringLiteral("步骤不全\r\n单位错误\r\n很好\r\n")));
    file.close();
    create();
    const MarkingWindowProbe w = probe();
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
        setQuestion(1, c.subQuestions);
        open();
        const MarkingWindowProbe w = probe();
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
    open([](TFrmViewPaperConfig& d) {
        d.ComboBoxNewPermission->setCurrentIndex(1); // P2, MarkConfig "|"
        d.reject();
    });
    const MarkingWindowProbe w = probe();
    ASSERT_EQ(w.ScoreMenuItems.size(), 3);
    ASSERT_EQ(w.PopupMenu->actions(), w.ScoreMenuItems);
    const QStringList captions{QStringLiteral("1分"), QStringLiteral("2分"), QStringLiteral("3分")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.ScoreMenuItems[i]->text(), captions[i]);
        EXPECT_EQ(w.ScoreMenuItems[i]->toolTip(), QString::number(i + 1));
    }
    const QList<QAction*> before = w.ScoreMenuItems;
    window->ActViewPaperConfigExecute();
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    EXPECT_EQ(w.LabelPermission->text(), QStringLiteral("第二题 一评"));
    EXPECT_EQ(w.ScoreMenuItems, before);
}

TEST_F(MainWindowTest, SwitchingPageCountsFreesAndRecreatesViews) {
    int choose = 1;
    open([&choose](TFrmViewPaperConfig& d) {
        d.ComboBoxNewPermission->setCurrentIndex(choose);
        d.reject();
    });
    const MarkingWindowProbe w = probe();
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

    setQuestion(1, 2);
    window->ActViewPaperConfigExecute();
    EXPECT_EQ(w.PageViews.size(), 1);
    EXPECT_EQ(w.PageSheets.size(), 1);
    EXPECT_EQ(w.WorkPageControl->count(), 1);
    EXPECT_TRUE(third.isNull());
    EXPECT_TRUE(thirdSheet.isNull());
    EXPECT_EQ(w.PageViews[0], first.data());
    EXPECT_EQ(w.ScoreEdits.size(), 2);

    setQuestion(3, 5);
    choose = 0;
    window->ActViewPaperConfigExecute();
    ASSERT_EQ(w.PageViews.size(), 3);
    EXPECT_EQ(w.PageViews[0], first.data());
    EXPECT_NE(w.PageViews[2], nullptr);
    EXPECT_EQ(w.WorkPageControl->currentIndex(), 0);
}

TEST_F(MainWindowTest, SettingsCommandDocksTheGroupBarAndPassesThePermissionLock) {
    bool comboEnabled = false;
    bool panelLeftTicked = false;
    bool tickLeft = true;
    open([&](TFrmViewPaperConfig& d) {
        comboEnabled = d.ComboBoxNewPermission->isEnabled();
        panelLeftTicked = d.CheckBoxPanelLeft->isChecked();
        d.CheckBoxPanelLeft->setChecked(tickLeft);
        d.reject();
    });
    const MarkingWindowProbe w = probe();
    QApplication::processEvents();
    EXPECT_FALSE(groupBarLeft()); // on the right at the first show

    window->ActViewPaperConfigExecute();
    QApplication::processEvents();
    EXPECT_TRUE(comboEnabled);
    EXPECT_TRUE(panelLeftTicked);
    EXPECT_TRUE(state.GroupBarLeft);
    EXPECT_TRUE(groupBarLeft());

    // While a paper is open the permission cannot be changed.
    openPaper();
    tickLeft = false;
    window->ActViewPaperConfigExecute();
    QApplication::processEvents();
    EXPECT_FALSE(comboEnabled);
    EXPECT_FALSE(state.GroupBarLeft);
    EXPECT_FALSE(groupBarLeft());
    EXPECT_FALSE(w.ActLoadPaper->isEnabled()); // never re-enabled here
}

TEST_F(MainWindowTest, NoValidPermissionAfterTheDialogDisablesFetching) {
    state.Permissions.clear();
    open([](TFrmViewPaperConfig& d) { d.reject(); });
    EXPECT_EQ(settingsShown, 1);
    EXPECT_FALSE(probe().ActLoadPaper->isEnabled());
}

TEST_F(MainWindowTest, FailedParameterFetchAtFirstShowLeavesTheWindowEmpty) {
    create();
    server.setReply(QStringLiteral("GetParam"), QByteArray(), 500);
    window->show();
    const MarkingWindowProbe w = probe();
    EXPECT_EQ(w.LabelPermission->text(), QStringLiteral("第一题 一评"));
    EXPECT_TRUE(w.PageViews.isEmpty());
    EXPECT_TRUE(w.ScoreEdits.isEmpty());
    EXPECT_TRUE(w.ScoreMenuItems.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowTest, ShortcutKeysRunEnabledCommandsOnce) {
    open([](TFrmViewPaperConfig& d) { d.reject(); });
    activate();
    const MarkingWindowProbe w = probe();

    press(Qt::Key_F2);
    EXPECT_EQ(settingsShown, 1);

    QSignalSpy save(w.ActSavePaper, &QAction::triggered);
    press(Qt::Key_F8);
    EXPECT_EQ(save.count(), 0); // off when the window opens

    QSignalSpy load(w.ActLoadPaper, &QAction::triggered);
    serveQuestion(QStringLiteral("S001"));
    press(Qt::Key_F5);
    EXPECT_EQ(load.count(), 1);
    EXPECT_TRUE(w.PaperLoaded);
    press(Qt::Key_F5);
    EXPECT_EQ(load.count(), 1); // off while the paper is open

    w.ActSetAllZero->trigger();
    press(Qt::Key_F8);
    EXPECT_EQ(save.count(), 1);
    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 1);
}

TEST_F(MainWindowTest, EscapeDoesNotCloseTheWorkstation) {
    open();
    activate();
    const MarkingWindowProbe w = probe();
    ASSERT_FALSE(w.ScoreEdits.isEmpty());
    w.ScoreEdits[0]->setFocus();
    // From a score edit, a combo box on the tool bar and the window itself:
    // only the exit command closes the window.
    for (QWidget* target :
         {static_cast<QWidget*>(w.ScoreEdits[0]), static_cast<QWidget*>(w.ComboBoxException),
          static_cast<QWidget*>(window.get())}) {
        SCOPED_TRACE(target->objectName().toStdString());
        target->setFocus();
        press(Qt::Key_Escape);
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(server.requestsFor(QStringLiteral("ResetBufferByUser")).isEmpty());
    w.ActExitSystem->trigger();
    EXPECT_FALSE(window->isVisible());
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
        {"ActSymbolTick", QStringLiteral("打勾"), {}, true},
        {"ActUndo", QStringLiteral("撤销"), QKeySequence(Qt::CTRL | Qt::Key_Z), false},
        {"ActRedo", QStringLiteral("恢复"), QKeySequence(Qt::CTRL | Qt::Key_Y), false},
    };
    create();
    const MarkingWindowProbe w = probe();
    EXPECT_EQ(w.ActionListView.size(), 26);
    for (const Row& r : rows) {
        auto* action = window->findChild<QAction*>(QString::fromLatin1(r.name));
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
    setQuestion(1, 2);
    question.cuts = QStringLiteral("(1,1,0,0,3000,3000,1)");
    servePicture(PlainPicture(3000, 3000, qRgb(200, 200, 200)));
    open();
    activate();
    openPaper();
    const MarkingWindowProbe w = probe();
    ASSERT_EQ(view().image().size(), QSize(3000, 3000));
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
        press(c.key);
        EXPECT_EQ(QPoint(w.ViewImageEnVect->scrollX(), w.ViewImageEnVect->scrollY()), c.to);
    }
    // Down near the bottom asks for H - 20; the view keeps it in its range.
    w.ViewImageEnVect->setScroll(0, 2995);
    const int bottom = w.ViewImageEnVect->scrollY();
    press(Qt::Key_Down);
    EXPECT_EQ(w.ViewImageEnVect->scrollY(), qMin(bottom, 2980));
}

TEST_F(MainWindowTest, ClosingResetsTheBufferAndFreesOwnedWindows) {
    // The statistics window asks its four questions when it is shown.
    for (const char* command : {"StaticUser", "StatSubject", "QueryStatUserCount", "QueryQuality"})
        server.setReply(QString::fromLatin1(command), GbkXml(QStringLiteral("<Stat/>")));
    open();
    window->ActStaticUserExecute();
    const QPointer<QDialog> stats = probe().FrmStaticUser;
    ASSERT_FALSE(stats.isNull());
    window->ActStaticUserExecute();
    EXPECT_EQ(probe().FrmStaticUser, stats); // the same instance again
    const QPointer<QLineEdit> edit = probe().ScoreEdits.value(0);
    window.reset();
    EXPECT_TRUE(stats.isNull());
    EXPECT_TRUE(edit.isNull());
    ASSERT_EQ(server.requestsFor(QStringLiteral("ResetBufferByUser")).size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());

    server.setReply(QStringLiteral("ResetBufferByUser"), QByteArray("error"), 200, "text/plain");
    create();
    window.reset();
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("清除可以回评的缓冲记录失败!")});
}

} // namespace

namespace {

TEST_F(MainWindowTest, EveryControlHasAnAccessibleName) {
    open();
    const MarkingWindowProbe w = probe();
    EXPECT_EQ(w.ScoreEdits[1]->accessibleName(), QStringLiteral("第2小题"));
    EXPECT_EQ(w.ComboBoxException->accessibleName(), QStringLiteral("ComboBoxException"));
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("BtnActLoadPaper"))->accessibleName(),
              QStringLiteral("[F5]提卷"));
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        const bool isControl = control->focusPolicy() != Qt::NoFocus ||
                               qobject_cast<const QAbstractButton*>(control) ||
                               qobject_cast<const QLabel*>(control) ||
                               qobject_cast<const QGroupBox*>(control);
        if (isControl)
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->metaObject()->className() << " " << control->objectName().toStdString();
    }
}

} // namespace
