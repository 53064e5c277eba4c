// The marking window's call-back of an earlier paper and the history grid.

#include "MarkingWindowFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

namespace {

// Three earlier turns as the server sends them ("$" between the pieces).
const QString kThreeTurns = QStringLiteral(
    "张$90$0;100;100;3!2;300;250;X!|李$85$0;100;100;2!0;100;200;2!|王$80$0;100;100;1!0;100;200;1!");

// Two sub-questions of 0 to 5 at (100, 100) and (100, 200); one page of
// 400 x 300 cut whole.
class CallBackWindowTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        useTwoSubQuestionsOfFive();
        question.cuts = QStringLiteral("(1,1,0,0,400,300,1)");
        servePicture(PlainPicture(400, 300, qRgb(200, 220, 240)));
    }
};

} // namespace

TEST_F(CallBackWindowTest, CallBackOfTheThirdPaperShowsItsEarlierMarks) {
    open();
    activate();
    const MarkingWindowProbe w = probe();
    openPaper();
    w.ActSymbolX->trigger();
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, viewPoint(70, 66));
    ASSERT_EQ(objectTexts().size(), 3); // two placeholders and the cross
    serveCallBack(QStringLiteral("S0003"), QString(),
                  QStringLiteral("0;100;100;4!0;100;200;1.5!2;300;250;X!"));
    w.ComboBoxCallBackNumber->setCurrentIndex(2);
    // A box armed on the dropped paper is not placed on the called-back one.
    w.ActPutBox->trigger();
    ASSERT_TRUE(w.DrawToolArmed);

    w.ActCallBack->trigger();

    const QList<QByteArray> sent = server.requestsFor(QStringLiteral("CallBack"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(QueryValue(sent[0], "CallbackSerial"), QStringLiteral("3"));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(state.StudentId, QStringLiteral("S0003"));
    EXPECT_TRUE(w.PaperLoaded);
    EXPECT_FALSE(w.DrawToolArmed);
    EXPECT_EQ(w.ViewImageEnVect->tool(), imaging::ImageView::Tool::Select);
    // The open paper's cross is gone; the called-back marks replace it.
    EXPECT_EQ(objectTexts(), (QStringList{"4", "1.5", "X"}));
    const imaging::VectorLayer& layer = w.ViewImageEnVect->layer();
    const imaging::VectorObject* cross = layer.object(layer.handleAt(2));
    EXPECT_EQ(QPoint(cross->left, cross->top), QPoint(300, 250));
    EXPECT_EQ(w.ScoreEdits[0]->text(), QStringLiteral("4"));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("1.5"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("5.5"));
    // The answer image is the served page (400 × 300) and has a thumbnail.
    EXPECT_EQ(w.ViewImageEnVect->image().size(), QSize(400, 300));
    EXPECT_TRUE(w.ViewImageEnVect->isEnabled());
    const QSize thumbnail = w.MyImageEnView->image().size(); // at the view's width
    EXPECT_GT(thumbnail.width(), 0);
    EXPECT_NEAR(double(thumbnail.height()) / thumbnail.width(), 300.0 / 400, 0.02);
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
    EXPECT_TRUE(w.ActViewOri->isEnabled());
    EXPECT_TRUE(w.LabelStatus->text().startsWith(QStringLiteral("提卷")));
    EXPECT_FALSE(w.GroupBox2->isVisibleTo(window.get())); // marking mode "01"
    // The chosen number stays for the next call-back.
    EXPECT_EQ(w.ComboBoxCallBackNumber->currentText(), QStringLiteral("3"));

    // Changed and submitted again: the called-back paper goes back.
    w.ScoreEdits[1]->setFocus();
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Backspace);
    type(1, QStringLiteral("2"));
    w.ActSavePaper->trigger();
    const QList<QByteArray> saved = server.requestsFor(QStringLiteral("SaveSymbol"));
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(QueryValue(saved[0], "StudentId"), QStringLiteral("S0003"));
    EXPECT_EQ(QueryValue(saved[0], "Mark"), QStringLiteral("6"));
    EXPECT_EQ(QueryValue(saved[0], "Submarks"), QStringLiteral("1:4|2:2|"));
}

