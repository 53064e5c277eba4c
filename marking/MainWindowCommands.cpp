// The command list (ActionListView) with captions, hints, short-cut keys and
// initial states, and the tool-bar buttons that run the commands.

#include "UntMainWindow.h"

#include "AppError.h"

#include <QAction>
#include <QComboBox>
#include <QToolBar>
#include <QToolButton>

namespace {

// The settings command's hint; the tool-bar button shows the same lines
// with a shorter first one. Lines are joined by a carriage return.
const QString kConfigHintLines = QStringLiteral("1、可以更换到另外一道题或者本题的另外一个轮次。") +
                                 QChar(13) +
                                 QStringLiteral("2、可以设置是否提交一份试卷后自动获取下一份试卷") +
                                 QChar(13) + QStringLiteral("(快捷键为F2)");
const QString kConfigHint =
    QStringLiteral("点此按钮可以更改当前评卷参数：") + QChar(13) + kConfigHintLines;
const QString kConfigButtonHint =
    QStringLiteral("更改当前评卷参数：") + QChar(13) + kConfigHintLines;

struct Command {
    QAction* TFrmMainWindow::*action;
    const char* name;
    QString caption;
    QString hint;
    int key; // 0 = none
    bool enabled;
    void (TFrmMainWindow::*execute)();
};

} // namespace

void TFrmMainWindow::buildCommands() {
    const Command commands[] = {
        {&TFrmMainWindow::ActLoadPaper, "ActLoadPaper", QStringLiteral("[F5]获取试题"),
         QStringLiteral("点此按钮可以获取一份新的试卷,快捷键为F5"), Qt::Key_F5, true,
         &TFrmMainWindow::ActLoadPaperExecute},
        {&TFrmMainWindow::ActSavePaper, "ActSavePaper", QStringLiteral("[F8]提交分数"),
         QStringLiteral("点此按钮可以将当前已经批阅完毕的试卷返回试卷库,快捷键为F8"), Qt::Key_F8,
         false, &TFrmMainWindow::ActSavePaperExecute},
        {&TFrmMainWindow::ActViewPaperConfig, "ActViewPaperConfig", QStringLiteral("评卷设置"),
         kConfigHint, Qt::Key_F2, true, &TFrmMainWindow::ActViewPaperConfigExecute},
        {&TFrmMainWindow::ActViewOri, "ActViewOri", QStringLiteral("全卷显示"),
         QStringLiteral("点此按钮可以查看原试卷"), 0, false, &TFrmMainWindow::ActViewOriExecute},
        {&TFrmMainWindow::ActCallBack, "ActCallBack", QStringLiteral("[F3]回评试卷"),
         QStringLiteral("回评上一份试卷,快捷键F3"), Qt::Key_F3, true,
         &TFrmMainWindow::ActCallBackExecute},
        {&TFrmMainWindow::ActSymbolX, "ActSymbolX", QStringLiteral("打叉"),
         QStringLiteral("在图上打叉"), 0, true, &TFrmMainWindow::ActSymbolXExecute},
        {&TFrmMainWindow::ActSymbolTick, "ActSymbolTick", QStringLiteral("打勾"),
         QStringLiteral("在图上打勾"), 0, true, &TFrmMainWindow::ActSymbolTickExecute},
        {&TFrmMainWindow::ActSymbolLine, "ActSymbolLine", QStringLiteral("画线"),
         QStringLiteral("在图上画线"), 0, true, &TFrmMainWindow::ActSymbolLineExecute},
        {&TFrmMainWindow::ActPutBox, "ActPutBox", QStringLiteral("画框"),
         QStringLiteral("在图上画框"), 0, true, &TFrmMainWindow::ActPutBoxExecute},
        {&TFrmMainWindow::ActPutEllipse, "ActPutEllipse", QStringLiteral("画圆"),
         QStringLiteral("在图上画圆"), 0, true, &TFrmMainWindow::ActPutEllipseExecute},
        {&TFrmMainWindow::ActPutText, "ActPutText", QStringLiteral("在试卷上批注"),
         QStringLiteral("在试卷上批注"), 0, true, &TFrmMainWindow::ActPutTextExecute},
        {&TFrmMainWindow::ActSetAllZero, "ActSetAllZero", QStringLiteral("全零"), QString(), 0,
         true, &TFrmMainWindow::ActSetAllZeroExecute},
        {&TFrmMainWindow::ActSetFullMark, "ActSetFullMark", QStringLiteral("满分"), QString(), 0,
         true, &TFrmMainWindow::ActSetFullMarkExecute},
        {&TFrmMainWindow::ActSizeWidth, "ActSizeWidth", QStringLiteral("按宽度显示"),
         QStringLiteral("按宽度显示"), 0, true, &TFrmMainWindow::ActSizeWidthExecute},
        {&TFrmMainWindow::ActSizeHeight, "ActSizeHeight", QStringLiteral("按高度显示"),
         QStringLiteral("按高度显示"), 0, true, &TFrmMainWindow::ActSizeHeightExecute},
        {&TFrmMainWindow::ActSize100, "ActSize100", QStringLiteral("按原图显示"),
         QStringLiteral("按原图显示"), 0, true, &TFrmMainWindow::ActSize100Execute},
        {&TFrmMainWindow::ActSize50, "ActSize50", QStringLiteral("按 50%显示"), QString(), 0, true,
         &TFrmMainWindow::ActSize50Execute},
        {&TFrmMainWindow::ActSize150, "ActSize150", QStringLiteral("按150%显示"), QString(), 0,
         true, &TFrmMainWindow::ActSize150Execute},
        {&TFrmMainWindow::ActSize200, "ActSize200", QStringLiteral("按200%显示"), QString(), 0,
         true, &TFrmMainWindow::ActSize200Execute},
        {&TFrmMainWindow::ActSizeToSmall, "ActSizeToSmall", QStringLiteral("将图片缩小"),
         QStringLiteral("将图片缩小"), 0, true, &TFrmMainWindow::ActSizeToSmallExecute},
        {&TFrmMainWindow::ActSizeToLarge, "ActSizeToLarge", QStringLiteral("将图片放大"),
         QStringLiteral("将图片放大"), 0, true, &TFrmMainWindow::ActSizeToLargeExecute},
        {&TFrmMainWindow::ActExitSystem, "ActExitSystem", QStringLiteral("退出系统"),
         QStringLiteral("点此按钮可以退出网上评卷客户端,快捷键F4"), Qt::Key_F4, true,
         &TFrmMainWindow::ActExitSystemExecute},
        {&TFrmMainWindow::ActStaticUser, "ActStaticUser", QStringLiteral("用户统计"),
         QStringLiteral("点此按钮可以查看实时统计"), 0, true,
         &TFrmMainWindow::ActStaticUserExecute},
        {&TFrmMainWindow::ActChangePassword, "ActChangePassword", QStringLiteral("修改密码"),
         QStringLiteral("点此按钮可以修改密码"), 0, true,
         &TFrmMainWindow::ActChangePasswordExecute},
        // Keys and enabled state: buildUndo.
        {&TFrmMainWindow::ActUndo, "ActUndo", QStringLiteral("撤销"), QString(), 0, false,
         &TFrmMainWindow::ActUndoExecute},
        {&TFrmMainWindow::ActRedo, "ActRedo", QStringLiteral("恢复"), QString(), 0, false,
         &TFrmMainWindow::ActRedoExecute},
    };
    for (const Command& c : commands) {
        auto* action = new QAction(c.caption, this);
        action->setObjectName(QString::fromLatin1(c.name));
        action->setToolTip(c.hint.isEmpty() ? c.caption : c.hint);
        action->setStatusTip(c.hint);
        if (c.key != 0) {
            action->setShortcut(QKeySequence(c.key));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setEnabled(c.enabled);
        // A disabled QAction ignores its key and its buttons: trigger() does
        // nothing then.
        const auto execute = c.execute;
        connect(action, &QAction::triggered, this,
                [this, execute] { Guarded([&] { (this->*execute)(); }); });
        addAction(action);
        this->*(c.action) = action;
        ActionListView.append(action);
    }
}

namespace {

// A button that runs `action` with its own caption and hint; it follows the
// command's enabled state.
QToolButton* commandButton(QToolBar* bar, QAction* action, const QString& caption,
                           const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QStringLiteral("Btn") + action->objectName());
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    bar->addWidget(button);
    return button;
}

QToolButton* commandButton(QToolBar* bar, QAction* action) {
    return commandButton(bar, action, action->text(), action->toolTip());
}

void groove(QToolBar* bar) {
    bar->addSeparator();
}

} // namespace

