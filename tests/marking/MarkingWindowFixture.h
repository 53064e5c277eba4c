#pragma once
// A marking window signed in against a scripted server and opened the way
// the sign-in opens it: its first show reads Config.InI and fetches the
// saved permission's parameters with GetParam. Tests describe the question
// (`question`) before opening, fetch papers with F5 and observe the window
// through MarkingWindowProbe.

#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "MarkingWindowProbe.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "TestPictures.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "UntViewPaperConfig.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

// The question group the scripted GetParam describes.
struct QuestionSpec {
    // LowestScore, FullScore, ScoreStep, two integers, MarkingMode, MarkingTurn.
    QString basic = QStringLiteral("0,10,1,0,0,01,1");
    QString cuts = QStringLiteral("(1,1,0,0,1000,800,0)");
    QList<TSubQuestion> subQuestions = {
        {QStringLiteral("S1"), QStringLiteral("第1小题"), 0, 5, 120, 300},
        {QStringLiteral("S2"), QStringLiteral("第2小题"), 0, 2, 120, 500}};
    int pages = 1;
    QString cutMode = QStringLiteral("自动");
};

class MarkingWindowTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.UserId = QStringLiteral("T01");
        state.UserName = QStringLiteral("张老师");
        state.Validated = true;
        state.Permissions = {
            {QStringLiteral("P1"), QStringLiteral("第一题 一评"), QStringLiteral("|1|2|3|5|")},
            {QStringLiteral("P2"), QStringLiteral("第二题 一评"), QStringLiteral("|")}};
        IniFile ini(ConfigIniPath());
        ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                        QStringLiteral("P1"));
        ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"),
                        QStringLiteral("100"));
        server.setReply(QStringLiteral("ResetBufferByUser"), gbk::encode(QStringLiteral("成功")),
                        200, "text/plain");
        server.setReply(QStringLiteral("SavePersonConfig"), QByteArray());
        server.setReply(QStringLiteral("SaveSymbol"), gbk::encode(QStringLiteral("成功")), 200,
                        "text/plain");
        servePicture(PlainPicture(1000, 800, qRgb(230, 230, 230)));
    }
    void TearDown() override { window.reset(); }

    // Two sub-questions of 0 to 5 at (100, 100) and (100, 200); full score 10.
    void useTwoSubQuestionsOfFive() {
        question.subQuestions = {{QStringLiteral("1"), QStringLiteral("第1小题"), 0, 5, 100, 100},
                                 {QStringLiteral("2"), QStringLiteral("第2小题"), 0, 5, 100, 200}};
    }

    // What the next window reads from Config.InI.
    void storeSetting(const QString& key, const QString& value) {
        IniFile(ConfigIniPath()).writeString(QStringLiteral("ViewPaper"), key, value);
    }

    // The GetParam reply of `question`.
    QByteArray paramReply() const {
        QStringList subs;
        for (const TSubQuestion& q : question.subQuestions)
            subs << QStringLiteral("(%1,%2,%3,%4,%5,%6)")
                        .arg(q.SubQuestionId, q.SubQuestionName, FormatNumber(q.LowestMark),
                             FormatNumber(q.HighestMark))
                        .arg(q.PosX)
                        .arg(q.PosY);
        // Image root "img", no student folder: page n of paper S001 is
        // "img\P1\\S001_n.jpg".
        return GbkXml(QStringLiteral("<Root><Basic>%1</Basic><Cut>%2</Cut>"
                                     "<SubQuestion>%3</SubQuestion>"
                                     "<Paper>img,1,0,1,%4,Q1,%5,是,x</Paper>"
                                     "<MarkDesc></MarkDesc></Root>")
                          .arg(question.basic, question.cuts, subs.join(QLatin1Char(',')))
                          .arg(question.pages)
                          .arg(question.cutMode));
    }

    // Creates the window (not shown yet); the settings dialog, when the
    // window opens it, is worked by `drive` instead of a modal loop.
    TFrmMainWindow& create(std::function<void(TFrmViewPaperConfig&)> drive = {}) {
        server.setReply(QStringLiteral("GetParam"), paramReply());
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(1600, 1000);
        window->ShowSettingsDialog = [this, drive](TFrmViewPaperConfig& dialog) {
            ++settingsShown;
            if (drive)
                drive(dialog);
        };
        return *window;
    }

    // Creates and shows the window: its first show builds it from GetParam.
    TFrmMainWindow& open(std::function<void(TFrmViewPaperConfig&)> drive = {}) {
        create(std::move(drive)).show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    // Makes the window the active one, so keys and focus behave as for a
    // marker at the screen.
    void activate() {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    MarkingWindowProbe probe() const { return MarkingWindowProbe(*window); }

    void serveQuestion(const QString& studentId, const QString& allTurnInfo = QString()) {
        server.setReply(QStringLiteral("GetQuestion"), PaperReply(studentId, allTurnInfo));
    }
    void serveCallBack(const QString& studentId, const QString& allTurnInfo = QString(),
                       const QString& tag = QString()) {
        server.setReply(QStringLiteral("CallBack"), PaperReply(studentId, allTurnInfo, tag));
    }
    // Every page or region picture.
    void servePicture(const QImage& image) {
        server.setReply(QStringLiteral("GetImageFile"), PngBytes(image), 200, "image/png");
    }
    // The picture of one File value, ahead of every other.
    void servePictureFor(const QString& file, const QImage& image) {
        server.setReplyFor(QStringLiteral("GetImageFile"), "File", file, PngBytes(image), 200,
                           "image/png");
    }

    // Fetches paper `studentId` with F5; `allTurnInfo` as the server sends it.
    void openPaper(const QString& allTurnInfo = QString(),
                   const QString& studentId = QStringLiteral("S001")) {
        serveQuestion(studentId, allTurnInfo);
        probe().ActLoadPaper->trigger();
        ASSERT_TRUE(probe().PaperLoaded);
    }

    // Takes the paper off the screen with a call-back that finds no paper
    // (the score edits keep their text, as that call-back leaves them).
    void closePaperByEmptyCallBack() {
        serveCallBack(QStringLiteral("none"));
        probe().ActCallBack->trigger();
        ASSERT_FALSE(probe().PaperLoaded);
        messages.shown.clear();
    }

    // Types `text` key by key into score edit `index`, which gets the focus
    // first: keys go where the focus is.
    void type(int index, const QString& text) {
        QLineEdit* edit = probe().ScoreEdits[index];
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    // A key pressed and released on the control that has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, key, modifiers);
    }

    imaging::ImageView& view() const { return *probe().ViewImageEnVect; }
    QPoint viewPoint(int x, int y) const { return view().imageToView(QPointF(x, y)); }
    int imageRequests() const {
        return int(server.requestsFor(QStringLiteral("GetImageFile")).size());
    }
    // Texts of the main view's objects, in layer order.
    QStringList objectTexts() const {
        QStringList texts;
        const imaging::VectorLayer& layer = view().layer();
        for (imaging::ObjectHandle h : layer.handles())
            texts.append(layer.object(h)->text);
        return texts;
    }

    // A GetQuestion or CallBack reply; values as the server sends them.
    static QByteArray PaperReply(const QString& studentId, const QString& allTurnInfo = {},
                                 const QString& tag = {}) {
        return GbkXml(QStringLiteral("<Root><StudentId>%1</StudentId><AllTurnInfo>%2</AllTurnInfo>"
                                     "<Tag>%3</Tag><Mark>0</Mark></Root>")
                          .arg(studentId, allTurnInfo, tag));
    }

    QuestionSpec question;
    std::unique_ptr<TFrmMainWindow> window;
    int settingsShown = 0;
};
