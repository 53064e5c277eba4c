// Marks placed with the mouse in the marking window: the cross, comments,
// lines, boxes and ellipses, deletion with the right button, the highlighted
// score text with its pop-up of common scores, and the comment list.

#include "CommentList.h"
#include "MarkingWindowFixture.h"
#include "TagFormat.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

using imaging::ObjectKind;
using imaging::VectorObject;

class SymbolsWindowTest : public MarkingWindowTest {
protected:
    void SetUp() override {
        MarkingWindowTest::SetUp();
        // At half size the whole page fits the view, so every point of it
        // can be clicked.
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"),
                         QStringLiteral("50"));
        open();
        openPaper();
    }

    // Clicks at an image point with the left button.
    void clickAt(int x, int y) {
        QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, viewPoint(x, y));
    }
    void dragFromTo(QPoint from, QPoint to) {
        QTest::mousePress(view().viewport(), Qt::LeftButton, Qt::NoModifier,
                          viewPoint(from.x(), from.y()));
        QTest::mouseMove(view().viewport(), viewPoint(to.x(), to.y()));
        QTest::mouseRelease(view().viewport(), Qt::LeftButton, Qt::NoModifier,
                            viewPoint(to.x(), to.y()));
    }
    void rightClickAt(int x, int y) {
        QTest::mouseClick(view().viewport(), Qt::RightButton, Qt::NoModifier, viewPoint(x, y));
    }
    // The objects of the layer that are not the two score texts.
    QList<VectorObject> marks() const {
        QList<VectorObject> found;
        const imaging::VectorLayer& layer = view().layer();
        for (imaging::ObjectHandle h : layer.handles()) {
            const VectorObject* o = layer.object(h);
            if (!marking::IsScorePosition(state.SubQuestions, o->left, o->top))
                found << *o;
        }
        return found;
    }
    void putComment(const QString& typed) {
        probe().ComboBoxText->setEditText(typed);
        probe().ActPutText->trigger();
    }
};

TEST_F(SymbolsWindowTest, CrossIsCentredAboveTheClickAndKeptInsideThePicture) {
    struct Case {
        QPoint click;
        QRect placed;
    } cases[] = {{{400, 350}, {380, 334, 40, 40}},
                 {{10, 5}, {1, 1, 40, 40}},
                 {{995, 790}, {960, 760, 40, 40}}};
    for (const Case& c : cases) {
        view().layer().clear();
        probe().ActSymbolX->trigger();
        EXPECT_TRUE(probe().DrawToolArmed);
        clickAt(c.click.x(), c.click.y());

        ASSERT_EQ(view().layer().count(), 1);
        const VectorObject* o = view().layer().object(view().layer().handleAt(0));
        EXPECT_EQ(o->text, QStringLiteral("X"));
        EXPECT_EQ(QRect(o->left, o->top, o->width, o->height), c.placed);
        EXPECT_EQ(o->penColor, imaging::kGdiRed);
        EXPECT_EQ(o->fontHeight, 40);
        EXPECT_EQ(o->brushStyle, imaging::BrushStyle::Clear);
        EXPECT_EQ(o->penStyle, imaging::PenStyle::Clear);
        EXPECT_TRUE(o->movable);
        EXPECT_FALSE(o->editable);
        // One mark per command.
        EXPECT_FALSE(probe().DrawToolArmed);
        EXPECT_EQ(view().tool(), imaging::ImageView::Tool::Select);
    }
}

TEST_F(SymbolsWindowTest, ToolCommandsDoNothingWithoutAPaper) {
    closePaperByEmptyCallBack();
    probe().ActSymbolX->trigger();
    probe().ActPutBox->trigger();
    EXPECT_FALSE(probe().DrawToolArmed);
    EXPECT_EQ(view().tool(), imaging::ImageView::Tool::Select);
}

TEST_F(SymbolsWindowTest, CommentOfFourChineseCharactersIsThreeHundredTwentyWide) {
    putComment(QStringLiteral("书写工整"));
    clickAt(500, 300);

    const QList<VectorObject> placed = marks();
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(placed[0].text, QStringLiteral("书写工整"));
    EXPECT_EQ(QRect(placed[0].left, placed[0].top, placed[0].width, placed[0].height),
              QRect(340, 284, 320, 40));
    EXPECT_EQ(probe().ComboBoxText->findText(QStringLiteral("书写工整")), 0);
    EXPECT_EQ(marking::ReadCommentFile(CommentTxtPath()), QStringList{QStringLiteral("书写工整")});
}

