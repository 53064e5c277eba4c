// Keyboard score entry in the marking window: keys typed into the focused
// score edit go the program's own path (the window's key preview, then the
// score edit handlers), the score texts and the total follow, and the focus
// moves through the window's tab order.

#include "MarkingWindowFixture.h"
#include "ScoreTexts.h"

#include <QSignalSpy>

namespace {

using imaging::VectorObject;

const QString kConfirm = QStringLiteral("你确认提交你所提交的成绩吗??");

QString RangeMessage(const QString& low, const QString& high) {
    return QStringLiteral("输入的分数不在指定") + low + QStringLiteral("到") + high +
           QStringLiteral("得分区间内,请重新输入!!");
}

// Three sub-questions scored 0..10, 0..2.5 and 0..5 at (100, 100), (100, 200)
// and (100, 300); a paper is open and the window active.
class ScoreEntryTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        question.basic = QStringLiteral("0,20,1,0,0,01,1");
        const double highest[] = {10, 2.5, 5};
        question.subQuestions.clear();
        for (int i = 0; i < 3; ++i)
            question.subQuestions.append({QString::number(i + 1),
                                          QStringLiteral("第%1题").arg(i + 1), 0, highest[i], 100,
                                          100 * (i + 1)});
    }

    void openWithPaper(const QString& allTurnInfo = QString()) {
        open();
        openPaper(allTurnInfo);
        activate();
    }

    const VectorObject& scoreText(int i) const {
        const imaging::VectorLayer& layer = view().layer();
        return *layer.object(layer.findAt(100, 100 * (i + 1)));
    }
    QLineEdit* edit(int i) const { return probe().ScoreEdits[i]; }
    QWidget* focused() const { return window->focusWidget(); }
    QString total() const { return probe().ScorePanel->text(); }
    int submissions() const { return int(server.requestsFor(QStringLiteral("SaveSymbol")).size()); }
};

