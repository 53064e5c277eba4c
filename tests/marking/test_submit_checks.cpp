// The checks a paper passes before it is handed back, the Submarks text and
// the values gathered for SaveSymbol, over a vector layer and edit texts.
#include "Submission.h"

#include "AppError.h"
#include "RecordingMessages.h"
#include "TagFormat.h"

#include <gtest/gtest.h>

using namespace marking;
using imaging::VectorLayer;

namespace {

// Sub-questions "1", "2", ... at (120, 300 + 120 i), range 0..highest.
QList<TSubQuestion> SubQuestions(int n, double highest = 10) {
    QList<TSubQuestion> list;
    for (int i = 0; i < n; ++i) {
        TSubQuestion q;
        q.SubQuestionId = QString::number(i + 1);
        q.LowestMark = 0;
        q.HighestMark = highest;
        q.PosX = 120;
        q.PosY = 300 + 120 * i;
        list.append(q);
    }
    return list;
}

// One score text per sub-question with the given texts.
void AddScores(VectorLayer& layer, const QList<TSubQuestion>& subQuestions,
               const QStringList& scores) {
    for (int i = 0; i < scores.size(); ++i)
        layer.add(MakeScoreText(subQuestions[i].PosX, subQuestions[i].PosY, scores[i]));
}

struct CheckCase {
    const char* name;
    QStringList scores; // score texts on the layer
    QStringList edits;  // score edit texts
    QString comment;    // a free text placed away from the scores ("" = none)
    double fullScore;
    QStringList messages; // shown, in order
    bool accepted;
    QString submarks; // when accepted
    double mark;      // when accepted
};

class SubmissionChecks : public ::testing::TestWithParam<CheckCase> {};

} // namespace

