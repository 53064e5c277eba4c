// The tag writer and reader over a vector layer.
#include "TagFormat.h"

#include "AppError.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QStringList>

using namespace marking;
using imaging::ObjectKind;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

QList<TSubQuestion> TwoSubQuestions() {
    TSubQuestion a;
    a.SubQuestionId = QStringLiteral("1");
    a.HighestMark = 5;
    a.PosX = 120;
    a.PosY = 300;
    TSubQuestion b = a;
    b.SubQuestionId = QStringLiteral("2");
    b.PosY = 420;
    return {a, b};
}

// The marks of the example paper, in drawing order: scores 5 and 2.5, a
// cross, a box (50,280)-(349,479), the comment 好 and a line (60,600)-(260,640).
void AddExamplePaper(VectorLayer& layer) {
    layer.add(MakeScoreText(120, 300, QStringLiteral("5")));
    layer.add(MakeScoreText(120, 420, QStringLiteral("2.5")));
    layer.add(MakeSymbolText(380, 334, QStringLiteral("X")));
    VectorObject box = MakeShapeMark(ObjectKind::Box, 0, 0, 1, 1);
    imaging::SetExtentFromPoints(box, QPoint(349, 479), QPoint(50, 280));
    layer.add(box);
    layer.add(MakeSymbolText(200, 500, QStringLiteral("好")));
    VectorObject line = MakeShapeMark(ObjectKind::Line, 0, 0, 1, 1);
    imaging::SetExtentFromPoints(line, QPoint(60, 600), QPoint(260, 640));
    layer.add(line);
}

const QString kExampleTag = QStringLiteral(
    "0;120;300;5!0;120;420;2.5!2;380;334;X!3;50;280;300;200!2;200;500;好!1;60;600;201;41!");

QList<VectorObject> Objects(const VectorLayer& layer) {
    QList<VectorObject> objects;
    for (imaging::ObjectHandle h : layer.handles())
        objects.append(*layer.object(h));
    return objects;
}

// Reads a tag into `layer`; returns the error text ("" when none) and
// records the score edits the reader set.
QString Read(VectorLayer& layer, const QString& tag, QMap<int, QString>* edits = nullptr,
             const QList<TSubQuestion>& subQuestions = TwoSubQuestions()) {
    try {
        DrawTag(layer, subQuestions, tag, [edits](int i, const QString& text) {
            if (edits)
                (*edits)[i] = text;
        });
    } catch (const EAppError& e) {
        return e.text();
    }
    return QString();
}

} // namespace

TEST(TagFormat, ExamplePaperWritesTheKnownTag) {
    VectorLayer layer;
    AddExamplePaper(layer);
    EXPECT_EQ(BuildTag(layer, TwoSubQuestions()), kExampleTag);
}

TEST(TagFormat, ExampleTagReadsBackToTheSameObjectsEditsAndCounts) {
    VectorLayer original;
    AddExamplePaper(original);

    VectorLayer layer;
    // Whatever was on the view before is replaced, placeholders included.
    layer.add(MakePlaceholderScoreText(120, 300));
    layer.add(MakeSymbolText(10, 10, QStringLiteral("旧")));
    QMap<int, QString> edits;
    ASSERT_EQ(Read(layer, kExampleTag, &edits), QString());

    EXPECT_EQ(BuildTag(layer, TwoSubQuestions()), kExampleTag);
    EXPECT_EQ(edits, (QMap<int, QString>{{0, QStringLiteral("5")}, {1, QStringLiteral("2.5")}}));

    const QList<VectorObject> read = Objects(layer);
    const QList<VectorObject> expected = Objects(original);
    ASSERT_EQ(read.size(), expected.size());
    for (int i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].kind, expected[i].kind);
        EXPECT_EQ(QRect(read[i].left, read[i].top, read[i].width, read[i].height),
                  QRect(expected[i].left, expected[i].top, expected[i].width, expected[i].height));
        EXPECT_EQ(read[i].text, expected[i].text);
        EXPECT_EQ(read[i].fontName, expected[i].fontName);
        EXPECT_EQ(read[i].penColor, imaging::kGdiRed);
        EXPECT_EQ(read[i].brushStyle, expected[i].brushStyle);
        EXPECT_EQ(read[i].transparency, expected[i].transparency);
        EXPECT_TRUE(read[i].visible && !read[i].resizable);
        // The two score texts stay at their sub-questions; the marks can be dragged.
        EXPECT_EQ(read[i].movable, i >= 2);
    }
    EXPECT_EQ(read[4].width, 80); // 好 is two GBK bytes

    MarkCounts counts;
    EXPECT_DOUBLE_EQ(RecountMarks(layer, &counts), 7.5);
    EXPECT_EQ(counts.LineCount, 1);
    EXPECT_EQ(counts.BoxCount, 1);
    EXPECT_EQ(counts.EllipseCount, 0);
}