TEST_F(SymbolsWindowTest, ScoreTextsReadFromATagStayAtTheirSubQuestions) {
    // A called-back paper or an earlier turn brings its scores as new score
    // texts; dragging one away would give its score to the wrong sub-question.
    window->DrawTag(QStringLiteral("0;120;300;4!0;120;500;2!3;600;400;100;50!"));
    dragFromTo({140, 315}, {400, 700});
    dragFromTo({650, 420}, {650, 620});

    EXPECT_EQ(marking::BuildTag(view().layer(), state.SubQuestions).toStdString(),
              "0;120;300;4!0;120;500;2!3;600;600;100;50!");
}

TEST_F(SymbolsWindowTest, CommentTypedWithEnterStillReachesTheCommentFile) {
    QTest::keyClicks(probe().ComboBoxText->lineEdit(), "Nice");
    QTest::keyClick(probe().ComboBoxText->lineEdit(), Qt::Key_Return);
    probe().ActPutText->trigger();
    EXPECT_EQ(probe().ComboBoxText->count(), 1);
    EXPECT_EQ(marking::ReadCommentFile(CommentTxtPath()), QStringList{QStringLiteral("Nice")});
}

TEST_F(SymbolsWindowTest, CommentListGrowsOnlyByNewTexts) {
    probe().ComboBoxText->addItems({QStringLiteral("Good"), QStringLiteral("好")});
    putComment(QStringLiteral("GOOD"));
    EXPECT_EQ(probe().ComboBoxText->count(), 2);
    EXPECT_FALSE(QFile::exists(CommentTxtPath()));
    clickAt(500, 300); // the comment is placed

    // Without a paper the list still learns the comment, but no tool is armed.
    closePaperByEmptyCallBack();
    putComment(QStringLiteral("认真"));
    EXPECT_FALSE(probe().DrawToolArmed);
    EXPECT_EQ(marking::ReadCommentFile(CommentTxtPath()),
              (QStringList{QStringLiteral("Good"), QStringLiteral("好"), QStringLiteral("认真")}));
}

TEST_F(SymbolsWindowTest, CommentWithTagSeparatorsIsMadeSafeOnThePaperOnly) {
    putComment(QStringLiteral("错!看书;"));
    clickAt(500, 600);
    probe().ActSymbolX->trigger();
    clickAt(300, 700);

    EXPECT_EQ(probe().ComboBoxText->itemText(0), QStringLiteral("错!看书;"));
    const QString tag = marking::BuildTag(view().layer(), state.SubQuestions);
    imaging::VectorLayer read;
    marking::DrawTag(read, state.SubQuestions, tag, {});
    EXPECT_EQ(read.count(), 4); // two score texts, the comment and the cross
    EXPECT_NE(read.findAt(280, 684), imaging::kNoObject);
    bool commentFound = false;
    for (imaging::ObjectHandle h : read.handles())
        commentFound |= read.object(h)->text == QStringLiteral("错！看书；");
    EXPECT_TRUE(commentFound);
}

TEST_F(SymbolsWindowTest, EmptyCommentArmsNothing) {
    putComment(QStringLiteral("  "));
    EXPECT_FALSE(probe().DrawToolArmed);
    EXPECT_EQ(view().tool(), imaging::ImageView::Tool::Select);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(probe().ComboBoxText->count(), 0);
}

// Neither the program's folder nor the user's configuration folder takes the
// file: the marker is told once, and the comment can still be placed.
TEST_F(SymbolsWindowTest, UnwritableCommentFileIsReportedOnceAndTheCommentIsStillPlaced) {
    // Below a plain file no folder can ever be made, not even by root.
    const QString blocker = appDir.filePath(QStringLiteral("a-file"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SetAppDir(blocker + QStringLiteral("/program"));
    SetUserConfigDir(blocker + QStringLiteral("/config"));
    putComment(QStringLiteral("好"));
    EXPECT_EQ(probe().ComboBoxText->count(), 1);
    EXPECT_TRUE(probe().DrawToolArmed);
    clickAt(500, 300);
    putComment(QStringLiteral("很好"));
    EXPECT_EQ(probe().ComboBoxText->count(), 2);
    EXPECT_TRUE(probe().DrawToolArmed);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("Cannot create file")));
    ASSERT_EQ(marks().size(), 1);
    EXPECT_EQ(marks()[0].text, QStringLiteral("好"));
}

