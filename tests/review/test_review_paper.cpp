// The review window's student list and marked-paper display against a
// scripted loopback server: the rows, the pictures each row fetches, the
// stacked answer image, failed pictures, the turn selector and the marks of
// each turn, zoom, closing and opening again.
#include "ReviewWindowFixture.h"

#include "Messages.h"
#include "PaperComposer.h"

#include <QApplication>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

const QString kS1 = QStringLiteral("260201");
const QString kS2 = QStringLiteral("260202");

const QString kExampleTag = QStringLiteral(
    "0;120;300;5!0;120;420;2.5!2;380;334;X!3;50;280;300;200!2;200;500;好!1;60;600;201;41!");

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

// Records each message together with whether the window's contents were
// painting, and the wait was over, at that moment.
class PaintingMessages : public IMessages {
public:
    explicit PaintingMessages(const TFrmViewTech& window)
        : m_window(window), m_previous(SetMessages(this)) {}
    ~PaintingMessages() override { SetMessages(m_previous); }
    void showMessage(const QString& text) override {
        shown.append(text);
        painting.append(m_window.Splitter->updatesEnabled() &&
                        m_window.RzToolbar1->updatesEnabled() && !QApplication::overrideCursor());
    }
    bool askOkCancel(const QString&) override { return true; }

    QStringList shown;
    QList<bool> painting;

private:
    const TFrmViewTech& m_window;
    IMessages* m_previous;
};

} // namespace

using ReviewPaper = ReviewWindowTest;

TEST_F(ReviewPaper, StudentRowsHoldIdNameMarkAndTurnsWithAmpersands) {
    openAt(QString(), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), QStringLiteral("7.5"), QStringLiteral("1$7$0;1;1;7!")},
            {kS2, QStringLiteral("王二"), QString(), QString()}});
    QTreeWidget* list = window->ListView;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(0), kS1);
    EXPECT_EQ(row->text(1), QStringLiteral("王一"));
    EXPECT_EQ(row->text(2), QStringLiteral("7.5"));
    EXPECT_EQ(row->text(3), QStringLiteral("1&7&0;1;1;7!"));
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