TEST_P(SubmissionChecks, RunInOrderWithTheirMessages) {
    const CheckCase& c = GetParam();
    const QList<TSubQuestion> subQuestions = SubQuestions(2);
    VectorLayer layer;
    AddScores(layer, subQuestions, c.scores);
    if (!c.comment.isEmpty())
        layer.add(MakeSymbolText(400, 700, c.comment));

    SubmissionInput input;
    input.layer = &layer;
    input.subQuestions = &subQuestions;
    input.editTexts = c.edits;
    input.FullScore = c.fullScore;
    RecordingMessages messages;
    SubmissionValues values;
    EXPECT_EQ(CheckAndGather(input, &values), c.accepted);
    EXPECT_EQ(messages.shown, c.messages);
    if (c.accepted) {
        EXPECT_EQ(values.Submarks, c.submarks);
        EXPECT_DOUBLE_EQ(values.Mark, c.mark);
        EXPECT_EQ(values.Tag, BuildTag(layer, subQuestions));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubmissionChecks,
    ::testing::Values(
        CheckCase{
            "AllScoredInRange", {"5", "2.5"}, {"5", "2.5"}, "", 10, {}, true, "1:5|2:2.5|", 7.5},
        CheckCase{"TotalEqualToFullScorePasses",
                  {"5", "5"},
                  {"5", "5"},
                  "",
                  10,
                  {},
                  true,
                  "1:5|2:5|",
                  10},
        CheckCase{
            "UnscoredRefused", {"5", "?"}, {"5", ""}, "", 10, {"每道题必须打分!!"}, false, "", 0},
        CheckCase{"PointAloneRefusedAsUnscored",
                  {"5", "."},
                  {"5", "."},
                  "",
                  10,
                  {"每道题必须打分!!"},
                  false,
                  "",
                  0},
        CheckCase{"EditsOutOfRangeListed",
                  {"5", "5"},
                  {"11", "-1"},
                  "",
                  30,
                  {"第1,2知识点打分不满足其知识点的上下限制!"},
                  false,
                  "",
                  0},
        CheckCase{"EmptyEditFailsTheRangeCheckAndGoesOn",
                  {"5", "2"},
                  {"5", ""},
                  "",
                  10,
                  {"判断本题知识点打分出错"},
                  true,
                  "1:5|2:2|",
                  7},
        CheckCase{"TotalAboveFullScoreRefused",
                  {"5", "5.5"},
                  {"5", "5.5"},
                  "",
                  10,
                  {"本题分数上限为10"},
                  false,
                  "",
                  0},
        CheckCase{"NumericCommentRaisesTheTotal",
                  {"5", "5"},
                  {"5", "5"},
                  "3",
                  10,
                  {"本题分数上限为10"},
                  false,
                  "",
                  0},
        CheckCase{"RoundingResidueIsNotAboveFullScore",
                  {"0.1", "0.2"},
                  {"0.1", "0.2"},
                  "",
                  0.3,
                  {},
                  true,
                  "1:0.1|2:0.2|",
                  0.1 + 0.2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubmissionChecks, TagLimitCountsGbkBytes) {
    const QList<TSubQuestion> subQuestions = SubQuestions(1);
    // "0;120;300;5!" (12 bytes) + "2;200;500;" (10) + comment + "!" (1):
    // 238 Chinese characters make 499 bytes in 262 characters.
    const QString chinese = QString(238, QChar(0x597D)); // 好
    struct {
        QString comment;
        bool accepted;
    } const cases[] = {{chinese, true}, {chinese + QLatin1Char('a'), false}};
    for (const auto& c : cases) {
        VectorLayer layer;
        AddScores(layer, subQuestions, {QStringLiteral("5")});
        layer.add(MakeSymbolText(200, 500, c.comment));
        SubmissionInput input;
        input.layer = &layer;
        input.subQuestions = &subQuestions;
        input.editTexts = {QStringLiteral("5")};
        input.FullScore = 10;
        RecordingMessages messages;
        SubmissionValues values;
        EXPECT_EQ(CheckAndGather(input, &values), c.accepted) << c.comment.size();
        if (c.accepted)
            EXPECT_TRUE(messages.shown.isEmpty());
        else
            EXPECT_EQ(messages.shown,
                      QStringList{QStringLiteral(
                          "您的标记大于系统所能承受的最大数,请删除一些无用的标记!!")});
    }
}

TEST(SubmissionChecks, ExceptionChoiceGivesDescriptionAndFlag) {
    struct {
        int index;
        QString text;
        QString description;
        QString exceptional;
    } const cases[] = {
        {-1, QString(), QString(), QStringLiteral("0")},
        {0, QStringLiteral("无异常"), QString(), QStringLiteral("0")},
        {1, QStringLiteral("典型考卷"), QStringLiteral("典型考卷"), QStringLiteral("0")},
        {2, QStringLiteral("答错位置"), QStringLiteral("答错位置"), QStringLiteral("1")},
        {3, QStringLiteral("切割问题"), QStringLiteral("切割问题"), QStringLiteral("1")},
        {4, QStringLiteral("其他情况"), QStringLiteral("其他情况"), QStringLiteral("1")},
    };
    for (const auto& c : cases) {
        const ExceptionChoice choice = ExceptionFor(c.index, c.text);
        EXPECT_EQ(choice.Description, c.description) << c.index;
        EXPECT_EQ(choice.IsExceptional, c.exceptional) << c.index;
    }
}

TEST(Submarks, ReformatsNumbersAndSkipsWhatHasNoScore) {
    const QList<TSubQuestion> subQuestions = SubQuestions(4);
    VectorLayer layer;
    // Sub-question 3 has no score text; 4 holds a text that is no number.
    layer.add(MakeScoreText(120, 300, QStringLiteral("05")));
    layer.add(MakeScoreText(120, 420, QStringLiteral("2.50")));
    layer.add(MakeScoreText(120, 780, QStringLiteral(".")));
    EXPECT_EQ(BuildSubmarks(layer, subQuestions), QStringLiteral("1:5|2:2.5|"));

    VectorLayer unscored;
    unscored.add(MakePlaceholderScoreText(120, 300));
    EXPECT_EQ(BuildSubmarks(unscored, subQuestions), QStringLiteral("1:0|"));
}

TEST(OutOfRangeList, ListsOneBasedNumbersWithBoundsIncluded) {
    QList<TSubQuestion> subQuestions = SubQuestions(5, 5);
    subQuestions[3].LowestMark = 1;
    EXPECT_EQ(OutOfRangeList(subQuestions, {"0", "5.5", "5", "1", "9"}), QStringLiteral("2,5"));
    EXPECT_EQ(OutOfRangeList(subQuestions, {"0", "5", "2", "1", "3"}), QString());
    EXPECT_EQ(OutOfRangeList(subQuestions, {"0", "5", "2", "0.5"}), QStringLiteral("4"));
    EXPECT_THROW(OutOfRangeList(subQuestions, {"0", ""}), EAppError);
}
