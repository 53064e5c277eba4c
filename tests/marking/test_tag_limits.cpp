// Tags a broken or hostile server may hand back: a very large number of
// marks, and positions and sizes at the ends of the integer range.
#include "CoordinateLimits.h"
#include "TagFormat.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace marking;
using imaging::kMaxCoordinate;
using imaging::ObjectKind;
using imaging::VectorLayer;

namespace {

QList<TSubQuestion> SubQuestionsAt(const QList<QPoint>& positions) {
    QList<TSubQuestion> list;
    for (const QPoint& p : positions) {
        TSubQuestion q;
        q.SubQuestionId = QString::number(list.size() + 1);
        q.HighestMark = 10;
        q.PosX = p.x();
        q.PosY = p.y();
        list.append(q);
    }
    return list;
}

} // namespace

// Every lookup by handle inside the reader, the recount and the writer is
// constant time: with a linear lookup this takes minutes (the ctest TIMEOUT
// of this test stops it), with a constant one well under a second.
TEST(ManyMarks, ReadCountedAndWrittenInLinearTime) {
    constexpr int kMarks = 300'000;
    const QList<TSubQuestion> subQuestions = SubQuestionsAt({{120, 300}, {120, 420}});
    QString tag = QStringLiteral("0;120;300;5!0;120;420;2.5!");
    tag.reserve(kMarks * 24);
    for (int i = 0; i < kMarks; ++i) {
        const int x = 10 + i % 1000;
        const int y = 10 + i / 1000;
        switch (i % 5) {
        case 0:
            tag += QStringLiteral("1;%1;%2;30;-4!").arg(x).arg(y);
            break;
        case 1:
            tag += QStringLiteral("3;%1;%2;30;20!").arg(x).arg(y);
            break;
        case 2:
            tag += QStringLiteral("4;%1;%2;30;20!").arg(x).arg(y);
            break;
        case 3:
            tag += QStringLiteral("2;%1;%2;X!").arg(x).arg(y);
            break;
        case 4:
            tag += QStringLiteral("0;%1;%2;1!").arg(x).arg(y);
            break;
        }
    }

    VectorLayer layer;
    DrawTag(layer, subQuestions, tag, {});
    ASSERT_EQ(layer.count(), kMarks + 2);

    MarkCounts counts;
    EXPECT_DOUBLE_EQ(RecountMarks(layer, &counts), 7.5 + kMarks / 5);
    EXPECT_EQ(counts.LineCount, kMarks / 5);
    EXPECT_EQ(counts.BoxCount, kMarks / 5);
    EXPECT_EQ(counts.EllipseCount, kMarks / 5);
    EXPECT_EQ(BuildTag(layer, subQuestions), tag);
}

// Positions and sizes beyond what any picture holds are clamped when a tag is
// read, so no edge overflows an int (the sanitizer build checks that), and
// what is written back is the clamped mark, which reads back to itself.
TEST(ExtremeTag, PositionsAndSizesAreClampedAndReadBackToThemselves) {
    const QString k = QString::number(kMaxCoordinate);
    const QString minusK = QString::number(-kMaxCoordinate);
    struct Case {
        QString record;
        QString written;
    } cases[] = {
        {QStringLiteral("1;2147483647;-2147483648;2147483647;-2147483648!"),
         QStringLiteral("1;%1;%2;%1;%2!").arg(k, minusK)},
        {QStringLiteral("3;2147483647;2147483647;2147483647;2147483647!"),
         QStringLiteral("3;%1;%1;%1;%1!").arg(k)},
        // An ellipse given from its far corner back: normalised, then clamped.
        {QStringLiteral("4;-2147483648;-2147483648;-2147483648;-2147483648!"),
         QStringLiteral("4;%1;%1;%2;%2!").arg(minusK, k)},
        {QStringLiteral("2;-2147483648;2147483647;X!"),
         QStringLiteral("2;%1;%2;X!").arg(minusK, k)},
        {QStringLiteral("0;2147483647;-2147483648;7!"),
         QStringLiteral("0;%1;%2;7!").arg(k, minusK)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record.toStdString());
        VectorLayer layer;
        DrawTag(layer, {}, c.record, {});
        ASSERT_EQ(layer.count(), 1);
        const imaging::VectorObject* o = layer.object(layer.handleAt(0));
        EXPECT_LE(qAbs(qint64(o->left)), kMaxCoordinate);
        EXPECT_LE(qAbs(qint64(o->top)), kMaxCoordinate);
        EXPECT_LE(qAbs(qint64(o->width)), kMaxCoordinate);
        EXPECT_LE(qAbs(qint64(o->height)), kMaxCoordinate);
        const QString written = BuildTag(layer, {});
        EXPECT_EQ(written, c.written);
        VectorLayer again;
        DrawTag(again, {}, written, {});
        EXPECT_EQ(BuildTag(again, {}), written);
    }
}

// A text's width is its byte count times the font height; a product beyond
// the int range (a comment of 54 million bytes at height 40) gives the bound.
TEST(ExtremeTag, TextWidthBeyondTheIntRangeGivesTheBound) {
    EXPECT_EQ(ScoreTextWidth(QString(1000, QLatin1Char('a')), 10'000'000), kMaxCoordinate);
    EXPECT_EQ(ScoreTextWidth(QStringLiteral("2.5")), 120);
}