TEST_F(CallBackWindowTest, CallBackFindingNoPaperLeavesAnEmptyWindow) {
    struct Case {
        QString studentId;
        QString message;
    } const cases[] = {
        {QStringLiteral("none"), QStringLiteral("没有试卷可再提供了!!")},
        {QStringLiteral("error"), QStringLiteral("提卷错误，请稍后再试!!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.studentId.toStdString());
        open();
        const MarkingWindowProbe w = probe();
        openPaper();
        ASSERT_FALSE(w.LabelStatus->text().isEmpty());
        messages.shown.clear();
        serveCallBack(c.studentId);

        w.ActCallBack->trigger();

        EXPECT_EQ(messages.shown, QStringList{c.message});
        EXPECT_FALSE(w.PaperLoaded);
        EXPECT_EQ(w.ViewImageEnVect->layer().count(), 0);
        EXPECT_FALSE(w.ViewImageEnVect->isEnabled());
        EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0.0"));
        EXPECT_TRUE(w.ActLoadPaper->isEnabled());
        EXPECT_FALSE(w.ActSavePaper->isEnabled());
        EXPECT_FALSE(w.ActViewOri->isEnabled());
        EXPECT_EQ(w.LabelStatus->text(), QString());
        for (imaging::ImageView* view : w.PageViews)
            EXPECT_EQ(view->image().pixelColor(5, 5), view->backgroundColor());
        window.reset();
    }
}

TEST_F(CallBackWindowTest, FailingCallBackChangesNothing) {
    server.setDropConnection(QStringLiteral("CallBack"));
    open();
    const MarkingWindowProbe w = probe();
    openPaper();
    type(0, QStringLiteral("3"));
    const QString status = w.LabelStatus->text();
    const QStringList before = objectTexts();
    w.ActCallBack->trigger();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(w.PaperLoaded);
    EXPECT_EQ(objectTexts(), before);
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("3"));
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
    EXPECT_EQ(w.LabelStatus->text(), status);
    EXPECT_EQ(w.ViewImageEnVect->image().size(), QSize(400, 300));
}

TEST_F(CallBackWindowTest, HistoryRowsOfAThirdTurnRedrawTheirMarks) {
    question.basic = QStringLiteral("0,10,1,0,0,03,3");
    serveCallBack(QStringLiteral("S0007"), kThreeTurns, QStringLiteral("0;100;100;5!0;100;200;5!"));
    open();
    const MarkingWindowProbe w = probe();
    w.ActCallBack->trigger();
    ASSERT_TRUE(w.PaperLoaded);
    // The call-back draws its own tag, not the last turn's.
    EXPECT_EQ(objectTexts(), (QStringList{"5", "5"}));

    ASSERT_EQ(w.HistRecords.size(), 3);
    EXPECT_EQ(w.StringGridHist->rowCount(), 3);
    EXPECT_TRUE(w.GroupBox2->isVisibleTo(window.get()));
    const QStringList column0{"张", "李", "王"};
    const QStringList column1{"90", "85", "80"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(w.StringGridHist->item(row, 0)->text(), column0[row]);
        EXPECT_EQ(w.StringGridHist->item(row, 1)->text(), column1[row]);
    }
    EXPECT_EQ(w.HistRecords[1].TurnTag, QStringLiteral("0;100;100;2!0;100;200;2!"));

    bool allowed = false;
    window->StringGridHistSelectCell(0, 0, allowed);
    EXPECT_EQ(objectTexts(), (QStringList{"3", "X"}));
    EXPECT_EQ(w.ScoreEdits[0]->text(), QStringLiteral("3"));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("5")); // no record for it
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("3"));

    // A row beyond the records does nothing.
    window->StringGridHistSelectCell(0, 3, allowed);
    EXPECT_EQ(objectTexts(), (QStringList{"3", "X"}));

    // The marker's click on a row redraws that turn.
    activate();
    const QRect cell = w.StringGridHist->visualItemRect(w.StringGridHist->item(2, 0));
    QTest::mouseClick(w.StringGridHist->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(objectTexts(), (QStringList{"1", "1"}));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("2"));

    // Clicking the row that is already selected shows its turn again.
    type(1, QStringLiteral("4"));
    ASSERT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("14"));
    QTest::mouseClick(w.StringGridHist->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(objectTexts(), (QStringList{"1", "1"}));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("2"));
}

TEST_F(CallBackWindowTest, HistoryOfOtherMarkingModesIsFilledButHidden) {
    question.basic = QStringLiteral("0,10,1,0,0,01,3");
    serveCallBack(QStringLiteral("S0007"), kThreeTurns);
    open();
    const MarkingWindowProbe w = probe();
    w.ActCallBack->trigger();
    EXPECT_EQ(w.StringGridHist->rowCount(), 3);
    EXPECT_EQ(w.HistRecords.size(), 3);
    EXPECT_FALSE(w.GroupBox2->isVisibleTo(window.get()));
}

TEST_F(CallBackWindowTest, SelectingAHistoryRowWithoutAPaperDrawsNothing) {
    question.basic = QStringLiteral("0,10,1,0,0,03,3");
    serveCallBack(QStringLiteral("S0007"), kThreeTurns);
    open();
    const MarkingWindowProbe w = probe();
    w.ActCallBack->trigger();
    ASSERT_EQ(w.HistRecords.size(), 3);
    closePaperByEmptyCallBack();
    ASSERT_EQ(w.HistRecords.size(), 3);

    bool allowed = false;
    window->StringGridHistSelectCell(0, 1, allowed);
    EXPECT_EQ(w.ViewImageEnVect->layer().count(), 0);
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0.0"));
}
