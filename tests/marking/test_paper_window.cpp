// Fetching a paper in the marking window (F5): the request, the composed
// answer image, placeholders, the command states, the messages for no paper,
// the history, the opening zoom and its memory, the zoom commands, and a
// picture that fails to download.

#include "IniFile.h"
#include "MarkingWindowFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>

namespace {

QString StoredVidio() {
    return IniFile(ConfigIniPath())
        .readString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), QStringLiteral("-"));
}

// The zoom the next window opens papers at.
void StoreVidio(const QString& zoom) {
    IniFile(ConfigIniPath())
        .writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), zoom);
}

using PaperWindowTest = MarkingWindowTest;

TEST_F(PaperWindowTest, FetchComposesThePaperAndOpensIt) {
    question.cuts = QStringLiteral("(1,1,0,0,600,100,0),(2,1,0,200,400,300,0)");
    open();
    const MarkingWindowProbe w = probe();
    w.ComboBoxException->setCurrentIndex(2);
    w.ScoreEdits[0]->setText(QStringLiteral("4"));
    serveQuestion(QStringLiteral("S001"));
    servePicture(PlainPicture(1000, 800, qRgb(10, 20, 30)));

    w.ActLoadPaper->trigger();

    EXPECT_EQ(imageRequests(), 1);
    EXPECT_EQ(view().image().size(), QSize(600, 200));
    EXPECT_EQ(view().image().pixel(500, 150), qRgb(255, 255, 255));
    EXPECT_EQ(view().image().pixel(300, 150), qRgb(10, 20, 30));
    EXPECT_TRUE(w.PaperLoaded);
    EXPECT_FALSE(w.ActLoadPaper->isEnabled());
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
    EXPECT_TRUE(w.ActViewOri->isEnabled());
    EXPECT_EQ(w.ComboBoxException->currentIndex(), 0);
    EXPECT_TRUE(w.ScoreEdits[0]->text().isEmpty());
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("0.0"));
    // The thumbnail: the top square (here all of the picture) at the
    // thumbnail view's width.
    const QSize thumbnail = w.MyImageEnView->image().size();
    EXPECT_GT(thumbnail.width(), 0);
    EXPECT_LE(thumbnail.width(), 600);
    EXPECT_NEAR(double(thumbnail.height()) / thumbnail.width(), 200.0 / 600, 0.02);

    const imaging::VectorLayer& layer = view().layer();
    ASSERT_EQ(layer.count(), 2);
    EXPECT_EQ(layer.findAt(120, 300), layer.handleAt(0));
    EXPECT_EQ(layer.findAt(120, 500), layer.handleAt(1));
    EXPECT_EQ(layer.object(layer.handleAt(1))->text, QStringLiteral("?"));

    EXPECT_EQ(view().scrollX(), 0);
    EXPECT_EQ(view().scrollY(), 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^提卷\\d+毫秒切割\\d+毫秒$"))
                    .match(w.LabelStatus->text())
                    .hasMatch());
    EXPECT_FALSE(view().paintingSuspended());
    EXPECT_FALSE(w.MyImageEnView->paintingSuspended());
    EXPECT_FALSE(w.GroupBox2->isVisibleTo(window.get()));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(PaperWindowTest, NoPaperOrAnErrorIsToldAndNoPaperOpens) {
    struct Case {
        QString studentId;
        QString message;
    } cases[] = {{QStringLiteral("none"), QStringLiteral("没有试卷可再提供了!!")},
                 {QStringLiteral("  "), QStringLiteral("没有试卷可再提供了!!")},
                 {QStringLiteral("error"), QStringLiteral("提卷错误，请稍后再试!!")}};
    open();
    const MarkingWindowProbe w = probe();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.studentId.toStdString());
        // The thumbnail shows the last paper, which a call-back that found
        // no paper has taken off the main view.
        openPaper();
        closePaperByEmptyCallBack();
        ASSERT_EQ(w.MyImageEnView->image().pixel(0, 0), qRgb(230, 230, 230));
        server.clearRequests();
        serveQuestion(c.studentId);

        w.ActLoadPaper->trigger();

        EXPECT_EQ(messages.shown, QStringList{c.message});
        EXPECT_FALSE(w.PaperLoaded);
        EXPECT_TRUE(w.ActLoadPaper->isEnabled());
        EXPECT_FALSE(w.ActSavePaper->isEnabled());
        EXPECT_EQ(w.MyImageEnView->image().pixelColor(0, 0), w.MyImageEnView->backgroundColor());
        EXPECT_EQ(imageRequests(), 0);
        messages.shown.clear();
    }
}

