// Taking marks back in the marking window (Ctrl+Z, Ctrl+Y) and the tick mark.

#include "MarkingWindowFixture.h"
#include "ScoreTexts.h"
#include "TagFormat.h"

namespace {

using imaging::VectorObject;

// The default question (sub-questions at (120, 300) 0..5 and (120, 500)
// 0..2, common scores 1, 2, 3, 5) with a paper open at 50 %, the window active.
class UndoWindowTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        storeSetting(QStringLiteral("Vidio"), QStringLiteral("50"));
        open();
        activate();
        openPaper();
    }

    void clickAt(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(view().viewport(), button, {}, viewPoint(x, y));
    }
    void dragFromTo(QPoint from, QPoint to) {
        QTest::mousePress(view().viewport(), Qt::LeftButton, {}, viewPoint(from.x(), from.y()));
        QTest::mouseMove(view().viewport(), viewPoint(to.x(), to.y()));
        QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, viewPoint(to.x(), to.y()));
    }
    void putCross(int x, int y) {
        probe().ActSymbolX->trigger();
        clickAt(x, y);
    }
    void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { press(Qt::Key_Y, Qt::ControlModifier); }
    QString tag() const { return marking::BuildTag(view().layer(), state.SubQuestions); }
    QString lastSentTag() const {
        const QList<QByteArray> sent = server.requestsFor(QStringLiteral("SaveSymbol"));
        return sent.isEmpty() ? QStringLiteral("<none>") : QueryValue(sent.last(), "Tag");
    }
};

TEST_F(UndoWindowTest, ThreeMarksTwoUndoneOneRedoneAreExactlyWhatIsSubmitted) {
    const MarkingWindowProbe w = probe();
    EXPECT_FALSE(w.ActUndo->isEnabled());
    putCross(400, 350); // X at (380, 334)
    w.ActPutBox->trigger();
    dragFromTo({50, 600}, {150, 650}); // box 101 x 51, both ends included
    w.ActSymbolLine->trigger();
    dragFromTo({600, 100}, {700, 150});
    ASSERT_EQ(w.LabelLineCount->text(), QStringLiteral("1"));
    EXPECT_TRUE(w.ActUndo->isEnabled());

    undo();
    undo();
    EXPECT_EQ(w.LabelBoxCount->text(), QStringLiteral("0"));
    EXPECT_EQ(w.LabelLineCount->text(), QStringLiteral("0"));
    EXPECT_TRUE(w.ActRedo->isEnabled());
    redo();
    EXPECT_EQ(w.LabelBoxCount->text(), QStringLiteral("1"));
    EXPECT_EQ(w.LabelLineCount->text(), QStringLiteral("0"));

    w.ActSetAllZero->trigger();
    const QString onScreen = tag();
    EXPECT_EQ(onScreen.toStdString(), "0;120;300;0!0;120;500;0!2;380;334;X!3;50;600;101;51!");
    w.ActSavePaper->trigger();
    EXPECT_EQ(lastSentTag().toStdString(), onScreen.toStdString());

    // After the submission there is nothing to undo.
    EXPECT_FALSE(w.ActUndo->isEnabled());
    EXPECT_FALSE(w.ActRedo->isEnabled());
    undo();
    EXPECT_EQ(view().layer().count(), 0);
}