TEST_F(ReviewPaper, AutomaticCutFetchesEachPageOncePerRowAndStacksOnWhite) {
    // Three regions on page 1 (the middle one narrower), one on page 2.
    openAt(QStringLiteral("(1,1,0,0,500,100,0)(2,1,0,200,300,260,0)(3,2,10,10,410,60,0)"
                          "(4,1,0,300,500,310,0)"),
           QStringLiteral("自动"), 2,
           {{kS1, QStringLiteral("王一"), {}, {}}, {kS2, QStringLiteral("王二"), {}, {}}});
    const QImage page1 = MarkedPicture(600, 400, 1);
    const QImage page2 = MarkedPicture(600, 400, 2);
    servePicture(FileOf(kS1, 1), page1);
    servePicture(FileOf(kS1, 2), page2);
    servePicture(FileOf(kS2, 1), MarkedPicture(600, 400, 3));
    servePicture(FileOf(kS2, 2), MarkedPicture(600, 400, 4));

    clickRow(0);
    EXPECT_EQ(Sorted(requestedFiles()), Sorted({FileOf(kS1, 1), FileOf(kS1, 2)}));
    EXPECT_EQ(state.StudentId, kS1);
    const QImage composed = image().image();
    ASSERT_EQ(composed.size(), QSize(500, 220));
    for (int y = 0; y < 220; ++y) {
        for (int x = 0; x < 500; x += 7) {
            QRgb expected;
            if (y < 100)
                expected = page1.pixel(x, y);
            else if (y < 160) // the 300-pixel region leaves a 200-pixel white strip
                expected = x < 300 ? page1.pixel(x, 200 + y - 100) : kWhite;
            else if (y < 210)
                expected = x < 400 ? page2.pixel(10 + x, 10 + y - 160) : kWhite;
            else
                expected = page1.pixel(x, 300 + y - 210);
            ASSERT_EQ(composed.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(window->ReviewPageSlots[0].PageNumber, 1);
    EXPECT_EQ(window->ReviewPageSlots[1].PageNumber, 2);

    // The next row fetches its own pages, again once each.
    server.clearRequests();
    clickRow(1);
    EXPECT_EQ(Sorted(requestedFiles()), Sorted({FileOf(kS2, 1), FileOf(kS2, 2)}));
    EXPECT_EQ(qBlue(image().image().pixel(5, 5)), 3);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ReviewPaper, ReadyCutModeFetchesEveryCutAndUsesItsPictureWhole) {
    openAt(QStringLiteral("1,2,0,0,9,9,21,2,3,0,0,9,9,22,3,2,0,0,9,9,21"), QStringLiteral("定制"),
           2, {{kS1, QStringLiteral("王一"), {}, {}}});
    const QImage cut21 = MarkedPicture(200, 50, 21);
    const QImage cut22 = MarkedPicture(300, 80, 22);
    servePicture(FileOf(kS1, 21), cut21);
    servePicture(FileOf(kS1, 22), cut22);

    clickRow(0);
    EXPECT_EQ(Sorted(requestedFiles()),
              Sorted({FileOf(kS1, 21), FileOf(kS1, 22), FileOf(kS1, 21)}));
    const QImage composed = image().image();
    ASSERT_EQ(composed.size(), QSize(300, 180));
    EXPECT_EQ(composed.pixel(199, 49), cut21.pixel(199, 49));
    EXPECT_EQ(composed.pixel(250, 10), kWhite);
    EXPECT_EQ(composed.pixel(299, 129), cut22.pixel(299, 79));
    EXPECT_EQ(composed.pixel(0, 130), cut21.pixel(0, 0));
    EXPECT_EQ(composed.pixel(250, 170), kWhite);
}

// Only the row that ends selected fetches and composes: a row switch costs
// one row's pictures, and the row losing the selection is never shown.
TEST_F(ReviewPaper, RowSwitchFetchesOnlyTheNewRow) {
    openAt(QStringLiteral("1,1,0,0,40,30,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$2;1;1;一!")},
            {kS2, QStringLiteral("王二"), {}, QStringLiteral("1$6$2;2;2;二!|2$7$2;3;3;二!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(50, 50, 1));
    servePicture(FileOf(kS2, 1), MarkedPicture(50, 50, 2));
    clickRow(0);
    ASSERT_EQ(requestedFiles(), QStringList{FileOf(kS1, 1)});
    server.clearRequests();

    clickRow(1);
    EXPECT_EQ(requestedFiles(), QStringList{FileOf(kS2, 1)});
    EXPECT_EQ(state.StudentId, kS2);
    EXPECT_EQ(qBlue(image().image().pixel(1, 1)), 2);
    EXPECT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    ASSERT_EQ(marks().size(), 1);
    EXPECT_EQ(marks()[0].text, QStringLiteral("二"));
    EXPECT_EQ(marks()[0].left, 3);

    // Clicking the row already selected does nothing.
    server.clearRequests();
    clickRow(1);
    EXPECT_TRUE(server.requests().isEmpty());
}

// Clearing the selection (a question group chosen, the window closing)
// fetches and composes nothing.
TEST_F(ReviewPaper, ClearingTheSelectionFetchesNothing) {
    openAt(QStringLiteral("1,1,0,0,40,30,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$2;1;1;X!|2$5$2;1;1;Y!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(50, 50, 1));
    clickRow(0);
    ASSERT_EQ(requestedFiles().size(), 1);
    pick(window->ComboBoxTurn, 0);

    // Another question group with other regions: the old row is not cut
    // with them.
    serveCutParam(QStringLiteral("1,1,0,0,20,10,0"), PaperOf(QStringLiteral("自动"), 1));
    server.clearRequests();
    pick(window->ComboBoxQuestionId, 0);
    EXPECT_TRUE(requestedFiles().isEmpty());
    EXPECT_EQ(image().imageWidth(), 40); // blanked, never recomposed
    EXPECT_EQ(image().layer().count(), 0);
    // The turn selector ends as the row left it: its turns, the last selected.
    EXPECT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(window->ComboBoxTurn->currentIndex(), 1);

    clickRow(0);
    EXPECT_EQ(requestedFiles(), QStringList{FileOf(kS1, 1)});
    EXPECT_EQ(image().imageWidth(), 20);
    server.clearRequests();
    window->RzToolButton20->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(requestedFiles().isEmpty());
    EXPECT_TRUE(window->ListView->selectedItems().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

// A picture that fails is white at its cut size, never the picture the page
// view still holds, and one message names every failed picture.
TEST_F(ReviewPaper, FailedPicturesAreWhiteAndNamedInOneMessage) {
    openAt(QStringLiteral("(1,1,0,0,40,30,0)(2,2,0,0,60,10,0)(3,1,0,50,40,60,0)"),
           QStringLiteral("自动"), 2,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$3;1;1;5;5!")},
            {kS2, QStringLiteral("王二"), {}, QStringLiteral("1$5$3;2;2;5;5!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(100, 100, 1));
    servePicture(FileOf(kS1, 2), MarkedPicture(100, 100, 2));
    server.setReplyFor(QStringLiteral("GetImageFile"), "File", FileOf(kS2, 1), "missing", 404,
                       "text/plain");
    server.setReplyFor(QStringLiteral("GetImageFile"), "File", FileOf(kS2, 2), "not a picture");
    clickRow(0);
    ASSERT_TRUE(messages.shown.isEmpty());

    PaintingMessages shown(*window);
    clickRow(1);
    ASSERT_EQ(shown.shown.size(), 1);
    EXPECT_EQ(shown.shown[0], marking::FailedPicturesMessage({FileOf(kS2, 1), FileOf(kS2, 2)}));
    EXPECT_TRUE(shown.shown[0].startsWith(QStringLiteral("试卷图片下载失败:")));
    EXPECT_TRUE(shown.painting[0]);
    const QImage composed = image().image();
    ASSERT_EQ(composed.size(), QSize(60, 50));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(composed.pixel(x, y), kWhite) << x << "," << y;
    // The marks of the row are drawn over the white paper all the same.
    ASSERT_EQ(marks().size(), 1);
    EXPECT_EQ(marks()[0].left, 2);
}

// More distinct pages than page views: the cut without a view is left out
// and no page view that does not exist is addressed.
TEST_F(ReviewPaper, CutWhosePageHasNoPageViewIsSkipped) {
    openAt(QStringLiteral("(1,1,0,0,40,10,0)(2,2,0,0,60,20,0)(3,1,0,50,30,60,0)"),
           QStringLiteral("自动"), 1, {{kS1, QStringLiteral("王一"), {}, {}}});
    const QImage page1 = MarkedPicture(100, 100, 1);
    servePicture(FileOf(kS1, 1), page1);
    servePicture(FileOf(kS1, 2), MarkedPicture(100, 100, 2));
    ASSERT_EQ(window->PageViews.size(), 1);

    clickRow(0);
    EXPECT_EQ(requestedFiles(), QStringList{FileOf(kS1, 1)});
    const QImage composed = image().image();
    ASSERT_EQ(composed.size(), QSize(40, 20));
    EXPECT_EQ(composed.pixel(39, 9), page1.pixel(39, 9));
    EXPECT_EQ(composed.pixel(5, 15), page1.pixel(5, 55));
    EXPECT_EQ(composed.pixel(35, 15), kWhite);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ReviewPaper, TurnSelectorShowsEveryTurnAndEachTurnItsMarks) {
    openAt(QStringLiteral("1,1,0,0,700,700,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), QStringLiteral("7.5"),
             QStringLiteral("1$6$2;10;20;旧!1;10;20;30;40!|2$7.5$") + kExampleTag},
            // The first turn has two fields only: it shows no marks.
            {kS2, QStringLiteral("王二"), {}, QStringLiteral("1$6|2$7$2;5;5;X!")},
            {QStringLiteral("260203"), QStringLiteral("王三"), {}, {}}});
    servePicture(FileOf(kS1, 1), MarkedPicture(700, 700, 1));
    servePicture(FileOf(kS2, 1), MarkedPicture(700, 700, 2));
    servePicture(FileOf(QStringLiteral("260203"), 1), MarkedPicture(700, 700, 3));

    clickRow(0);
    EXPECT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(window->ComboBoxTurn->currentIndex(), 1);
    EXPECT_TRUE(window->ComboBoxTurn->isEnabled());
    // The last turn: the worked example at height 36.
    QList<imaging::VectorObject> drawn = marks();
    ASSERT_EQ(drawn.size(), 6);
    EXPECT_EQ(QRect(drawn[0].left, drawn[0].top, drawn[0].width, drawn[0].height),
              QRect(120, 300, 36, 36));
    EXPECT_EQ(QRect(drawn[1].left, drawn[1].top, drawn[1].width, drawn[1].height),
              QRect(120, 420, 108, 36));
    EXPECT_EQ(drawn[1].text, QStringLiteral("2.5"));
    EXPECT_EQ(drawn[0].fontName, QStringLiteral("Arial"));
    EXPECT_EQ(drawn[3].kind, imaging::ObjectKind::Box);

    pick(window->ComboBoxTurn, 0);
    drawn = marks();
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0].text, QStringLiteral("旧"));
    EXPECT_EQ(QRect(drawn[0].left, drawn[0].top, drawn[0].width, drawn[0].height),
              QRect(10, 20, 72, 36));
    EXPECT_EQ(QLine(drawn[1].left, drawn[1].top, drawn[1].right(), drawn[1].bottom()),
              QLine(10, 20, 39, 59));

    clickRow(1);
    EXPECT_EQ(window->TurnTags, (QStringList{QString(), QStringLiteral("2;5;5;X!")}));
    pick(window->ComboBoxTurn, 0);
    EXPECT_TRUE(marks().isEmpty());

    // No turns: an empty selector, enabled, and no marks.
    clickRow(2);
    EXPECT_EQ(window->ComboBoxTurn->count(), 0);
    EXPECT_TRUE(window->ComboBoxTurn->isEnabled());
    EXPECT_TRUE(marks().isEmpty());
    EXPECT_EQ(qBlue(image().image().pixel(0, 0)), 3);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ReviewPaper, MalformedTagIsReportedAndTheMarksBeforeItStay) {
    openAt(QStringLiteral("1,1,0,0,100,100,0"), QStringLiteral("自动"), 1,
           {{kS1,
             QStringLiteral("王一"),
             {},
             QStringLiteral("1$5$3;1;1;9;9!2;5;5;好!1;60;600;201!2;7;7;X!|2$5$2;a;1;X!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(100, 100, 1));

    clickRow(0);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0], QStringLiteral("'a' is not a valid integer value"));
    EXPECT_TRUE(marks().isEmpty());
    // The row is shown all the same and painting has resumed.
    EXPECT_EQ(image().imageWidth(), 100);
    EXPECT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_TRUE(window->Splitter->updatesEnabled());
    EXPECT_TRUE(window->RzToolbar1->updatesEnabled());
    EXPECT_FALSE(image().paintingSuspended());

    pick(window->ComboBoxTurn, 0);
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1], QStringLiteral("List index out of bounds (4)"));
    const QList<imaging::VectorObject> drawn = marks();
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0].kind, imaging::ObjectKind::Box);
    EXPECT_EQ(drawn[1].text, QStringLiteral("好"));
    EXPECT_FALSE(image().paintingSuspended());
}

TEST_F(ReviewPaper, WithoutCutsTheImageStaysBlankAndTheTurnsAreFilled) {
    openAt(QStringLiteral("1,1,0,0,30,20,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$2;1;1;X!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(50, 50, 1));
    clickRow(0);
    ASSERT_EQ(image().imageWidth(), 30);

    serveCutParam(QString(), PaperOf(QStringLiteral("自动"), 1));
    pick(window->ComboBoxQuestionId, 0);
    server.clearRequests();
    clickRow(0);
    EXPECT_TRUE(requestedFiles().isEmpty());
    const QImage blank = image().image();
    ASSERT_EQ(blank.size(), QSize(30, 20));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(blank.pixel(x, y), kWhite);
    EXPECT_EQ(turnItems(), QStringList{QStringLiteral("1")});
}

TEST_F(ReviewPaper, ZoomButtonsScaleThePictureWithItsMarksAndARowKeepsTheZoom) {
    openAt(QStringLiteral("1,1,0,0,400,400,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$3;100;100;50;50!")},
            {kS2, QStringLiteral("王二"), {}, {}}});
    servePicture(FileOf(kS1, 1), MarkedPicture(400, 400, 1));
    servePicture(FileOf(kS2, 1), MarkedPicture(400, 400, 2));
    clickRow(0);
    ASSERT_DOUBLE_EQ(image().zoom(), 100);
    image().setScroll(0, 0);
    const QPoint at100 = image().imageToView(QPointF(100, 100));

    window->RzToolButton1->click();
    EXPECT_NEAR(image().zoom(), 110, 1e-9);
    image().setScroll(0, 0);
    EXPECT_EQ(image().imageToView(QPointF(100, 100)), at100 * 1.1);
    window->RzToolButton2->click();
    EXPECT_NEAR(image().zoom(), 99, 1e-9);
    window->RzToolButton3->click();
    EXPECT_NEAR(image().zoom(), 89.1, 1e-9);

    image().setScroll(10, 20);
    const QPoint scroll(image().scrollX(), image().scrollY());
    clickRow(1);
    EXPECT_NEAR(image().zoom(), 89.1, 1e-9);
    EXPECT_EQ(QPoint(image().scrollX(), image().scrollY()), scroll);
}

TEST_F(ReviewPaper, ClosingAndOpeningAgainStartsAFreshWindow) {
    openAt(QStringLiteral("1,1,0,0,40,30,0"), QStringLiteral("自动"), 1,
           {{kS1, QStringLiteral("王一"), {}, QStringLiteral("1$5$2;1;1;X!")}});
    servePicture(FileOf(kS1, 1), MarkedPicture(50, 50, 1));
    clickRow(0);
    window->RzToolButton20->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), int(QDialog::Rejected));
    // Escape is no way out of the window.
    window.reset();
    server.clearRequests();

    openWindow();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(server.requestsFor(QStringLiteral("QuerySubject")).size(), 1);
    EXPECT_EQ(window->ComboBoxSubject->count(), 1);
    EXPECT_EQ(window->ComboBoxClass->count(), 0);
    EXPECT_EQ(window->ListView->topLevelItemCount(), 0);
    // What the last window stored stays in the client state.
    EXPECT_EQ(state.QuestionId, QStringLiteral("0101"));
    EXPECT_EQ(state.CutMode, QStringLiteral("自动"));
    chooseQuestionGroup();
    server.clearRequests();
    clickRow(0);
    EXPECT_EQ(requestedFiles(), QStringList{FileOf(kS1, 1)});
    EXPECT_TRUE(messages.shown.isEmpty());
}