struct RangeCase {
    const char* name;
    int edit;
    QString text;
    Qt::Key key;
    QString message; // empty: accepted
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class ScoreEntryRange : public ScoreEntryTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(ScoreEntryRange, AcceptedScoresMoveOnAndOthersAreRefused) {
    const RangeCase& c = GetParam();
    openWithPaper();
    type(c.edit, c.text);
    press(c.key);

    if (c.message.isEmpty()) {
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_EQ(focused(), edit(c.edit + 1));
    } else {
        EXPECT_EQ(messages.shown, QStringList{c.message});
        EXPECT_EQ(focused(), edit(c.edit));
        EXPECT_EQ(edit(c.edit)->selectedText(), c.text);
    }
    EXPECT_EQ(submissions(), 0);
    EXPECT_TRUE(messages.asked.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScoreEntryRange,
    ::testing::Values(
        RangeCase{"HighestIncluded", 0, QStringLiteral("10"), Qt::Key_Return, {}},
        RangeCase{"LowestIncludedByDown", 0, QStringLiteral("0"), Qt::Key_Down, {}},
        RangeCase{"FractionByKeypadEnter", 1, QStringLiteral("2.5"), Qt::Key_Enter, {}},
        RangeCase{"AboveHighest", 0, QStringLiteral("10.5"), Qt::Key_Return,
                  RangeMessage(QStringLiteral("0"), QStringLiteral("10"))},
        RangeCase{"AboveFractionalHighestByDown", 1, QStringLiteral("3"), Qt::Key_Down,
                  RangeMessage(QStringLiteral("0"), QStringLiteral("2.5"))}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST_F(ScoreEntryTest, NonNumberOnEnterIsReportedAndNothingElseHappens) {
    openWithPaper();
    for (const QString& text : {QStringLiteral("1.2.3"), QStringLiteral(".")}) {
        SCOPED_TRACE(text.toStdString());
        messages.shown.clear();
        edit(2)->clear();
        type(2, text);
        press(Qt::Key_Return);
        EXPECT_EQ(
            messages.shown,
            QStringList{QStringLiteral("'%1' is not a valid floating point value").arg(text)});
        EXPECT_TRUE(messages.asked.isEmpty());
        EXPECT_EQ(focused(), edit(2));
    }
    EXPECT_EQ(submissions(), 0);
}

TEST_F(ScoreEntryTest, EmptyEditIgnoresEnter) {
    openWithPaper();
    edit(0)->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), edit(0));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ScoreEntryTest, EnterOnTheLastEditAsksAndSubmitsOnlyWhenConfirmed) {
    struct Case {
        const char* name;
        bool answerOk;
        int submissions;
        int returnPressed; // the key reached the edit
    } const cases[] = {{"confirmed", true, 1, 0}, {"cancelled", false, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openWithPaper();
        messages.asked.clear();
        messages.answerOk = c.answerOk;
        type(0, QStringLiteral("1"));
        type(1, QStringLiteral("2"));
        QSignalSpy returnPressed(edit(2), &QLineEdit::returnPressed);
        type(2, QStringLiteral("5"));
        press(Qt::Key_Return);

        EXPECT_EQ(messages.asked, QStringList{kConfirm});
        EXPECT_EQ(submissions(), c.submissions);
        EXPECT_EQ(returnPressed.count(), c.returnPressed);
        EXPECT_EQ(focused(), c.answerOk ? edit(0) : edit(2));
        window.reset();
        server.clearRequests();
    }
}

TEST_F(ScoreEntryTest, FocusMovesAsManyStopsAsTheTabPressesWould) {
    // Four Tabs after a confirmed submission, four Shift+Tabs for Up on the
    // first edit (five with the history shown), one for the others.
    struct Case {
        const char* name;
        QString basic;
        int edit;
        Qt::Key key;
        bool confirm;
        int lands;      // the score edit that gets the focus
        bool onHistory; // or the history grid
    } const cases[] = {
        {"Down to the next edit", QStringLiteral("0,20,1,0,0,01,1"), 0, Qt::Key_Down, false, 1,
         false},
        {"Up to the previous edit", QStringLiteral("0,20,1,0,0,01,1"), 2, Qt::Key_Up, false, 1,
         false},
        {"Up on the first edit, round to the last", QStringLiteral("0,20,1,0,0,01,1"), 0,
         Qt::Key_Up, false, 2, false},
        {"Up on the first edit past the history", QStringLiteral("0,20,1,0,0,02,2"), 0, Qt::Key_Up,
         false, 2, false},
        {"submitted from the last edit, round to the first", QStringLiteral("0,20,1,0,0,01,1"), 2,
         Qt::Key_Return, true, 0, false},
        {"submitted with the history shown", QStringLiteral("0,20,1,0,0,02,2"), 2, Qt::Key_Return,
         true, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        question.basic = c.basic;
        openWithPaper();
        if (c.confirm) {
            type(0, QStringLiteral("1"));
            type(1, QStringLiteral("1"));
        }
        type(c.edit, c.key == Qt::Key_Up ? QString() : QStringLiteral("1"));
        edit(c.edit)->setFocus();
        press(c.key);
        if (c.onHistory)
            EXPECT_EQ(focused(), probe().StringGridHist);
        else
            EXPECT_EQ(focused(), edit(c.lands));
        window.reset();
    }
}

TEST_F(ScoreEntryTest, TabFollowsTheSameOrder) {
    openWithPaper();
    probe().ComboBoxCallBackNumber->setFocus();
    const QList<QWidget*> expected = {
        probe().ComboBoxException,     probe().ComboBoxText, edit(0), edit(1), edit(2),
        probe().ComboBoxCallBackNumber};
    for (QWidget* next : expected) {
        press(Qt::Key_Tab);
        EXPECT_EQ(focused(), next) << next->objectName().toStdString();
    }
}

TEST_F(ScoreEntryTest, TypingFollowsKeyByKeyAndEmptyingRestoresTheQuestionMark) {
    openWithPaper();
    type(0, QStringLiteral("7"));
    EXPECT_EQ(scoreText(0).text, QStringLiteral("7"));
    EXPECT_EQ(scoreText(0).width, 40);
    EXPECT_EQ(total(), QStringLiteral("7"));

    press(Qt::Key_Backspace);
    EXPECT_EQ(edit(0)->text(), QString());
    EXPECT_EQ(scoreText(0).text, QStringLiteral("?"));
    EXPECT_EQ(scoreText(0).width, 40); // kept from "7", not the placeholder's 48
    EXPECT_EQ(total(), QStringLiteral("0"));
}

TEST_F(ScoreEntryTest, OnlyDigitsPointAndBackspaceReachTheEdit) {
    openWithPaper();
    type(1, QStringLiteral("a-2,.+5x"));
    EXPECT_EQ(edit(1)->text(), QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).text, QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).width, 120);
    EXPECT_EQ(total(), QStringLiteral("2.5"));
}

TEST_F(ScoreEntryTest, WithoutAPaperNothingIsTyped) {
    open();
    activate();
    type(0, QStringLiteral("5"));
    EXPECT_EQ(edit(0)->text(), QString());

    edit(0)->setText(QStringLiteral("12"));
    press(Qt::Key_Backspace);
    EXPECT_EQ(edit(0)->text(), QStringLiteral("12"));
}

TEST_F(ScoreEntryTest, PastedTextIsHeldToScoreCharacters) {
    openWithPaper();
    edit(0)->setFocus();
    edit(0)->insert(QStringLiteral("abc"));
    EXPECT_EQ(edit(0)->text(), QString());
    edit(0)->insert(QStringLiteral("4.5"));
    EXPECT_EQ(edit(0)->text(), QStringLiteral("4.5"));
}

TEST_F(ScoreEntryTest, NumericCommentCountsInTheTotal) {
    openWithPaper();
    probe().ComboBoxText->setEditText(QStringLiteral("3"));
    probe().ActPutText->trigger();
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, viewPoint(500, 500));
    type(0, QStringLiteral("5"));
    EXPECT_EQ(total(), QStringLiteral("8"));
}

TEST_F(ScoreEntryTest, WithoutAScoreTextTypingChangesOnlyTheEdit) {
    // A second turn whose earlier tag scored only the first sub-question: the
    // reader replaced the placeholders, so the others have no score text.
    question.basic = QStringLiteral("0,20,1,0,0,02,2");
    openWithPaper(QStringLiteral("张$4$0;100;100;4!"));
    ASSERT_EQ(objectTexts(), QStringList{QStringLiteral("4")});
    type(1, QStringLiteral("2"));
    EXPECT_EQ(edit(1)->text(), QStringLiteral("2"));
    EXPECT_EQ(objectTexts(), QStringList{QStringLiteral("4")});
    EXPECT_EQ(total(), QStringLiteral("4"));
}

TEST_F(ScoreEntryTest, AllZeroKeepsThePlaceholderSize) {
    openWithPaper();
    edit(1)->setText(QStringLiteral("2"));
    probe().ActSetAllZero->trigger();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(edit(i)->text(), QStringLiteral("0"));
        EXPECT_EQ(scoreText(i).text, QStringLiteral("0"));
        EXPECT_EQ(QSize(scoreText(i).width, scoreText(i).height), QSize(48, 32));
    }
    EXPECT_EQ(total(), QStringLiteral("0"));
}

TEST_F(ScoreEntryTest, FullMarkSetsEditsAndWidths) {
    openWithPaper();
    probe().ActSetFullMark->trigger();
    EXPECT_EQ(edit(0)->text(), QStringLiteral("10"));
    EXPECT_EQ(edit(1)->text(), QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).text, QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).width, 120);
    EXPECT_EQ(scoreText(0).width, 80);
    EXPECT_EQ(total(), QStringLiteral("17.5"));
}

TEST_F(ScoreEntryTest, FillsDoNothingWithoutAPaper) {
    open();
    probe().ActSetAllZero->trigger();
    probe().ActSetFullMark->trigger();
    EXPECT_EQ(edit(0)->text(), QString());
    EXPECT_EQ(total(), QStringLiteral("0.0"));
}

} // namespace
