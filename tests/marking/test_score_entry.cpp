// Keyboard score entry on real line edits under the offscreen platform.
#include "ScoreEntry.h"

#include "RecordingMessages.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

using namespace marking;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

const QString kConfirm = QStringLiteral("你确认提交你所提交的成绩吗??");

QString RangeMessage(const QString& low, const QString& high) {
    return QStringLiteral("输入的分数不在指定") + low + QStringLiteral("到") + high +
           QStringLiteral("得分区间内,请重新输入!!");
}

// A window with five controls before the three score edits and five after,
// in that tab order, and the paper's "?" placeholders on the layer.
class ScoreEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&m_window);
        for (int i = 0; i < 5; ++i)
            m_before.append(addEdit(layout, QStringLiteral("before%1").arg(i)));
        for (int i = 0; i < 3; ++i)
            m_edits.append(addEdit(layout, QStringLiteral("score%1").arg(i)));
        for (int i = 0; i < 5; ++i)
            m_after.append(addEdit(layout, QStringLiteral("after%1").arg(i)));

        const double highest[] = {10, 2.5, 5};
        for (int i = 0; i < 3; ++i) {
            TSubQuestion q;
            q.SubQuestionId = QString::number(i + 1);
            q.LowestMark = 0;
            q.HighestMark = highest[i];
            q.PosX = 100;
            q.PosY = 100 * (i + 1);
            m_subs.append(q);
            m_placeholders.append(m_layer.add(MakePlaceholderScoreText(q.PosX, q.PosY)));
        }

        ScoreEntry::Hooks hooks;
        hooks.paperLoaded = [this] { return m_paperLoaded; };
        hooks.submit = [this] { ++m_submits; };
        hooks.refreshTotal = [this](double total, const MarkCounts&) { m_totals.append(total); };
        hooks.historyVisible = [this] { return m_historyVisible; };
        m_entry = std::make_unique<ScoreEntry>(m_layer, m_subs, hooks);
        m_entry->setEdits(m_edits);

        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    QLineEdit* addEdit(QVBoxLayout* layout, const QString& name) {
        auto* edit = new QLineEdit(&m_window);
        edit->setObjectName(name);
        layout->addWidget(edit);
        return edit;
    }

    // Types `text` into score edit i, which gets the focus first.
    void type(int i, const QString& text) {
        m_edits[i]->setFocus();
        QTest::keyClicks(m_edits[i], text);
    }

    const VectorObject& scoreText(int i) const { return *m_layer.object(m_placeholders[i]); }
    QWidget* focused() const { return m_window.focusWidget(); }

    QWidget m_window;
    QList<QLineEdit*> m_before, m_edits, m_after;
    QList<TSubQuestion> m_subs;
    VectorLayer m_layer;
    QList<imaging::ObjectHandle> m_placeholders;
    bool m_paperLoaded = true;
    bool m_historyVisible = false;
    int m_submits = 0;
    QList<double> m_totals;
    RecordingMessages m_messages;
    std::unique_ptr<ScoreEntry> m_entry;
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
    type(c.edit, c.text);
    QTest::keyClick(m_edits[c.edit], c.key);

    if (c.message.isEmpty()) {
        EXPECT_TRUE(m_messages.shown.isEmpty());
        EXPECT_EQ(focused(), m_edits[c.edit + 1]);
    } else {
        EXPECT_EQ(m_messages.shown, QStringList{c.message});
        EXPECT_EQ(focused(), m_edits[c.edit]);
        EXPECT_EQ(m_edits[c.edit]->selectedText(), c.text);
    }
    EXPECT_EQ(m_submits, 0);
    EXPECT_TRUE(m_messages.asked.isEmpty());
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
    for (const QString& text : {QStringLiteral("1.2.3"), QStringLiteral(".")}) {
        SCOPED_TRACE(text.toStdString());
        m_messages.shown.clear();
        m_edits[2]->clear();
        type(2, text);
        QTest::keyClick(m_edits[2], Qt::Key_Return);
        EXPECT_EQ(
            m_messages.shown,
            QStringList{QStringLiteral("'%1' is not a valid floating point value").arg(text)});
        EXPECT_TRUE(m_messages.asked.isEmpty());
        EXPECT_EQ(focused(), m_edits[2]);
    }
    EXPECT_EQ(m_submits, 0);
}

TEST_F(ScoreEntryTest, EmptyEditIgnoresEnter) {
    m_edits[0]->setFocus();
    QTest::keyClick(m_edits[0], Qt::Key_Return);
    EXPECT_EQ(focused(), m_edits[0]);
    EXPECT_TRUE(m_messages.shown.isEmpty());
}

TEST_F(ScoreEntryTest, ConfirmedEnterOnTheLastEditSubmitsAndTabsFourTimes) {
    QSignalSpy returnPressed(m_edits[2], &QLineEdit::returnPressed);
    type(2, QStringLiteral("5"));
    QTest::keyClick(m_edits[2], Qt::Key_Return);

    EXPECT_EQ(m_messages.asked, QStringList{kConfirm});
    EXPECT_EQ(m_submits, 1);
    EXPECT_EQ(focused(), m_after[3]);
    EXPECT_EQ(returnPressed.count(), 0); // consumed
}

TEST_F(ScoreEntryTest, CancelledEnterOnTheLastEditLeavesTheKeyToTheEdit) {
    m_messages.answerOk = false;
    QSignalSpy returnPressed(m_edits[2], &QLineEdit::returnPressed);
    type(2, QStringLiteral("5"));
    QTest::keyClick(m_edits[2], Qt::Key_Return);

    EXPECT_EQ(m_messages.asked, QStringList{kConfirm});
    EXPECT_EQ(m_submits, 0);
    EXPECT_EQ(focused(), m_edits[2]);
    EXPECT_EQ(returnPressed.count(), 1); // not consumed
}

