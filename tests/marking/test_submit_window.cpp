// The marking window's submission: the SaveSymbol request for known marks,
// the clean-up of the workstation, a refused or failed submission keeping
// the paper, and the confirmation on the last score edit.

#include "test_submit_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

namespace {

// Types `text` into score edit `index` key by key, as the marker does.
void Type(TFrmMainWindow& w, int index, const QString& text) {
    QTest::keyClicks(w.ScoreEdits[index], text);
}

} // namespace

TEST_F(MarkingWindowTest, SubmissionSendsTheMarksAndClearsTheWorkstation) {
    TFrmMainWindow& w = open();
    ASSERT_EQ(w.ScoreEdits.size(), 2);
    openPaperDirectly(QStringLiteral("S0042"));
    Type(w, 0, QStringLiteral("5"));
    Type(w, 1, QStringLiteral("2.50"));
    imaging::VectorLayer& layer = w.ViewImageEnVect->layer();
    layer.add(marking::MakeSymbolText(380, 334, QStringLiteral("X")));
    layer.add(marking::MakeShapeMark(imaging::ObjectKind::Box, 50, 280, 300, 200));
    layer.add(marking::MakeSymbolText(200, 500, QStringLiteral("步骤 不全")));
    w.ComboBoxException->setCurrentIndex(3);
    w.LabelStatus->setText(QStringLiteral("提卷1毫秒切割1毫秒"));

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
    EXPECT_EQ(layer.count(), 0);
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

TEST_F(MarkingWindowTest, ExceptionChoiceTypicalPaperIsNoException) {
    TFrmMainWindow& w = open();
    openPaperDirectly();
    Type(w, 0, QStringLiteral("1"));
    Type(w, 1, QStringLiteral("0"));
    w.ComboBoxException->setCurrentIndex(1);
    w.ActSavePaper->trigger();
    const QList<QByteArray> sent = server.requestsFor(QStringLiteral("SaveSymbol"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(QueryValue(sent[0], "Description"), QStringLiteral("典型考卷"));
    EXPECT_EQ(QueryValue(sent[0], "IsExceptional"), QStringLiteral("0"));
    EXPECT_EQ(QueryValue(sent[0], "Mark"), QStringLiteral("1"));
}

TEST_F(MarkingWindowTest, RefusedSubmissionSendsNothingAndKeepsThePaper) {
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
        TFrmMainWindow& w = open();
        openPaperDirectly();
        messages.shown.clear();
        Type(w, 0, c.first);
        if (!c.second.isEmpty())
            Type(w, 1, c.second);
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
    }
}

TEST_F(MarkingWindowTest, FailedSaveSymbolKeepsThePaperForAnotherTry) {
    server.setReply(QStringLiteral("SaveSymbol"), QByteArray("busy"), 500, "text/plain");
    TFrmMainWindow& w = open();
    openPaperDirectly();
    Type(w, 0, QStringLiteral("4"));
    Type(w, 1, QStringLiteral("3"));
    w.LabelStatus->setText(QStringLiteral("提卷1毫秒切割1毫秒"));
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
    EXPECT_EQ(w.LabelStatus->text(), QStringLiteral("提卷1毫秒切割1毫秒"));

    // The server answers again: the same paper goes through.
    server.setReply(QStringLiteral("SaveSymbol"), gbk::encode(QStringLiteral("成功")), 200,
                    "text/plain");
    w.ActSavePaper->trigger();
    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 2);
    EXPECT_FALSE(w.PaperLoaded);
}

TEST_F(MarkingWindowTest, ConfirmingOnTheLastScoreEditSubmits) {
    TFrmMainWindow& w = open();
    openPaperDirectly();
    Type(w, 0, QStringLiteral("5"));
    Type(w, 1, QStringLiteral("1"));
    QTest::keyClick(w.ScoreEdits[1], Qt::Key_Return);
    EXPECT_EQ(messages.asked, QStringList{QStringLiteral("你确认提交你所提交的成绩吗??")});
    const QList<QByteArray> sent = server.requestsFor(QStringLiteral("SaveSymbol"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(QueryValue(sent[0], "Submarks"), QStringLiteral("1:5|2:1|"));
    EXPECT_FALSE(w.PaperLoaded);
}

TEST_F(MarkingWindowTest, NothingIsSubmittedWithoutAnOpenPaper) {
    TFrmMainWindow& w = open();
    openPaperDirectly();
    Type(w, 0, QStringLiteral("5"));
    Type(w, 1, QStringLiteral("1"));
    // The paper is taken off the screen while the edits keep their text, as
    // a call-back that finds no paper leaves them.
    w.ClearPaperFromScreen();
    w.ActSavePaperExecute();
    EXPECT_TRUE(server.requestsFor(QStringLiteral("SaveSymbol")).isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MarkingWindowTest, AutoLoadPaperFetchesTheNextPaperAfterTheSubmission) {
    server.setReply(QStringLiteral("GetQuestion"), PaperReply(QStringLiteral("S0100")));
    TFrmMainWindow& w = open();
    state.AutoLoadPaper = true;
    openPaperDirectly();
    Type(w, 0, QStringLiteral("2"));
    Type(w, 1, QStringLiteral("2"));
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

TEST_F(MarkingWindowTest, AutomaticFetchEndingInAnErrorIsReported) {
    // The next paper's last earlier turn carries a box record without its
    // height, which stops the tag reader with an error.
    server.setReply(QStringLiteral("GetParam"), ParamReply(QStringLiteral("0,10,1,0,0,03,2")));
    server.setReply(
        QStringLiteral("GetQuestion"),
        PaperReply(QStringLiteral("S0100"), QStringLiteral("张$90$0;100;100;3!3;1;2;3!")));
    TFrmMainWindow& w = open();
    state.AutoLoadPaper = true;
    openPaperDirectly();
    Type(w, 0, QStringLiteral("2"));
    Type(w, 1, QStringLiteral("2"));

    w.ActSavePaper->trigger();

    EXPECT_EQ(server.requestsFor(QStringLiteral("SaveSymbol")).size(), 1);
    EXPECT_EQ(server.requestsFor(QStringLiteral("GetQuestion")).size(), 1);
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("自动提卷出错")});
}
