// The review window's reader of a turn's tag: every score and comment as a
// red text of height 36, the shapes as the marking window's reader makes
// them, and the same record reading and errors as that reader.
#include "AppError.h"
#include "TagFormat.h"

#include <QLine>
#include <gtest/gtest.h>

using namespace marking;
using imaging::ObjectKind;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

const QString kExampleTag = QStringLiteral(
    "0;120;300;5!0;120;420;2.5!2;380;334;X!3;50;280;300;200!2;200;500;好!1;60;600;201;41!");

QList<VectorObject> Objects(const VectorLayer& layer) {
    QList<VectorObject> objects;
    for (imaging::ObjectHandle h : layer.handles())
        objects.append(*layer.object(h));
    return objects;
}

// The error text of a reading, "" when none.
template <class F> QString ErrorOf(F&& read) {
    try {
        read();
    } catch (const EAppError& e) {
        return e.text();
    }
    return QString();
}

} // namespace

TEST(ReviewMarks, WorkedExampleGivesScoresAsPlainRedTextsOfHeight36) {
    VectorLayer layer;
    layer.add(MakeScoreText(1, 1, QStringLiteral("旧"))); // what the view showed before
    ASSERT_EQ(ErrorOf([&] { DrawReviewMarks(layer, kExampleTag); }), QString());

    struct Expected {
        ObjectKind kind;
        QRect extent; // left, top, width, height
        QString text;
    };
    const QList<Expected> expected = {
        {ObjectKind::Text, {120, 300, 36, 36}, QStringLiteral("5")},
        {ObjectKind::Text, {120, 420, 108, 36}, QStringLiteral("2.5")},
        {ObjectKind::Text, {380, 334, 36, 36}, QStringLiteral("X")},
        {ObjectKind::Box, {50, 280, 300, 200}, QString()},
        {ObjectKind::Text, {200, 500, 72, 36}, QStringLiteral("好")},
        {ObjectKind::Line, {60, 600, 201, 41}, QString()},
    };
    const QList<VectorObject> read = Objects(layer);
    ASSERT_EQ(read.size(), expected.size());
    for (int i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        const VectorObject& o = read[i];
        EXPECT_EQ(o.kind, expected[i].kind);
        EXPECT_EQ(QRect(o.left, o.top, o.width, o.height), expected[i].extent);
        EXPECT_EQ(o.penColor, imaging::kGdiRed);
        EXPECT_TRUE(o.visible && o.movable && !o.resizable && !o.editable);
        if (o.kind == ObjectKind::Text) {
            EXPECT_EQ(o.text, expected[i].text);
            EXPECT_EQ(o.fontHeight, 36);
            // The view's default face, never the score texts' look.
            EXPECT_EQ(o.fontName, QStringLiteral("Arial"));
            EXPECT_EQ(o.transparency, 255);
            EXPECT_FALSE(o.highlighter);
            EXPECT_EQ(o.brushStyle, imaging::BrushStyle::Clear);
            EXPECT_EQ(o.penStyle, imaging::PenStyle::Clear);
            EXPECT_EQ(o.align, imaging::TextAlign::Center);
        } else {
            EXPECT_EQ(o.penStyle, imaging::PenStyle::Solid);
            EXPECT_EQ(o.penWidth, 1);
            EXPECT_EQ(o.brushStyle, imaging::BrushStyle::Clear);
        }
    }
}