struct WriterCase {
    const char* name;
    QList<VectorObject> objects;
    QString tag;
    double total;
};

void PrintTo(const WriterCase& c, std::ostream* os) {
    *os << c.name;
}

class TagWriter : public ::testing::TestWithParam<WriterCase> {};

TEST_P(TagWriter, WritesRecordsByKindAndPosition) {
    VectorLayer layer;
    for (const VectorObject& o : GetParam().objects)
        layer.add(o);
    EXPECT_EQ(BuildTag(layer, TwoSubQuestions()), GetParam().tag);
    EXPECT_DOUBLE_EQ(RecountMarks(layer), GetParam().total);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagWriter,
    ::testing::Values(
        // Sub-question 1's score text was dragged away: it leaves the score
        // section and is written in the mark section at its new place, and
        // still counts.
        WriterCase{
            "DraggedScoreText",
            {MakeScoreText(150, 310, QStringLiteral("4")), MakePlaceholderScoreText(120, 420)},
            QStringLiteral("0;120;420;0!0;150;310;4!"),
            4},
        WriterCase{"NumericComment",
                   {MakeSymbolText(200, 500, QStringLiteral("8"))},
                   QStringLiteral("0;200;500;8!"),
                   8},
        WriterCase{"NegativeCommentCountsButIsNotWritten",
                   {MakeScoreText(120, 300, QStringLiteral("3")),
                    MakeSymbolText(200, 500, QStringLiteral("-1"))},
                   QStringLiteral("0;120;300;3!"),
                   2},
        WriterCase{"EmptyComment",
                   {MakeSymbolText(200, 500, QString())},
                   QStringLiteral("2;200;500;!"),
                   0},
        WriterCase{"CommentTrimmedOfSpaces",
                   {MakeSymbolText(200, 500, QStringLiteral(" X ")),
                    MakeSymbolText(7, 8, QStringLiteral("\t好 "))},
                   QStringLiteral("2;200;500;X!2;7;8;好!"),
                   0},
        // A cross that lands on a score position is neither a score nor a mark.
        WriterCase{"CrossAtScorePosition",
                   {MakeSymbolText(120, 300, QStringLiteral("X")),
                    MakeShapeMark(ObjectKind::Ellipse, 5, 6, 70, 80)},
                   QStringLiteral("4;5;6;70;80!"),
                   0},
        WriterCase{"ScoreTextKeptAsStored",
                   {MakeScoreText(120, 420, QStringLiteral("05")),
                    MakeScoreText(120, 300, QStringLiteral("2.50"))},
                   QStringLiteral("0;120;300;2.50!0;120;420;05!"),
                   7.5},
        WriterCase{"LineKeepsItsDirection",
                   {MakeShapeMark(ObjectKind::Line, 260, 640, -199, -39)},
                   QStringLiteral("1;260;640;-199;-39!"),
                   0}),
    [](const ::testing::TestParamInfo<WriterCase>& info) { return std::string(info.param.name); });

TEST(TagReader, ScoreSectionLackingSubQuestionOneGivesTheFirstRecordToIt) {
    VectorLayer layer;
    QMap<int, QString> edits;
    ASSERT_EQ(Read(layer, QStringLiteral("0;120;420;0!0;150;310;4!"), &edits), QString());

    const imaging::ObjectHandle first = FindScoreText(layer, 120, 300);
    const imaging::ObjectHandle second = FindScoreText(layer, 120, 420);
    ASSERT_NE(first, imaging::kNoObject);
    ASSERT_NE(second, imaging::kNoObject);
    EXPECT_EQ(layer.object(first)->text, QStringLiteral("0"));
    EXPECT_EQ(layer.object(second)->text, QStringLiteral("4"));
    EXPECT_EQ(layer.findAt(150, 310), imaging::kNoObject);
    EXPECT_EQ(edits, (QMap<int, QString>{{0, QStringLiteral("0")}, {1, QStringLiteral("4")}}));
}