void TFrmMainWindow::buildToolbars() {
    auto* logo = new QToolButton(RzToolbar1);
    logo->setObjectName(QStringLiteral("RzToolButton1"));
    logo->setText(QStringLiteral("网上评卷系统"));
    logo->setFocusPolicy(Qt::NoFocus);
    RzToolbar1->addWidget(logo);
    RzToolbar1->addSeparator();
    commandButton(RzToolbar1, ActExitSystem, QStringLiteral("退出"),
                  QStringLiteral("退出网上评卷客户端,快捷键F4"));
    commandButton(RzToolbar1, ActViewPaperConfig, QStringLiteral("设置"), kConfigButtonHint);
    commandButton(RzToolbar1, ActStaticUser, QStringLiteral("统计"),
                  QStringLiteral("查看实时统计"));
    commandButton(RzToolbar1, ActChangePassword, ActChangePassword->text(),
                  QStringLiteral("修改用户登陆密码"));

    QToolBar* bar = RzToolbar2;
    commandButton(bar, ActSizeToLarge);
    commandButton(bar, ActSizeToSmall);
    commandButton(bar, ActSize100);
    commandButton(bar, ActSizeWidth);
    commandButton(bar, ActSizeHeight);
    commandButton(bar, ActViewOri, ActViewOri->text(), QStringLiteral("查看原试卷"));
    groove(bar);
    commandButton(bar, ActLoadPaper, QStringLiteral("[F5]提卷"),
                  QStringLiteral("获取一份新的试题,快捷键为F5"));
    groove(bar);
    bar->addWidget(ComboBoxCallBackNumber);
    commandButton(bar, ActCallBack);
    groove(bar);
    bar->addWidget(ComboBoxException);
    commandButton(bar, ActSavePaper, QStringLiteral("[F8]交卷"),
                  QStringLiteral("将当前已经批阅完毕的试卷返回试卷库,快捷键为F8"));
    groove(bar);
    commandButton(bar, ActSymbolLine);
    commandButton(bar, ActSymbolX);
    commandButton(bar, ActSymbolTick);
    commandButton(bar, ActPutEllipse);
    groove(bar);
    commandButton(bar, ActPutBox);
    bar->addWidget(ComboBoxText);
    commandButton(bar, ActPutText);
    groove(bar);
    commandButton(bar, ActSetAllZero);
    commandButton(bar, ActSetFullMark);
}
