// The marking window's submission: the SaveSymbol request for known marks,
// the clean-up of the workstation, a refused or failed submission keeping
// the paper, and the confirmation on the last score edit.

#include "MarkingWindowFixture.h"
#include "ScoreTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

namespace {

// Two sub-questions of 0 to 5 at (100, 100) and (100, 200) on a 1000 x 800
// page shown at 100 %; a paper is open and the window active.
class SubmitWindowTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        useTwoSubQuestionsOfFive();
    }
    void openWithPaper(const QString& studentId = QStringLiteral("S001")) {
        open();
        activate();
        openPaper(QString(), studentId);
    }
    void clickAt(int x, int y) {
        QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, viewPoint(x, y));
    }
    void dragFromTo(QPoint from, QPoint to) {
        QTest::mousePress(view().viewport(), Qt::LeftButton, {}, viewPoint(from.x(), from.y()));
        QTest::mouseMove(view().viewport(), viewPoint(to.x(), to.y()));
        QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, viewPoint(to.x(), to.y()));
    }
    QList<QByteArray> sent() const { return server.requestsFor(QStringLiteral("SaveSymbol")); }
};

} // namespace

TEST_F(SubmitWindowTest, SubmissionSendsTheMarksAndClearsTheWorkstation) {
    openWithPaper(QStringLiteral("S0042"));
    const MarkingWindowProbe w = probe();
    ASSERT_EQ(w.ScoreEdits.size(), 2);
    type(0, QStringLiteral("5"));
    type(1, QStringLiteral("2.50"));
    w.ActSymbolX->trigger();
    clickAt(400, 350); // the cross at (380, 334)
    w.ActPutBox->trigger();
    dragFromTo({50, 280}, {349, 479});
    w.ComboBoxText->setEditText(QStringLiteral("步骤 不全"));
    w.ActPutText->trigger();
    clickAt(380, 516); // nine bytes wide: the comment at (200, 500)
    w.ComboBoxException->setCurrentIndex(3);
    server.clearRequests();

    w.ActSavePaper->trigger();

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(QLatin1Char('|')).toStdString();
    const QList<QByteArray> sent = server.requestsFor(QStringLiteral("SaveSymbol"));
    ASSERT_EQ(sent.size(), 1);
    const QByteArray& target = sent[0];
    EXPECT_EQ(QueryValue(target, "UserId"), QStringLiteral("T01"));
    EXPECT_EQ(QueryValue(target, "PermissionId"), QStringLiteral("P1"));
    EXPECT_EQ(QueryValue(target, "StudentId"), QStringLiteral("S0042"));
    EXPECT_EQ(QueryValue(target, "Mark"), QStringLiteral("7.5"));
    EXPECT_EQ(QueryValue(target, "Submarks"), QStringLiteral("1:5|2:2.5|"));
    EXPECT_EQ(QueryValue(target, "Tag"),
              QStringLiteral("0;100;100;5!0;100;200;2.50!2;380;334;X!3;50;280;300;200!"
                             "2;200;500;步骤 不全!"));
    EXPECT_EQ(QueryValue(target, "IsExceptional"), QStringLiteral("1"));
    EXPECT_EQ(QueryValue(target, "Description"), QStringLiteral("切割问题"));
    EXPECT_FALSE(target.contains(' '));

    EXPECT_FALSE(w.PaperLoaded);
    EXPECT_EQ(view().layer().count(), 0);
    EXPECT_EQ(w.ViewImageEnVect->image().pixelColor(10, 10), w.ViewImageEnVect->backgroundColor());
    EXPECT_FALSE(w.ViewImageEnVect->isEnabled());
    for (imaging::ImageView* view : w.PageViews)
        EXPECT_EQ(view->image().pixelColor(10, 10), view->backgroundColor());
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0.0"));
    EXPECT_TRUE(w.ActLoadPaper->isEnabled());
    EXPECT_FALSE(w.ActSavePaper->isEnabled());
    EXPECT_FALSE(w.ActViewOri->isEnabled());
    for (const QLineEdit* edit : w.ScoreEdits)
        EXPECT_EQ(edit->text(), QString());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^交卷操作耗时:\\d+毫秒$"))
                    .match(w.LabelStatus->text())
                    .hasMatch())
        << w.LabelStatus->text().toStdString();
    // The exception choice is left for the next fetch to reset.
    EXPECT_EQ(w.ComboBoxException->currentIndex(), 3);
    // Without AutoLoadPaper no paper is asked for.
    EXPECT_TRUE(server.requestsFor(QStringLiteral("GetQuestion")).isEmpty());
}

