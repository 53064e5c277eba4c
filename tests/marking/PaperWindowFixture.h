#pragma once
// A marking window with a permission already in place (no sign-in, no first
// show), a scripted server for GetQuestion and the page pictures, and a
// temporary folder for Config.InI and Comment.TXT.

#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QAction>
#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// A picture of one colour.
inline QImage PlainPicture(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

inline QByteArray PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class PaperWindowTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        server.setReply(QStringLiteral("ResetBufferByUser"), gbk::encode(QStringLiteral("成功")),
                        200, "text/plain");
    }
    void TearDown() override { window.reset(); }

    // Sub-questions at (120, 300) range 0..5 and (120, 500) range 0..2;
    // common scores 1, 2, 3 and 5; one page, one region covering it.
    void openWindow(int pages = 1) {
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(900, 700);
        state.UserId = QStringLiteral("T01");
        state.PermissionId = QStringLiteral("P1");
        state.ImageRoot = QStringLiteral("img");
        state.CutMode = QStringLiteral("自动");
        state.MarkingMode = QStringLiteral("01");
        state.MarkingTurn = 1;
        state.ZoomSetting = QStringLiteral("100");
        state.PageCount = pages;
        state.PageSlots = QList<PageSlot>(pages);
        state.Cuts = {{1, 1, 0, 0, 1000, 800, 0}};
        state.SubQuestions = {{QStringLiteral("S1"), QStringLiteral("第1小题"), 0, 5, 120, 300},
                              {QStringLiteral("S2"), QStringLiteral("第2小题"), 0, 2, 120, 500}};
        window->BuildPageWorkArea();
        window->BuildScoreMenu(
            {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("5")});
        window->BuildScoreEdits();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void serveQuestion(const QString& studentId, const QString& allTurnInfo = QString()) {
        server.setReply(QStringLiteral("GetQuestion"),
                        GbkXml(QStringLiteral("<Root><StudentId>%1</StudentId>"
                                              "<AllTurnInfo>%2</AllTurnInfo></Root>")
                                   .arg(studentId, allTurnInfo)));
    }
    void servePicture(const QImage& image) {
        server.queueReply(QStringLiteral("GetImageFile"), PngBytes(image), 200, "image/jpeg");
    }
    // Fetches a paper of one 1000 x 800 light grey page.
    void openPaper(const QString& allTurnInfo = QString()) {
        serveQuestion(QStringLiteral("S001"), allTurnInfo);
        servePicture(PlainPicture(1000, 800, qRgb(230, 230, 230)));
        window->ActLoadPaper->trigger();
    }

    imaging::ImageView& view() const { return *window->ViewImageEnVect; }
    QPoint viewPoint(int x, int y) const { return view().imageToView(QPointF(x, y)); }
    int imageRequests() const {
        return int(server.requestsFor(QStringLiteral("GetImageFile")).size());
    }

    std::unique_ptr<TFrmMainWindow> window;

private:
};
