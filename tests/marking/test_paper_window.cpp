// Fetching a paper in the marking window (F5): the request, the composed
// answer image, placeholders, the command states, the messages for no paper,
// the history, the opening zoom and its memory, the zoom commands, and a
// picture that fails to download.

#include "IniFile.h"
#include "PaperWindowFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>

namespace {

QString StoredVidio() {
    return IniFile(ConfigIniPath())
        .readString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), QStringLiteral("-"));
}

TEST_F(PaperWindowTest, FetchComposesThePaperAndOpensIt) {
    openWindow();
    state.Cuts = {{1, 1, 0, 0, 600, 100, 0}, {2, 1, 0, 200, 400, 300, 0}};
    window->ComboBoxException->setCurrentIndex(2);
    window->ScoreEdits[0]->setText(QStringLiteral("4"));
    window->ScorePanel->setText(QStringLiteral("0.0"));
    serveQuestion(QStringLiteral("S001"));
    servePicture(PlainPicture(1000, 800, qRgb(10, 20, 30)));

    window->ActLoadPaper->trigger();

    EXPECT_EQ(imageRequests(), 1);
    EXPECT_EQ(view().image().size(), QSize(600, 200));
    EXPECT_EQ(view().image().pixel(500, 150), qRgb(255, 255, 255));
    EXPECT_EQ(view().image().pixel(300, 150), qRgb(10, 20, 30));
    EXPECT_TRUE(window->PaperLoaded);
    EXPECT_FALSE(window->ActLoadPaper->isEnabled());
    EXPECT_TRUE(window->ActSavePaper->isEnabled());
    EXPECT_TRUE(window->ActViewOri->isEnabled());
    EXPECT_EQ(window->ComboBoxException->currentIndex(), 0);
    EXPECT_TRUE(window->ScoreEdits[0]->text().isEmpty());
    EXPECT_EQ(window->ScorePanel->text(), QStringLiteral("0.0"));
    EXPECT_EQ(window->MyImageEnView->image().size(), QSize(600, 200));

    const imaging::VectorLayer& layer = view().layer();
    ASSERT_EQ(layer.count(), 2);
    EXPECT_EQ(layer.findAt(120, 300), layer.handleAt(0));
    EXPECT_EQ(layer.findAt(120, 500), layer.handleAt(1));
    EXPECT_EQ(layer.object(layer.handleAt(1))->text, QStringLiteral("?"));

    EXPECT_EQ(view().scrollX(), 0);
    EXPECT_EQ(view().scrollY(), 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^提卷\\d+毫秒切割\\d+毫秒$"))
                    .match(window->LabelStatus->text())
                    .hasMatch());
    EXPECT_TRUE(window->updatesEnabled());
    EXPECT_FALSE(window->GroupBox2->isVisibleTo(window.get()));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(PaperWindowTest, NoPaperOrAnErrorIsToldAndNoPaperOpens) {
    struct Case {
        QString studentId;
        QString message;
    } cases[] = {{QStringLiteral("none"), QStringLiteral("没有试卷可再提供了!!")},
                 {QStringLiteral("  "), QStringLiteral("没有试卷可再提供了!!")},
                 {QStringLiteral("error"), QStringLiteral("提卷错误，请稍后再试!!")}};
    openWindow();
    for (const Case& c : cases) {
        messages.shown.clear();
        window->MyImageEnView->setImage(PlainPicture(50, 50, qRgb(0, 0, 0)));
        window->MyImageEnView->layer().add(imaging::VectorObject{});
        serveQuestion(c.studentId);

        window->ActLoadPaper->trigger();

        EXPECT_EQ(messages.shown, QStringList{c.message}) << c.studentId.toStdString();
        EXPECT_FALSE(window->PaperLoaded);
        EXPECT_TRUE(window->ActLoadPaper->isEnabled());
        EXPECT_FALSE(window->ActSavePaper->isEnabled());
        EXPECT_EQ(window->MyImageEnView->layer().count(), 0);
        EXPECT_NE(window->MyImageEnView->image().pixel(0, 0), qRgb(0, 0, 0));
        EXPECT_EQ(imageRequests(), 0);
    }
}

TEST_F(PaperWindowTest, AFailedRequestShowsNothingAndCanBeTriedAgain) {
    openWindow();
    server.setReply(QStringLiteral("GetQuestion"), "oops", 500);

    window->ActLoadPaper->trigger();

    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(window->PaperLoaded);
    EXPECT_TRUE(window->ActLoadPaper->isEnabled());
}

TEST_F(PaperWindowTest, OpeningZoomFollowsTheSetting) {
    struct Case {
        QString setting;
        double zoom;
    } cases[] = {{QStringLiteral("150"), 150}, {QStringLiteral("abc"), 100}};
    for (const Case& c : cases) {
        openWindow();
        window->ViewImageEnVect->setZoom(40);
        state.ZoomSetting = c.setting;
        openPaper();
        EXPECT_DOUBLE_EQ(view().zoom(), c.zoom) << c.setting.toStdString();
        window.reset();
    }
}

TEST_F(PaperWindowTest, AFittedFirstPaperStoresTheFittedPercentage) {
    openWindow();
    state.ZoomSetting = QStringLiteral("适应大小");

    openPaper();

    const QString fitted = QString::number(int(view().zoomForFit()));
    EXPECT_LT(view().zoom(), 100);
    EXPECT_EQ(state.ZoomSetting, fitted);
    EXPECT_EQ(StoredVidio(), fitted);
}

TEST_F(PaperWindowTest, ZoomCommandsAndTheirMemory) {
    openWindow();
    window->ActSizeToLarge->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 100); // no paper yet
    openPaper();

    window->ActSizeToLarge->trigger();
    EXPECT_NEAR(view().zoom(), 110, 1e-9);
    EXPECT_EQ(StoredVidio(), QStringLiteral("110"));
    window->ActSizeToSmall->trigger();
    EXPECT_NEAR(view().zoom(), 99, 1e-9);
    EXPECT_EQ(StoredVidio(), QStringLiteral("99"));
    window->ActSize200->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 200);
    window->ActSize50->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), 50);
    window->ActSizeWidth->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), view().zoomForFitWidth());
    window->ActSizeHeight->trigger();
    EXPECT_DOUBLE_EQ(view().zoom(), view().zoomForFitHeight());

    // Scrolling is not remembered.
    window->ActSize200->trigger();
    view().setScroll(30, 40);
    EXPECT_EQ(StoredVidio(), QStringLiteral("200"));
}

