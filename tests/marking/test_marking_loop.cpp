// The marking loop end to end against the demo server, in-process: sign in,
// fetch, score, mark, submit, fetch the next paper, call the first back,
// change a score and submit it again; the server's stored marks are read
// back through its own replies.

#include "AppPaths.h"
#include "DemoServer.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "MarkingWindowProbe.h"
#include "RecordingMessages.h"
#include "ScoreTexts.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList ObjectTexts(const MarkingWindowProbe& w) {
    QStringList texts;
    const imaging::VectorLayer& layer = w.ViewImageEnVect->layer();
    for (imaging::ObjectHandle h : layer.handles())
        texts.append(layer.object(h)->text);
    return texts;
}

// Types `text` into every score edit, key by key, as the marker does.
void ScoreAll(const MarkingWindowProbe& w, const QString& text) {
    for (QLineEdit* edit : w.ScoreEdits) {
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
}

// A cross put with the cross tool where the marker clicks.
void PutCross(const MarkingWindowProbe& w, QPoint imagePoint) {
    w.ActSymbolX->trigger();
    QTest::mouseClick(w.ViewImageEnVect->viewport(), Qt::LeftButton, {},
                      w.ViewImageEnVect->imageToView(imagePoint));
}

} // namespace

TEST(MarkingLoop, SubmitFetchCallBackChangeAndSubmitAgain) {
    QTemporaryDir appDir;
    QTemporaryDir dataDir;
    ASSERT_TRUE(appDir.isValid() && dataDir.isValid());
    SetAppDir(appDir.path());
    // 基础知识, turn 1: page 1 cut automatically, scores 0 to 10.
    IniFile(ConfigIniPath())
        .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                     QStringLiteral("010101"));

    ServerOptions options;
    options.port = 0;
    options.dataDir = dataDir.path();
    options.students = 6;
    DemoServer server(options);
    ASSERT_TRUE(server.start()) << server.error().toStdString();

    RecordingMessages messages;
    QtHttpGet http;
    XmlReply xml;
    TPublicFuctionObject state(http, xml);
    state.ServerUrl = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
    ASSERT_TRUE(state.ValidateUser(QStringLiteral("t01"), QStringLiteral("1")));
    ASSERT_TRUE(state.Validated);

    auto window = std::make_unique<TFrmMainWindow>(state);
    window->ShowSettingsDialog = [](TFrmViewPaperConfig&) {};
    window->resize(1000, 800);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const MarkingWindowProbe w(*window);
    ASSERT_EQ(state.PermissionId, QStringLiteral("010101"));
    ASSERT_FALSE(w.ScoreEdits.isEmpty());
    const int n = int(w.ScoreEdits.size());

    // First paper: scored 1 each, with a cross.
    w.ActLoadPaper->trigger();
    ASSERT_TRUE(w.PaperLoaded) << messages.shown.join(QLatin1Char('|')).toStdString();
    ASSERT_GT(w.ViewImageEnVect->imageHeight(), 0);
    const QString first = state.StudentId;
    ScoreAll(w, QStringLiteral("1"));
    w.ViewImageEnVect->setZoom(100);
    w.ViewImageEnVect->setScroll(0, 0);
    PutCross(w, QPoint(320, 216)); // centred above the click: the cross at (300, 200)
    EXPECT_EQ(w.ScorePanel->text(), QString::number(n));
    w.ActSavePaper->trigger();
    ASSERT_FALSE(w.PaperLoaded) << messages.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(w.LabelStatus->text().startsWith(QStringLiteral("交卷操作耗时:")));

    // Second paper: a different student, scored 0 each.
    w.ActLoadPaper->trigger();
    ASSERT_TRUE(w.PaperLoaded);
    EXPECT_NE(state.StudentId, first);
    ScoreAll(w, QStringLiteral("0"));
    w.ActSavePaper->trigger();
    ASSERT_FALSE(w.PaperLoaded);

    // Back to the first: the second most recent submission.
    w.ComboBoxCallBackNumber->setCurrentIndex(1);
    w.ActCallBack->trigger();
    ASSERT_TRUE(w.PaperLoaded);
    EXPECT_EQ(state.StudentId, first);
    QStringList expected(n, QStringLiteral("1"));
    expected.append(QStringLiteral("X"));
    EXPECT_EQ(ObjectTexts(w), expected);
    EXPECT_EQ(w.ScorePanel->text(), QString::number(n));

    // Change the first score to 3 and submit again.
    w.ScoreEdits[0]->setFocus();
    QTest::keyClick(w.ScoreEdits[0], Qt::Key_Backspace);
    QTest::keyClicks(w.ScoreEdits[0], QStringLiteral("3"));
    w.ActSavePaper->trigger();
    ASSERT_FALSE(w.PaperLoaded) << messages.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(QLatin1Char('|')).toStdString();

    // The server now holds the changed marks for the first paper, which
    // keeps its place in the call-back list.
    ASSERT_TRUE(state.CallBack(2));
    EXPECT_EQ(state.StudentId, first);
    double mark = 0;
    ASSERT_TRUE(ReadNumber(state.CallBackMark, &mark)) << state.CallBackMark.toStdString();
    EXPECT_DOUBLE_EQ(mark, n + 2);
    EXPECT_TRUE(state.CallBackTag.startsWith(QStringLiteral("0;%1;%2;3!")
                                                 .arg(state.SubQuestions[0].PosX)
                                                 .arg(state.SubQuestions[0].PosY)))
        << state.CallBackTag.toStdString();
    EXPECT_TRUE(state.CallBackTag.endsWith(QStringLiteral("2;300;200;X!")));

    window.reset();
    SetAppDir(QString());
}