TEST_F(SymbolsWindowTest, LineBoxAndEllipseFromADragAreRedAndCounted) {
    struct Case {
        const char* command;
        ObjectKind kind;
        QPoint from;
        QPoint to;
        QRect extent;
    } cases[] = {
        {"ActSymbolLine", ObjectKind::Line, {300, 200}, {200, 150}, {300, 200, -99, -49}},
        {"ActPutBox", ObjectKind::Box, {300, 200}, {200, 150}, {200, 150, 101, 51}},
        {"ActPutEllipse", ObjectKind::Ellipse, {600, 600}, {700, 650}, {600, 600, 101, 51}},
    };
    for (const Case& c : cases) {
        window->findChild<QAction*>(QString::fromLatin1(c.command))->trigger();
        dragFromTo(c.from, c.to);
        const VectorObject o = marks().last();
        EXPECT_EQ(o.kind, c.kind);
        EXPECT_EQ(QRect(o.left, o.top, o.width, o.height), c.extent);
        EXPECT_EQ(o.penColor, imaging::kGdiRed);
        EXPECT_EQ(o.penStyle, imaging::PenStyle::Solid);
        EXPECT_EQ(o.brushStyle, imaging::BrushStyle::Clear);
        EXPECT_FALSE(probe().DrawToolArmed);
    }
    EXPECT_EQ(probe().LabelLineCount->text(), QStringLiteral("1"));
    EXPECT_EQ(probe().LabelBoxCount->text(), QStringLiteral("1"));
    EXPECT_EQ(probe().LabelEllipseCount->text(), QStringLiteral("1"));
}

TEST_F(SymbolsWindowTest, RightButtonDeletesTheNearestMarkButNeverAScoreText) {
    // Score text of sub-question 1 at (120, 300), 48 x 32.
    probe().ActSymbolX->trigger();
    clickAt(250, 336); // cross at 230..269 x 320..359
    probe().ActPutBox->trigger();
    dragFromTo({600, 100}, {700, 150});
    ASSERT_EQ(marks().size(), 2);

    // Nearer to the score text than to the cross: nothing goes.
    rightClickAt(190, 310);
    EXPECT_EQ(marks().size(), 2);
    EXPECT_EQ(view().layer().count(), 4);

    // Far from everything, nearest to the box: the box goes.
    rightClickAt(850, 120);
    ASSERT_EQ(marks().size(), 1);
    EXPECT_EQ(marks()[0].text, QStringLiteral("X"));
    EXPECT_EQ(probe().LabelBoxCount->text(), QStringLiteral("0"));

    // On the cross: the cross goes; the left button deletes nothing.
    clickAt(250, 340);
    EXPECT_EQ(marks().size(), 1);
    rightClickAt(250, 340);
    EXPECT_TRUE(marks().isEmpty());
    EXPECT_EQ(view().layer().count(), 2);
}

TEST_F(SymbolsWindowTest, HighlightedScoreTextOffersOnlyTheCommonScoresInItsRange) {
    const imaging::ObjectHandle first = view().layer().findAt(120, 300);
    const imaging::ObjectHandle second = view().layer().findAt(120, 500);
    EXPECT_EQ(window->HighlightedScoreText(), imaging::kNoObject);

    QTest::mouseMove(view().viewport(), viewPoint(140, 510));
    EXPECT_EQ(view().layer().object(second)->penColor, imaging::kGdiBlue);
    EXPECT_EQ(view().layer().object(first)->penColor, imaging::kGdiRed);
    EXPECT_EQ(window->HighlightedScoreText(), second);
    QStringList shown;
    for (QAction* item : probe().ScoreMenuItems) {
        if (item->isVisible())
            shown << item->text();
    }
    EXPECT_EQ(shown, (QStringList{QStringLiteral("1分"), QStringLiteral("2分")}));

    // The highlight stays after the mouse leaves; a click anywhere opens the menu.
    QTest::mouseMove(view().viewport(), viewPoint(800, 700));
    clickAt(800, 700);
    EXPECT_TRUE(probe().PopupMenu->isVisible());
    probe().PopupMenu->hide();

    window->MenuItemClick(probe().ScoreMenuItems[1]);
    const VectorObject* o = view().layer().object(second);
    EXPECT_EQ(o->text, QStringLiteral("2"));
    EXPECT_EQ(o->width, 40);
    EXPECT_EQ(o->penColor, imaging::kGdiBlue);
    EXPECT_EQ(probe().ScoreEdits[1]->text(), QStringLiteral("2"));
    EXPECT_EQ(probe().ScorePanel->text(), QStringLiteral("2"));
    EXPECT_EQ(view().layer().object(first)->text, QStringLiteral("?"));

    // Over the first score text the range is 0..5: every item shows.
    QTest::mouseMove(view().viewport(), viewPoint(140, 310));
    EXPECT_EQ(window->HighlightedScoreText(), first);
    for (QAction* item : probe().ScoreMenuItems)
        EXPECT_TRUE(item->isVisible()) << item->text().toStdString();
}

TEST_F(SymbolsWindowTest, NoPopupWhileAToolIsArmedOrWithoutAHighlight) {
    clickAt(800, 700);
    EXPECT_FALSE(probe().PopupMenu->isVisible());

    QTest::mouseMove(view().viewport(), viewPoint(140, 510));
    probe().ActPutBox->trigger();
    dragFromTo({600, 600}, {700, 650});
    EXPECT_FALSE(probe().PopupMenu->isVisible());
    EXPECT_EQ(marks().size(), 1);
}

} // namespace
