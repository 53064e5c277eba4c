// Score texts on the vector layer: their look, finding them, the running
// total with the mark counts, and the all-zero and full-mark fills.
#include "Renderer.h"
#include "ScoreTexts.h"

#include <QPainter>

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

// How each kind of text mark looks on a black page: its box (from its GBK
// byte width), the white half-transparent box of a score text, red glyphs.
TEST(ScoreTexts, EachTextMarkLooksAsTheMarkerSeesIt) {
    const struct {
        const char* name;
        VectorObject mark;
        QRect box;
        QColor ground; // inside the box, away from the glyphs
    } cases[] = {
        {"score text", MakeScoreText(20, 30, QStringLiteral("12.5")), QRect(20, 30, 160, 40),
         QColor(128, 128, 128)},
        {"placeholder", MakePlaceholderScoreText(20, 30), QRect(20, 30, 48, 32),
         QColor(128, 128, 128)},
        {"cross", MakeSymbolText(20, 30, QStringLiteral("X")), QRect(20, 30, 40, 40), Qt::black},
        {"comment", MakeSymbolText(20, 30, QStringLiteral("很好")), QRect(20, 30, 160, 40),
         Qt::black},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage page(300, 120, QImage::Format_RGB32);
        page.fill(Qt::black);
        imaging::VectorLayer layer;
        layer.add(c.mark);
        {
            QPainter painter(&page);
            imaging::RenderLayer(painter, layer, 1.0, QPointF(), true);
        }
        EXPECT_EQ(QRect(c.mark.left, c.mark.top, c.mark.width, c.mark.height), c.box);
        const QColor corner = page.pixelColor(c.box.left() + 1, c.box.top() + 1);
        EXPECT_NEAR(corner.red(), c.ground.red(), 2);
        EXPECT_NEAR(corner.green(), c.ground.green(), 2);
        EXPECT_EQ(page.pixelColor(c.box.right() + 3, c.box.top() + 1), QColor(Qt::black));
        int reddish = 0;
        for (int y = c.box.top(); y <= c.box.bottom(); ++y)
            for (int x = c.box.left(); x <= c.box.right(); ++x) {
                const QColor p = page.pixelColor(x, y);
                reddish += p.red() > p.green() + 60 && p.red() > p.blue() + 60;
            }
        EXPECT_GT(reddish, 10);
    }
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

    // Only the placeholder's text changes; the missing one is made whole.
    VectorObject zero = MakePlaceholderScoreText(120, 300);
    zero.text = QStringLiteral("0");
    EXPECT_EQ(*layer.object(placeholder), zero);
    const VectorObject* made = layer.object(FindScoreText(layer, 120, 420));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(*made, MakeSubQuestionScoreText(120, 420, QStringLiteral("0")));
    EXPECT_EQ(QSize(made->width, made->height), QSize(40, 40));
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