struct UpCase {
    const char* name;
    int edit;
    bool historyVisible;
    const char* lands; // object name of the control that gets the focus
};

void PrintTo(const UpCase& c, std::ostream* os) {
    *os << c.name;
}

class ScoreEntryUp : public ScoreEntryTest, public ::testing::WithParamInterface<UpCase> {};

TEST_P(ScoreEntryUp, MovesBackInTabOrder) {
    m_historyVisible = GetParam().historyVisible;
    m_edits[GetParam().edit]->setFocus();
    QTest::keyClick(m_edits[GetParam().edit], Qt::Key_Up);
    ASSERT_NE(focused(), nullptr);
    EXPECT_EQ(focused()->objectName(), QString::fromLatin1(GetParam().lands));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScoreEntryUp,
    ::testing::Values(UpCase{"ToPreviousEdit", 2, false, "score1"},
                      UpCase{"FirstEditFourBack", 0, false, "before1"},
                      UpCase{"FirstEditFiveBackWithHistory", 0, true, "before0"}),
    [](const ::testing::TestParamInfo<UpCase>& info) { return std::string(info.param.name); });

TEST_F(ScoreEntryTest, TypingFollowsKeyByKeyAndEmptyingRestoresTheQuestionMark) {
    type(0, QStringLiteral("7"));
    EXPECT_EQ(scoreText(0).text, QStringLiteral("7"));
    EXPECT_EQ(scoreText(0).width, 40);
    EXPECT_EQ(m_totals.last(), 7);

    QTest::keyClick(m_edits[0], Qt::Key_Backspace);
    EXPECT_EQ(m_edits[0]->text(), QString());
    EXPECT_EQ(scoreText(0).text, QStringLiteral("?"));
    EXPECT_EQ(scoreText(0).width, 40); // kept from "7", not the placeholder's 48
    EXPECT_EQ(m_totals.last(), 0);
}

TEST_F(ScoreEntryTest, OnlyDigitsPointAndBackspaceReachTheEdit) {
    type(1, QStringLiteral("a-2,.+5x"));
    EXPECT_EQ(m_edits[1]->text(), QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).text, QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).width, 120);
    EXPECT_EQ(m_totals.last(), 2.5);
}

TEST_F(ScoreEntryTest, WithoutAPaperNothingIsTyped) {
    m_paperLoaded = false;
    type(0, QStringLiteral("5"));
    EXPECT_EQ(m_edits[0]->text(), QString());

    m_edits[0]->setText(QStringLiteral("12"));
    QTest::keyClick(m_edits[0], Qt::Key_Backspace);
    EXPECT_EQ(m_edits[0]->text(), QStringLiteral("12"));
}

TEST_F(ScoreEntryTest, PastedTextIsHeldToScoreCharacters) {
    m_edits[0]->setFocus();
    m_edits[0]->insert(QStringLiteral("abc"));
    EXPECT_EQ(m_edits[0]->text(), QString());
    m_edits[0]->insert(QStringLiteral("4.5"));
    EXPECT_EQ(m_edits[0]->text(), QStringLiteral("4.5"));
}

TEST_F(ScoreEntryTest, NumericCommentCountsInTheTotal) {
    m_layer.add(MakeSymbolText(300, 300, QStringLiteral("3")));
    type(0, QStringLiteral("5"));
    EXPECT_EQ(m_totals.last(), 8);
}

TEST_F(ScoreEntryTest, WithoutAScoreTextTypingChangesOnlyTheEdit) {
    // The marker dragged sub-question 1's score text away.
    VectorObject* moved = m_layer.object(m_placeholders[0]);
    moved->left += 30;
    type(0, QStringLiteral("4"));
    EXPECT_EQ(m_edits[0]->text(), QStringLiteral("4"));
    EXPECT_EQ(moved->text, QStringLiteral("?"));
    EXPECT_TRUE(m_totals.isEmpty());
}

TEST_F(ScoreEntryTest, AllZeroKeepsThePlaceholderSize) {
    m_edits[1]->setText(QStringLiteral("2"));
    m_entry->setAllZero();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_edits[i]->text(), QStringLiteral("0"));
        EXPECT_EQ(scoreText(i).text, QStringLiteral("0"));
        EXPECT_EQ(QSize(scoreText(i).width, scoreText(i).height), QSize(48, 32));
    }
    EXPECT_EQ(m_totals, QList<double>{0});
}

TEST_F(ScoreEntryTest, FullMarkSetsEditsAndWidths) {
    m_entry->setFullMark();
    EXPECT_EQ(m_edits[0]->text(), QStringLiteral("10"));
    EXPECT_EQ(m_edits[1]->text(), QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).text, QStringLiteral("2.5"));
    EXPECT_EQ(scoreText(1).width, 120);
    EXPECT_EQ(scoreText(0).width, 80);
    EXPECT_EQ(m_totals, QList<double>{17.5});
}

TEST_F(ScoreEntryTest, FillsDoNothingWithoutAPaper) {
    m_paperLoaded = false;
    m_entry->setAllZero();
    m_entry->setFullMark();
    EXPECT_EQ(scoreText(0).text, QStringLiteral("?"));
    EXPECT_EQ(m_edits[0]->text(), QString());
    EXPECT_TRUE(m_totals.isEmpty());
}

} // namespace
