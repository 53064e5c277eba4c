// Score texts on the vector layer: their look, finding them, the running
// total with the mark counts, and the all-zero and full-mark fills.
#include "ScoreTexts.h"

#include <gtest/gtest.h>

using namespace marking;
using imaging::ObjectKind;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

QList<TSubQuestion> SubQuestionsAt(const QList<QPoint>& positions, double highest = 10) {
    QList<TSubQuestion> list;
    for (int i = 0; i < positions.size(); ++i) {
        TSubQuestion q;
        q.SubQuestionId = QString::number(i + 1);
        q.HighestMark = highest;
        q.PosX = positions[i].x();
        q.PosY = positions[i].y();
        list.append(q);
    }
    return list;
}

} // namespace

TEST(ScoreTexts, ScoreTextLook) {
    const VectorObject o = MakeScoreText(120, 300, QStringLiteral("12.5"));
    EXPECT_EQ(o.kind, ObjectKind::Text);
    EXPECT_EQ(QRect(o.left, o.top, o.width, o.height), QRect(120, 300, 160, 40));
    EXPECT_EQ(o.text, QStringLiteral("12.5"));
    EXPECT_EQ(o.fontName, QStringLiteral("宋体"));
    EXPECT_EQ(o.fontHeight, 40);
    EXPECT_EQ(o.penColor, 255u);
    EXPECT_EQ(o.penStyle, imaging::PenStyle::Clear);
    EXPECT_EQ(o.brushStyle, imaging::BrushStyle::Solid);
    EXPECT_EQ(o.brushColor, imaging::kGdiWhite);
    EXPECT_EQ(o.transparency, 128);
    EXPECT_TRUE(o.highlighter);
    EXPECT_EQ(o.align, imaging::TextAlign::Center);
    EXPECT_FALSE(o.editable);
    EXPECT_TRUE(o.visible);
    EXPECT_TRUE(o.movable);
    EXPECT_FALSE(o.resizable);
}

TEST(ScoreTexts, PlaceholderDiffersInSizeEditingAndMoving) {
    const VectorObject o = MakePlaceholderScoreText(120, 300);
    EXPECT_EQ(o.text, QStringLiteral("?"));
    EXPECT_EQ(QRect(o.left, o.top, o.width, o.height), QRect(120, 300, 48, 32));
    EXPECT_TRUE(o.editable);
    EXPECT_TRUE(o.visible);
    EXPECT_FALSE(o.movable);
    EXPECT_FALSE(o.resizable);
    EXPECT_EQ(o.fontName, QStringLiteral("宋体"));
    EXPECT_EQ(o.transparency, 128);
}

TEST(ScoreTexts, CrossAndCommentLook) {
    const VectorObject o = MakeSymbolText(200, 500, QStringLiteral("很好很好"));
    EXPECT_EQ(QRect(o.left, o.top, o.width, o.height), QRect(200, 500, 320, 40));
    EXPECT_EQ(o.fontName, QStringLiteral("Arial"));
    EXPECT_EQ(o.fontHeight, 40);
    EXPECT_EQ(o.penColor, 255u);
    EXPECT_EQ(o.penStyle, imaging::PenStyle::Clear);
    EXPECT_EQ(o.brushStyle, imaging::BrushStyle::Clear);
    EXPECT_EQ(o.transparency, 255);
    EXPECT_FALSE(o.editable);
    EXPECT_TRUE(o.movable);
    EXPECT_FALSE(o.resizable);
}

TEST(ScoreTexts, FindScoreTextTakesTheFirstTextThatIsNotACross) {
    VectorLayer layer;
    layer.add(MakeShapeMark(ObjectKind::Box, 120, 300, 10, 10));
    layer.add(MakeSymbolText(120, 300, QStringLiteral("X")));
    const imaging::ObjectHandle first = layer.add(MakeScoreText(120, 300, QStringLiteral("3")));
    layer.add(MakeScoreText(120, 300, QStringLiteral("4")));
    layer.add(MakeScoreText(121, 300, QStringLiteral("5")));

    EXPECT_EQ(FindScoreText(layer, 120, 300), first);
    EXPECT_EQ(FindScoreText(layer, 120, 301), imaging::kNoObject);

    const QList<TSubQuestion> subs = SubQuestionsAt({{10, 20}, {30, 40}, {10, 20}});
    EXPECT_EQ(ScoreIndexAt(subs, 10, 20), 0);
    EXPECT_EQ(ScoreIndexAt(subs, 30, 40), 1);
    EXPECT_EQ(ScoreIndexAt(subs, 30, 20), -1);
    EXPECT_TRUE(IsScorePosition(subs, 30, 40));
    EXPECT_FALSE(IsScorePosition(subs, 40, 30));
}