TEST_F(PaperWindowTest, SecondTurnShowsTheHistoryAndThePreviousTurnsMarks) {
    openWindow();
    state.MarkingMode = QStringLiteral("02");
    state.MarkingTurn = 2;

    // On the wire the pieces of an entry are joined by "$".
    openPaper(
        QStringLiteral("张老师$4$0;120;300;4!|李老师$5$0;120;300;5!0;120;500;1!2;380;334;X!"));

    ASSERT_EQ(window->StringGridHist->rowCount(), 2);
    EXPECT_EQ(window->StringGridHist->item(1, 0)->text(), QStringLiteral("李老师"));
    EXPECT_EQ(window->StringGridHist->item(1, 1)->text(), QStringLiteral("5"));
    ASSERT_EQ(window->HistRecords.size(), 2);
    EXPECT_EQ(window->HistRecords[0].TurnTag, QStringLiteral("0;120;300;4!"));
    EXPECT_TRUE(window->GroupBox2->isVisibleTo(window.get()));

    const imaging::VectorLayer& layer = view().layer();
    ASSERT_EQ(layer.count(), 3);
    EXPECT_EQ(layer.object(layer.findAt(120, 300))->text, QStringLiteral("5"));
    EXPECT_EQ(layer.object(layer.findAt(380, 334))->text, QStringLiteral("X"));
    EXPECT_EQ(window->ScoreEdits[0]->text(), QStringLiteral("5"));
    EXPECT_EQ(window->ScoreEdits[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(window->ScorePanel->text(), QStringLiteral("6"));
}

TEST_F(PaperWindowTest, FirstTurnOrAnotherModeHidesTheHistoryAndKeepsThePlaceholders) {
    struct Case {
        QString mode;
        int turn;
    } cases[] = {{QStringLiteral("01"), 2}, {QStringLiteral("03"), 1}};
    for (const Case& c : cases) {
        openWindow();
        state.MarkingMode = c.mode;
        state.MarkingTurn = c.turn;
        openPaper(QStringLiteral("张老师$4$0;120;300;4!"));
        EXPECT_EQ(window->StringGridHist->rowCount(), 1);
        EXPECT_FALSE(window->GroupBox2->isVisibleTo(window.get()));
        const imaging::VectorLayer& layer = view().layer();
        ASSERT_EQ(layer.count(), 2);
        EXPECT_EQ(layer.object(layer.handleAt(0))->text, QStringLiteral("?"));
        window.reset();
    }
}

TEST_F(PaperWindowTest, AFailedPictureNeverShowsThePreviousPapersPage) {
    openWindow();
    openPaper();
    // The page view still holds the first paper's page (light grey); the
    // next paper's page cannot be downloaded.
    window->ViewImageEnVect->layer().clear();
    window->PaperLoaded = false;
    window->ActLoadPaper->setEnabled(true);
    state.Cuts = {{1, 1, 0, 0, 300, 200, 0}};
    serveQuestion(QStringLiteral("S002"));
    server.queueReply(QStringLiteral("GetImageFile"), "gone", 404, "text/plain");

    window->ActLoadPaper->trigger();

    EXPECT_TRUE(window->PaperLoaded);
    const QImage composed = view().image();
    ASSERT_EQ(composed.size(), QSize(300, 200));
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 7)
            ASSERT_EQ(composed.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("试卷图片下载失败:")));
    EXPECT_TRUE(messages.shown[0].contains(QStringLiteral("img\\P1\\\\S002_1.jpg")));
    EXPECT_TRUE(window->ActSavePaper->isEnabled());
    EXPECT_TRUE(window->updatesEnabled());
}

} // namespace
