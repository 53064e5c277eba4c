#pragma once
// A marking window signed in against a scripted server, for the submission
// and call-back tests: permission P1 with two sub-questions at (100, 100)
// and (100, 200), each 0 to 5, full score 10, one page cut from a 400 × 300
// picture served by GetImageFile.

#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "PaperComposer.h"
#include "RecordingMessages.h"
#include "ScoreTexts.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class MarkingWindowTest : public ::testing::Test, protected ScriptedClient {
protected:
    // GetParam reply; `basic` is the seven Basic items.
    static QByteArray ParamReply(const QString& basic) {
        return GbkXml(QStringLiteral("<Root><Basic>%1</Basic><Cut>(1,1,0,0,400,300,1)</Cut>"
                                     "<SubQuestion>(1,第1小题,0,5,100,100),(2,第2小题,0,5,100,200)"
                                     "</SubQuestion><Paper>img,1,8,1,1,Q1,自动,是,x</Paper>"
                                     "<MarkDesc></MarkDesc></Root>")
                          .arg(basic));
    }

    static QByteArray PagePicture() {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(QColor(200, 220, 240));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // A CallBack (or GetQuestion) reply; values as the server sends them.
    static QByteArray PaperReply(const QString& studentId, const QString& allTurnInfo = {},
                                 const QString& tag = {}) {
        return GbkXml(QStringLiteral("<Root><StudentId>%1</StudentId><AllTurnInfo>%2</AllTurnInfo>"
                                     "<Tag>%3</Tag><Mark>0</Mark></Root>")
                          .arg(studentId, allTurnInfo, tag));
    }

    void SetUp() override {
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                         QStringLiteral("P1"));
        state.UserId = QStringLiteral("T01");
        state.UserName = QStringLiteral("张老师");
        state.Validated = true;
        state.Permissions = {
            {QStringLiteral("P1"), QStringLiteral("第一题"), QStringLiteral("|1|2|")}};
        server.setReply(QStringLiteral("ResetBufferByUser"), gbk::encode(QStringLiteral("成功")),
                        200, "text/plain");
        server.setReply(QStringLiteral("GetParam"), ParamReply(QStringLiteral("0,10,1,0,0,01,1")));
        server.setReply(QStringLiteral("GetImageFile"), PagePicture(), 200, "image/png");
        server.setReply(QStringLiteral("SaveSymbol"), gbk::encode(QStringLiteral("成功")), 200,
                        "text/plain");
    }
    void TearDown() override { window.reset(); }

    TFrmMainWindow& open() {
        window = std::make_unique<TFrmMainWindow>(state);
        window->ShowSettingsDialog = [](TFrmViewPaperConfig&) {};
        window->resize(900, 700);
        window->show();
        return *window;
    }

    // A paper as a fetch leaves it: a 400 × 600 picture, "?" placeholders,
    // the paper open with its commands. Independent of the fetch command.
    void openPaperDirectly(const QString& studentId = QStringLiteral("S001")) {
        TFrmMainWindow& w = *window;
        state.StudentId = studentId;
        QImage image(400, 600, QImage::Format_RGB32);
        image.fill(Qt::gray);
        w.ViewImageEnVect->setImage(image);
        for (imaging::ImageView* view : w.PageViews)
            view->setImage(image);
        marking::AddPlaceholders(*w.ViewImageEnVect, state.SubQuestions);
        w.PaperLoaded = true;
        w.ActLoadPaper->setEnabled(false);
        w.ActSavePaper->setEnabled(true);
        w.ActViewOri->setEnabled(true);
        w.ViewImageEnVect->setEnabled(true);
    }

    // Texts of the main view's objects, in layer order.
    QStringList objectTexts() const {
        QStringList texts;
        const imaging::VectorLayer& layer = window->ViewImageEnVect->layer();
        for (imaging::ObjectHandle h : layer.handles())
            texts.append(layer.object(h)->text);
        return texts;
    }

    std::unique_ptr<TFrmMainWindow> window;
};