TEST_F(SubmitWindowTest, RefusedSubmissionSendsNothingAndKeepsThePaper) {
    struct Case {
        const char* name;
        QString first;
        QString second;
        QString message;
    } const cases[] = {
        {"unscored", QStringLiteral("5"), QString(), QStringLiteral("每道题必须打分!!")},
        {"not a number", QStringLiteral("5"), QStringLiteral("."),
         QStringLiteral("每道题必须打分!!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openWithPaper();
        const MarkingWindowProbe w = probe();
        messages.shown.clear();
        type(0, c.first);
        if (!c.second.isEmpty())
            type(1, c.second);
        const QStringList before = objectTexts();

        w.ActSavePaper->trigger();

        EXPECT_EQ(messages.shown, QStringList{c.message});
        EXPECT_TRUE(server.requestsFor(QStringLiteral("SaveSymbol")).isEmpty());
        EXPECT_TRUE(w.PaperLoaded);
        EXPECT_EQ(objectTexts(), before);
        EXPECT_FALSE(w.ActLoadPaper->isEnabled());
        EXPECT_TRUE(w.ActSavePaper->isEnabled());
        EXPECT_TRUE(w.ActViewOri->isEnabled());
        EXPECT_TRUE(w.ViewImageEnVect->isEnabled());
        window.reset();
    }
}

TEST_F(SubmitWindowTest, FailedSaveSymbolKeepsThePaperForAnotherTry) {
    server.setReply(QStringLiteral("SaveSymbol"), QByteArray("busy"), 500, "text/plain");
    openWithPaper();
    const MarkingWindowProbe w = probe();
    type(0, QStringLiteral("4"));
    type(1, QStringLiteral("3"));
    const QString status = w.LabelStatus->text();
    ASSERT_TRUE(status.startsWith(QStringLiteral("提卷")));
    const QStringList before = objectTexts();

    w.ActSavePaper->trigger();

    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("交卷出错")});
    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 1);
    EXPECT_TRUE(w.PaperLoaded);
    EXPECT_EQ(objectTexts(), before);
    EXPECT_EQ(w.ScoreEdits[0]->text(), QStringLiteral("4"));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("3"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("7"));
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
    EXPECT_TRUE(w.ActViewOri->isEnabled());
    EXPECT_EQ(w.LabelStatus->text(), status);

    // The server answers again: the same paper goes through.
    server.setReply(QStringLiteral("SaveSymbol"), gbk::encode(QStringLiteral("成功")), 200,
                    "text/plain");
    w.ActSavePaper->trigger();
    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 2);
    EXPECT_FALSE(w.PaperLoaded);
}

TEST_F(SubmitWindowTest, ConfirmingOnTheLastScoreEditSubmits) {
    openWithPaper();
    const MarkingWindowProbe w = probe();
    type(0, QStringLiteral("5"));
    type(1, QStringLiteral("1"));
    press(Qt::Key_Return);
    EXPECT_EQ(messages.asked, QStringList{QStringLiteral("你确认提交你所提交的成绩吗??")});
    const QList<QByteArray> sent = server.requestsFor(QStringLiteral("SaveSymbol"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(QueryValue(sent[0], "Submarks"), QStringLiteral("1:5|2:1|"));
    EXPECT_FALSE(w.PaperLoaded);
}

TEST_F(SubmitWindowTest, NothingIsSubmittedWithoutAnOpenPaper) {
    openWithPaper();
    type(0, QStringLiteral("5"));
    type(1, QStringLiteral("1"));
    // The paper is taken off the screen while the edits keep their text.
    closePaperByEmptyCallBack();
    window->ActSavePaperExecute();
    EXPECT_TRUE(server.requestsFor(QStringLiteral("SaveSymbol")).isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SubmitWindowTest, AutoLoadPaperFetchesTheNextPaperAfterTheSubmission) {
    storeSetting(QStringLiteral("AutoLoadPaper"), QStringLiteral("1"));
    openWithPaper();
    const MarkingWindowProbe w = probe();
    type(0, QStringLiteral("2"));
    type(1, QStringLiteral("2"));
    serveQuestion(QStringLiteral("S0100"));
    server.clearRequests();

    w.ActSavePaper->trigger();

    QStringList commands;
    for (const QByteArray& target : server.requests())
        commands.append(QString::fromLatin1(target.mid(1, target.indexOf('?') - 1)));
    ASSERT_GE(commands.size(), 2);
    EXPECT_EQ(commands.mid(0, 2), (QStringList{"SaveSymbol", "GetQuestion"}));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(w.PaperLoaded);
    EXPECT_EQ(state.StudentId, QStringLiteral("S0100"));
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
}

TEST_F(SubmitWindowTest, AutomaticFetchEndingInAnErrorIsReported) {
    question.basic = QStringLiteral("0,10,1,0,0,03,2");
    storeSetting(QStringLiteral("AutoLoadPaper"), QStringLiteral("1"));
    openWithPaper();
    const MarkingWindowProbe w = probe();
    type(0, QStringLiteral("2"));
    type(1, QStringLiteral("2"));
    // The next paper's last earlier turn carries a box record without its
    // height, which stops the tag reader with an error.
    serveQuestion(QStringLiteral("S0100"), QStringLiteral("张$90$0;100;100;3!3;1;2;3!"));

    w.ActSavePaper->trigger();

    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 1);
    EXPECT_EQ(server.requestsFor(QStringLiteral("GetQuestion")).size(), 2);
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("自动提卷出错")});
}