TEST_F(UndoWindowTest, ScoresSetByCommandsComeBackWithTheirEditsAndTotal) {
    const MarkingWindowProbe w = probe();
    struct Case {
        const char* name;
        std::function<void()> act;
        QStringList texts; // the score texts after the command
        QString total;
    } const cases[] = {
        {"全零", [&] { w.ActSetAllZero->trigger(); }, {"0", "0"}, "0"},
        {"满分", [&] { w.ActSetFullMark->trigger(); }, {"5", "2"}, "7"},
        {"common score",
         [&] {
             QTest::mouseMove(view().viewport(), viewPoint(140, 510)); // highlight the second
             window->MenuItemClick(w.ScoreMenuItems[1]);               // 2分
         },
         {"?", "2"},
         "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        EXPECT_EQ(objectTexts(), c.texts);
        EXPECT_EQ(w.ScorePanel->text(), c.total);
        undo();
        EXPECT_EQ(objectTexts(), (QStringList{"?", "?"}));
        EXPECT_EQ(w.ScoreEdits[0]->text(), QString());
        EXPECT_EQ(w.ScoreEdits[1]->text(), QString());
        EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0"));
        redo();
        EXPECT_EQ(objectTexts(), c.texts);
        EXPECT_EQ(w.ScorePanel->text(), c.total);
        EXPECT_EQ(w.ScoreEdits[1]->text(), c.texts[1] == "?" ? QString() : c.texts[1]);
        undo();
    }
}

TEST_F(UndoWindowTest, DeletedAndMovedMarksComeBack) {
    const MarkingWindowProbe w = probe();
    putCross(400, 350);
    const VectorObject placed = *view().layer().object(view().layer().findAt(380, 334));

    clickAt(400, 350, Qt::RightButton);
    EXPECT_EQ(view().layer().findAt(380, 334), imaging::kNoObject);
    undo();
    const imaging::ObjectHandle back = view().layer().findAt(380, 334);
    ASSERT_NE(back, imaging::kNoObject);
    EXPECT_EQ(*view().layer().object(back), placed);

    dragFromTo({400, 350}, {500, 450});
    EXPECT_NE(view().layer().findAt(480, 434), imaging::kNoObject);
    undo();
    EXPECT_NE(view().layer().findAt(380, 334), imaging::kNoObject);
    EXPECT_EQ(view().layer().findAt(480, 434), imaging::kNoObject);
    redo();
    EXPECT_NE(view().layer().findAt(480, 434), imaging::kNoObject);
    EXPECT_EQ(view().layer().count(), 3);
}

TEST_F(UndoWindowTest, UndoKeepsWhatTheMarkerTypedInBetweenAndWorksFromAScoreEdit) {
    const MarkingWindowProbe w = probe();
    putCross(400, 350);
    type(0, QStringLiteral("4"));
    // The focus is in the score edit: Ctrl+Z takes the cross back, not the 4.
    undo();
    EXPECT_EQ(w.ScoreEdits[0]->text(), QStringLiteral("4"));
    EXPECT_EQ(objectTexts().join('|').toStdString(), "4|?");
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("4"));
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(objectTexts().join('|').toStdString(), "4|?|X");
}

TEST_F(UndoWindowTest, ANewPaperOrAnotherTurnLeavesNothingToUndo) {
    const MarkingWindowProbe w = probe();
    putCross(400, 350);
    ASSERT_TRUE(w.ActUndo->isEnabled());
    serveCallBack(QStringLiteral("S002"), QString(), QStringLiteral("0;120;300;1!"));
    w.ActCallBack->trigger();
    EXPECT_FALSE(w.ActUndo->isEnabled());
    undo();
    EXPECT_EQ(objectTexts(), QStringList{"1"});
}

TEST_F(UndoWindowTest, TickIsPlacedReadBackAndTreatedLikeTheCross) {
    const MarkingWindowProbe w = probe();
    w.ActSymbolTick->trigger();
    EXPECT_TRUE(w.DrawToolArmed);
    clickAt(400, 350);
    const imaging::ObjectHandle h = view().layer().findAt(360, 334); // two GBK bytes: 80 wide
    ASSERT_NE(h, imaging::kNoObject);
    const VectorObject tick = *view().layer().object(h);
    EXPECT_EQ(tick, marking::MakeSymbolText(360, 334, QStringLiteral("√")));
    EXPECT_FALSE(w.DrawToolArmed);
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0")); // counts nothing

    w.ActSetFullMark->trigger();
    w.ActSavePaper->trigger();
    EXPECT_EQ(lastSentTag(), QStringLiteral("0;120;300;5!0;120;500;2!2;360;334;√!"));

    // Called back, the tick is drawn again as the cross would be.
    serveCallBack(QStringLiteral("S001"), QString(), lastSentTag());
    w.ActCallBack->trigger();
    const imaging::ObjectHandle again = view().layer().findAt(360, 334);
    ASSERT_NE(again, imaging::kNoObject);
    EXPECT_EQ(*view().layer().object(again), tick);
    // Deleted with the right button like any mark.
    clickAt(400, 350, Qt::RightButton);
    EXPECT_EQ(view().layer().findAt(360, 334), imaging::kNoObject);
}

} // namespace