TEST(ScoreTexts, RecountAddsEveryNumericTextAndCountsShapes) {
    VectorLayer layer;
    layer.add(MakeScoreText(120, 300, QStringLiteral("5")));
    layer.add(MakePlaceholderScoreText(120, 420));
    layer.add(MakeSymbolText(1, 1, QStringLiteral("X")));
    layer.add(MakeSymbolText(2, 2, QStringLiteral("3"))); // a numeric comment counts
    layer.add(MakeSymbolText(3, 3, QStringLiteral("好")));
    layer.add(MakeSymbolText(4, 4, QStringLiteral(" 1e1")));
    layer.add(MakeShapeMark(ObjectKind::Line, 0, 0, 5, 5));
    layer.add(MakeShapeMark(ObjectKind::Box, 0, 0, 5, 5));
    layer.add(MakeShapeMark(ObjectKind::Box, 9, 9, 5, 5));
    layer.add(MakeShapeMark(ObjectKind::Ellipse, 0, 0, 5, 5));
    VectorObject memo = MakeSymbolText(5, 5, QStringLiteral("100"));
    memo.kind = ObjectKind::Memo; // not a text object: neither summed nor counted
    layer.add(memo);

    MarkCounts counts;
    EXPECT_DOUBLE_EQ(RecountMarks(layer, &counts), 18);
    EXPECT_EQ(counts.LineCount, 1);
    EXPECT_EQ(counts.BoxCount, 2);
    EXPECT_EQ(counts.EllipseCount, 1);
}

TEST(ScoreTexts, AllScored) {
    QList<QPoint> positions;
    for (int i = 0; i < 10; ++i)
        positions.append(QPoint(100, 50 * i));
    const QList<TSubQuestion> subs = SubQuestionsAt(positions);

    VectorLayer layer;
    QList<imaging::ObjectHandle> texts;
    for (const QPoint& p : positions)
        texts.append(layer.add(MakeScoreText(p.x(), p.y(), QStringLiteral("1"))));
    EXPECT_TRUE(AllScored(layer, subs));

    layer.object(texts[6])->text = QStringLiteral("?");
    EXPECT_FALSE(AllScored(layer, subs));

    // A sub-question without a score text does not count as unscored.
    layer.remove(texts[6]);
    EXPECT_TRUE(AllScored(layer, subs));
}

TEST(ScoreTexts, AllZeroKeepsSizesAndCreatesMissingTexts) {
    const QList<TSubQuestion> subs = SubQuestionsAt({{120, 300}, {120, 420}});
    VectorLayer layer;
    const imaging::ObjectHandle placeholder = layer.add(MakePlaceholderScoreText(120, 300));

    SetAllScoresZero(layer, subs);

    const VectorObject* kept = layer.object(placeholder);
    EXPECT_EQ(kept->text, QStringLiteral("0"));
    EXPECT_EQ(QSize(kept->width, kept->height), QSize(48, 32));
    const VectorObject* made = layer.object(FindScoreText(layer, 120, 420));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->text, QStringLiteral("0"));
    EXPECT_EQ(QSize(made->width, made->height), QSize(40, 40));
    EXPECT_FALSE(made->movable);
    EXPECT_DOUBLE_EQ(RecountMarks(layer), 0);
}

TEST(ScoreTexts, FullMarkRecomputesTheWidth) {
    QList<TSubQuestion> subs = SubQuestionsAt({{120, 300}, {120, 420}});
    subs[0].HighestMark = 2.5;
    subs[1].HighestMark = 12;
    VectorLayer layer;
    const imaging::ObjectHandle placeholder = layer.add(MakePlaceholderScoreText(120, 300));

    EXPECT_EQ(SetAllScoresFull(layer, subs),
              (QStringList{QStringLiteral("2.5"), QStringLiteral("12")}));

    const VectorObject* first = layer.object(placeholder);
    EXPECT_EQ(first->text, QStringLiteral("2.5"));
    EXPECT_EQ(first->width, 120);
    const VectorObject* second = layer.object(FindScoreText(layer, 120, 420));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(QSize(second->width, second->height), QSize(80, 40));
    EXPECT_DOUBLE_EQ(RecountMarks(layer), 14.5);
}