TEST_F(PaperWindowTest, AFailedRequestShowsNothingAndCanBeTriedAgain) {
    open();
    server.setReply(QStringLiteral("GetQuestion"), "oops", 500);

    probe().ActLoadPaper->trigger();

    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(probe().PaperLoaded);
    EXPECT_TRUE(probe().ActLoadPaper->isEnabled());
}

TEST_F(PaperWindowTest, AWaitCursorShowsWhileTheFetchWaitsAndOnlyThen) {
    open();
    server.setDelayMs(300);
    serveQuestion(QStringLiteral("S001"));
    QList<Qt::CursorShape> seen;
    auto sample = [&seen] {
        const QCursor* cursor = QApplication::overrideCursor();
        seen.append(cursor ? cursor->shape() : Qt::ArrowCursor);
    };
    // Sampled while the request waits in its local event loop.
    QTimer::singleShot(150, sample);
    probe().ActLoadPaper->trigger();
    ASSERT_TRUE(probe().PaperLoaded);
    EXPECT_EQ(seen, QList<Qt::CursorShape>{Qt::WaitCursor});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PaperWindowTest, AnAnswerImageTooLargeToShowIsToldInsteadOfBuilt) {
    // Ready-cut pictures that fail stand in white at their cut's size: two
    // cuts of 60000 x 60000 would make an answer image of gigabytes.
    question.cutMode = QStringLiteral("定制");
    question.cuts = QStringLiteral("(1,1,0,0,60000,60000,21),(2,1,0,0,60000,60000,22)");
    server.setReply(QStringLiteral("GetImageFile"), "gone", 404, "text/plain");
    open();
    openPaper();
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("试卷图片下载失败:")));
    EXPECT_EQ(messages.shown[1], QStringLiteral("试卷图片过大，无法显示!!"));
    EXPECT_FALSE(view().hasPicture());
}

TEST_F(PaperWindowTest, WithoutParametersNoPaperIsFetched) {
    // The parameters could not be fetched at the first show: there are no
    // regions to show and nothing to score, so no paper may be opened (and
    // then submitted unseen with mark 0), by F5 nor by F3.
    create();
    server.setReply(QStringLiteral("GetParam"), QByteArray(), 500);
    window->show();
    serveQuestion(QStringLiteral("S001"));
    serveCallBack(QStringLiteral("S001"));
    const QString told = QStringLiteral("评卷参数未能取得，请按F2重新设置!!");
    for (QAction* command : {probe().ActLoadPaper, probe().ActCallBack}) {
        messages.shown.clear();
        command->trigger();
        EXPECT_EQ(messages.shown, QStringList{told});
        EXPECT_FALSE(probe().PaperLoaded);
        EXPECT_FALSE(probe().ActSavePaper->isEnabled());
    }
    EXPECT_TRUE(server.requestsFor(QStringLiteral("GetQuestion")).isEmpty());
    EXPECT_TRUE(server.requestsFor(QStringLiteral("CallBack")).isEmpty());
}

TEST_F(PaperWindowTest, OpeningZoomFollowsTheSetting) {
    struct Case {
        QString setting;
        double zoom;
    } cases[] = {{QStringLiteral("150"), 150}, {QStringLiteral("abc"), 100}};
    for (const Case& c : cases) {
        StoreVidio(c.setting);
        open();
        openPaper();
        EXPECT_DOUBLE_EQ(view().zoom(), c.zoom) << c.setting.toStdString();
        window.reset();
    }
}

TEST_F(PaperWindowTest, AFittedFirstPaperStoresTheFittedPercentage) {
    StoreVidio(QStringLiteral("适应大小"));
    question.cuts = QStringLiteral("(1,1,0,0,3000,3000,0)");
    servePicture(PlainPicture(3000, 3000, qRgb(230, 230, 230)));
    open();

    openPaper();

    const QString fitted = QString::number(int(view().zoomForFit()));
    EXPECT_LT(view().zoom(), 100);
    EXPECT_EQ(state.ZoomSetting, fitted);
    EXPECT_EQ(StoredVidio(), fitted);
}