TEST(TagReader, RecordsBeyondTheSubQuestionsAndUnknownKinds) {
    VectorLayer layer;
    QMap<int, QString> edits;
    // Record 0 is of no known kind but still counts, so record 1 is the score
    // of sub-question 2; record 2 is a numeric text of the mark section.
    ASSERT_EQ(Read(layer, QStringLiteral("9;1;1!0;0;0;3!0;200;500;8!"), &edits), QString());

    EXPECT_EQ(edits, (QMap<int, QString>{{1, QStringLiteral("3")}}));
    ASSERT_EQ(layer.count(), 2);
    EXPECT_EQ(layer.object(FindScoreText(layer, 120, 420))->text, QStringLiteral("3"));
    const VectorObject* free = layer.object(layer.findAt(200, 500));
    ASSERT_NE(free, nullptr);
    EXPECT_EQ(free->text, QStringLiteral("8"));
    EXPECT_EQ(free->fontName, QStringLiteral("宋体"));
    EXPECT_EQ(free->width, 40);
}

TEST(TagReader, LineExtentRestoresItsEndPoint) {
    VectorLayer layer;
    ASSERT_EQ(Read(layer, QStringLiteral("1;260;640;-199;-39!")), QString());
    const VectorObject* line = layer.object(layer.handleAt(0));
    EXPECT_EQ(line->kind, ObjectKind::Line);
    EXPECT_EQ(QPoint(line->left, line->top), QPoint(260, 640));
    EXPECT_EQ(QPoint(line->right(), line->bottom()), QPoint(60, 600));
}

struct BadRecordCase {
    const char* name;
    QString tag;
    QString error;
};

void PrintTo(const BadRecordCase& c, std::ostream* os) {
    *os << c.name;
}

class TagReaderError : public ::testing::TestWithParam<BadRecordCase> {};

// A bad record stops the reading; what the earlier records made stays.
TEST_P(TagReaderError, StopsAtTheBadRecordKeepingEarlierObjects) {
    VectorLayer layer;
    QMap<int, QString> edits;
    EXPECT_EQ(Read(layer, GetParam().tag, &edits), GetParam().error);
    ASSERT_EQ(layer.count(), 2);
    EXPECT_EQ(layer.object(FindScoreText(layer, 120, 300))->text, QStringLiteral("5"));
    EXPECT_EQ(layer.object(layer.handleAt(1))->kind, ObjectKind::Box);
    EXPECT_EQ(edits, (QMap<int, QString>{{0, QStringLiteral("5")}}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagReaderError,
    ::testing::Values(
        BadRecordCase{"EmptyComment",
                      QStringLiteral("0;120;300;5!3;1;1;9;9!2;200;500;!0;120;420;2!"),
                      QStringLiteral("List index out of bounds (3)")},
        BadRecordCase{"LineWithoutHeight", QStringLiteral("0;120;300;5!3;1;1;9;9!1;60;600;201!"),
                      QStringLiteral("List index out of bounds (4)")},
        BadRecordCase{"ScoreWithoutText", QStringLiteral("0;120;300;5!3;1;1;9;9!0;120;420!"),
                      QStringLiteral("List index out of bounds (3)")},
        BadRecordCase{"FractionalPosition", QStringLiteral("0;120;300;5!3;1;1;9;9!4;1;2.5;3;4!"),
                      QStringLiteral("'2.5' is not a valid integer value")},
        BadRecordCase{"TextAsPosition", QStringLiteral("0;120;300;5!3;1;1;9;9!2;abc;500;好!"),
                      QStringLiteral("'abc' is not a valid integer value")}),
    [](const ::testing::TestParamInfo<BadRecordCase>& info) {
        return std::string(info.param.name);
    });

TEST(TagReader, OnViewRefreshesAndResumesPaintingAlsoAfterAnError) {
    VectorLayer layer;
    QStringList calls;
    TagReaderHooks hooks;
    hooks.suspendPainting = [&] { calls << QStringLiteral("suspend"); };
    hooks.resumePainting = [&] { calls << QStringLiteral("resume"); };
    hooks.refreshStatus = [&](double total, const MarkCounts& counts) {
        calls << QStringLiteral("refresh %1 %2").arg(total).arg(counts.BoxCount);
    };

    try {
        DrawTagOnView(layer, TwoSubQuestions(), QStringLiteral("0;120;300;5!3;1;1;9;9!1;60!"), {},
                      hooks);
        FAIL() << "the bad record should have been reported";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("List index out of bounds (2)"));
    }
    EXPECT_EQ(calls, (QStringList{QStringLiteral("suspend"), QStringLiteral("refresh 5 1"),
                                  QStringLiteral("resume")}));

    calls.clear();
    DrawTagOnView(layer, TwoSubQuestions(), kExampleTag, {}, hooks);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("suspend"), QStringLiteral("refresh 7.5 1"),
                                  QStringLiteral("resume")}));
}
