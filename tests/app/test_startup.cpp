// What the start-up preparation changes in Qt's own widgets: standard
// buttons and edit menus in Chinese, the program's own texts untouched.
#include "Messages.h"
#include "Startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QStringList buttons;
};

class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareApplication(); }
    static void TearDownTestSuite() { SetMessages(nullptr); }

    // Waits for the modal box `show` opens, records it and presses the button
    // captioned `press`; a box that never opens fails instead of hanging.
    static SeenBox answerBox(const std::function<void()>& show, const QString& press) {
        SeenBox seen;
        QTimer poll;
        poll.setInterval(10);
        int tries = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                if (++tries > 500)
                    QApplication::exit(1);
                return;
            }
            poll.stop();
            seen.caption = box->windowTitle();
            seen.text = box->text();
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                seen.buttons.append(button->text());
                if (button->text() == press)
                    chosen = button;
            }
            if (chosen)
                chosen->click();
            else
                box->reject();
        });
        poll.start();
        show();
        return seen;
    }
};

TEST_F(StartupTest, TheOkCancelQuestionAndMessagesShowChineseButtons) {
    const QString question = QStringLiteral("你确认提交你所提交的成绩吗??");
    bool answer = true;
    SeenBox seen =
        answerBox([&] { answer = Messages().askOkCancel(question); }, QStringLiteral("取消"));
    EXPECT_EQ(seen.caption.toStdString(), kMessageCaption.toStdString());
    EXPECT_EQ(seen.text.toStdString(), question.toStdString());
    EXPECT_EQ(seen.buttons.join('|').toStdString(), "确定|取消");
    EXPECT_FALSE(answer) << "取消 must still answer Cancel";

    seen = answerBox([&] { answer = Messages().askOkCancel(question); }, QStringLiteral("确定"));
    EXPECT_TRUE(answer) << "确定 must still answer OK";

    const QString message = QStringLiteral("交卷出错");
    seen = answerBox([&] { Messages().showMessage(message); }, QStringLiteral("确定"));
    EXPECT_EQ(seen.caption.toStdString(), kMessageCaption.toStdString());
    EXPECT_EQ(seen.text.toStdString(), message.toStdString());
    EXPECT_EQ(seen.buttons.join('|').toStdString(), "确定");
}

TEST_F(StartupTest, EveryKindOfEditHasAChineseContextMenu) {
    QLineEdit line;
    QPlainTextEdit plain;
    QTextEdit rich;
    // Each menu is a child of its edit.
    const std::vector<std::pair<const char*, QMenu*>> menus{
        {"line edit", line.createStandardContextMenu()},
        {"plain text edit", plain.createStandardContextMenu()},
        {"rich text edit", rich.createStandardContextMenu()},
    };
    for (const auto& [kind, menu] : menus) {
        SCOPED_TRACE(kind);
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts.append(action->text().section(QLatin1Char('\t'), 0, 0));
        EXPECT_TRUE(texts.contains(QStringLiteral("复制(&C)"))) << texts.join(' ').toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("粘贴(&P)"))) << texts.join(' ').toStdString();
        for (const QString& text : texts)
            EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}"))))
                << "an English item is left: " << text.toStdString();
    }
}

} // namespace