TEST_F(PaperWindowTest, ZoomCommandsAndTheirMemory) {
    open();
    const MarkingWindowProbe w = probe();
    w.ActSizeToLarge->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 100); // no paper yet
    openPaper();

    w.ActSizeToLarge->trigger();
    EXPECT_NEAR(view().zoom(), 110, 1e-9);
    EXPECT_EQ(StoredVidio(), QStringLiteral("110"));
    w.ActSizeToSmall->trigger();
    EXPECT_NEAR(view().zoom(), 99, 1e-9);
    EXPECT_EQ(StoredVidio(), QStringLiteral("99"));
    w.ActSize200->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 200);
    w.ActSize50->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 50);
    w.ActSizeWidth->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), view().zoomForFitWidth());
    w.ActSizeHeight->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), view().zoomForFitHeight());

    // Scrolling is not remembered.
    w.ActSize200->trigger();
    view().setScroll(30, 40);
    EXPECT_EQ(StoredVidio(), QStringLiteral("200"));
}

TEST_F(PaperWindowTest, SecondTurnShowsTheHistoryAndThePreviousTurnsMarks) {
    question.basic = QStringLiteral("0,10,1,0,0,02,2");
    open();
    const MarkingWindowProbe w = probe();

    // On the wire the pieces of an entry are joined by "$".
    openPaper(
        QStringLiteral("张老师$4$0;120;300;4!|李老师$5$0;120;300;5!0;120;500;1!2;380;334;X!"));

    ASSERT_EQ(w.StringGridHist->rowCount(), 2);
    EXPECT_EQ(w.StringGridHist->item(1, 0)->text(), QStringLiteral("李老师"));
    EXPECT_EQ(w.StringGridHist->item(1, 1)->text(), QStringLiteral("5"));
    ASSERT_EQ(w.HistRecords.size(), 2);
    EXPECT_EQ(w.HistRecords[0].TurnTag, QStringLiteral("0;120;300;4!"));
    EXPECT_TRUE(w.GroupBox2->isVisibleTo(window.get()));

    const imaging::VectorLayer& layer = view().layer();
    ASSERT_EQ(layer.count(), 3);
    EXPECT_EQ(layer.object(layer.findAt(120, 300))->text, QStringLiteral("5"));
    EXPECT_EQ(layer.object(layer.findAt(380, 334))->text, QStringLiteral("X"));
    EXPECT_EQ(w.ScoreEdits[0]->text(), QStringLiteral("5"));
    EXPECT_EQ(w.ScoreEdits[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(w.ScorePanel->text(), QStringLiteral("6"));
}

TEST_F(PaperWindowTest, FirstTurnOrAnotherModeHidesTheHistoryAndKeepsThePlaceholders) {
    for (const QString& basic :
         {QStringLiteral("0,10,1,0,0,01,2"), QStringLiteral("0,10,1,0,0,03,1")}) {
        SCOPED_TRACE(basic.toStdString());
        question.basic = basic;
        open();
        openPaper(QStringLiteral("张老师$4$0;120;300;4!"));
        EXPECT_EQ(probe().StringGridHist->rowCount(), 1);
        EXPECT_FALSE(probe().GroupBox2->isVisibleTo(window.get()));
        const imaging::VectorLayer& layer = view().layer();
        ASSERT_EQ(layer.count(), 2);
        EXPECT_EQ(layer.object(layer.handleAt(0))->text, QStringLiteral("?"));
        window.reset();
    }
}

TEST_F(PaperWindowTest, AFailedPictureNeverShowsThePreviousPapersPage) {
    question.cuts = QStringLiteral("(1,1,0,0,300,200,0)");
    open();
    const MarkingWindowProbe w = probe();
    openPaper();
    w.ActSetAllZero->trigger();
    w.ActSavePaper->trigger();
    ASSERT_FALSE(w.PaperLoaded);
    // The next paper's page cannot be downloaded; the page view held the
    // first paper's page (light grey) until the submission blanked it.
    server.setReplyFor(QStringLiteral("GetImageFile"), "File",
                       QStringLiteral("img\\P1\\\\S002_1.jpg"), "gone", 404, "text/plain");
    serveQuestion(QStringLiteral("S002"));

    w.ActLoadPaper->trigger();

    EXPECT_TRUE(w.PaperLoaded);
    const QImage composed = view().image();
    ASSERT_EQ(composed.size(), QSize(300, 200));
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 7)
            ASSERT_EQ(composed.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("试卷图片下载失败:")));
    EXPECT_TRUE(messages.shown[0].contains(QStringLiteral("img\\P1\\\\S002_1.jpg")));
    EXPECT_TRUE(w.ActSavePaper->isEnabled());
    EXPECT_FALSE(view().paintingSuspended());
}

} // namespace