TEST(ReviewMarks, ShapesAreMadeExactlyAsTheMarkingReaderMakesThem) {
    const QString tag = QStringLiteral("1;10;20;30;40!3;5;6;-20;7!4;1;2;3;4!1;260;640;-199;-39!");
    VectorLayer review;
    VectorLayer marking;
    DrawReviewMarks(review, tag);
    DrawTag(marking, {}, tag, {});
    const QList<VectorObject> a = Objects(review);
    const QList<VectorObject> b = Objects(marking);
    ASSERT_EQ(a.size(), 4);
    ASSERT_EQ(b.size(), 4);
    for (int i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a[i].kind, b[i].kind);
        EXPECT_EQ(QRect(a[i].left, a[i].top, a[i].width, a[i].height),
                  QRect(b[i].left, b[i].top, b[i].width, b[i].height));
        EXPECT_EQ(a[i].penColor, b[i].penColor);
        EXPECT_EQ(a[i].movable, b[i].movable);
    }
    // The line of left 10, top 20, width 30, height 40 runs to (39, 59).
    EXPECT_EQ(QLine(a[0].left, a[0].top, a[0].right(), a[0].bottom()), QLine(10, 20, 39, 59));
}

TEST(ReviewMarks, OtherKindsAreSkippedAndNoSubQuestionIsLookedAt) {
    VectorLayer layer;
    // A score record far from any sub-question, kinds of no meaning, a
    // record of a known kind with extra fields.
    DrawReviewMarks(layer, QStringLiteral("9;1;1!0;7;8;10!5;1;1;1;1!\r\n2;3;4;好好;extra!"));
    const QList<VectorObject> read = Objects(layer);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(QRect(read[0].left, read[0].top, read[0].width, read[0].height), QRect(7, 8, 72, 36));
    EXPECT_EQ(read[1].text, QStringLiteral("好好"));
    EXPECT_EQ(read[1].width, 144);
}

struct BadRecord {
    const char* name;
    QString tag;
    QString error;
    int kept; // objects made before the bad record
};

void PrintTo(const BadRecord& c, std::ostream* os) {
    *os << c.name;
}

class ReviewMarksError : public ::testing::TestWithParam<BadRecord> {};

// Both readers split and read the records alike: the same bad record stops
// both with the same message, what the records before it made staying.
TEST_P(ReviewMarksError, StopsAtTheBadRecordLikeTheMarkingReader) {
    VectorLayer review;
    VectorLayer marking;
    EXPECT_EQ(ErrorOf([&] { DrawReviewMarks(review, GetParam().tag); }), GetParam().error);
    EXPECT_EQ(ErrorOf([&] { DrawTag(marking, {}, GetParam().tag, {}); }), GetParam().error);
    EXPECT_EQ(review.count(), GetParam().kept);
    EXPECT_EQ(marking.count(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReviewMarksError,
    ::testing::Values(BadRecord{"EmptyComment", QStringLiteral("3;1;1;9;9!2;200;500;!0;1;2;3!"),
                                QStringLiteral("List index out of bounds (3)"), 1},
                      BadRecord{"LineWithoutHeight",
                                QStringLiteral("0;1;2;3!3;1;1;9;9!1;60;600;201!"),
                                QStringLiteral("List index out of bounds (4)"), 2},
                      BadRecord{"ScoreWithoutText", QStringLiteral("2;1;1;X!0;120;420!"),
                                QStringLiteral("List index out of bounds (3)"), 1},
                      BadRecord{"KindAlone", QStringLiteral("2;1;1;X!4!"),
                                QStringLiteral("List index out of bounds (1)"), 1},
                      BadRecord{"RecordOfSeparatorsOnly", QStringLiteral("3;1;1;9;9!;;!"),
                                QStringLiteral("List index out of bounds (0)"), 1},
                      BadRecord{"FractionalPosition", QStringLiteral("2;1;1;X!4;1;2.5;3;4!"),
                                QStringLiteral("'2.5' is not a valid integer value"), 1},
                      BadRecord{"TextAsScorePosition", QStringLiteral("0;abc;500;5!"),
                                QStringLiteral("'abc' is not a valid integer value"), 0},
                      BadRecord{"TrailingSpaceInSize", QStringLiteral("3;1;1;9;9 !"),
                                QStringLiteral("'9 ' is not a valid integer value"), 0}),
    [](const ::testing::TestParamInfo<BadRecord>& info) { return std::string(info.param.name); });
