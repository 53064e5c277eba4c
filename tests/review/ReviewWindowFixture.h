#pragma once
// A review window against a scripted loopback server: helpers that script
// the replies of the selection chain as GBK XML, serve each picture by its
// File value (the pictures of one paper are fetched together and arrive in
// any order), pick list items as the user does and click student rows.

#include "GbkText.h"
#include "ImageView.h"
#include "ScriptedClient.h"
#include "TestPictures.h"
#include "UntViewTeach.h"

#include <QComboBox>
#include <QImage>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

// A reply of records <R><field>value</field>...</R> under one root; values
// are escaped for XML.
inline QByteArray RecordsXml(const QString& field, const QStringList& values) {
    QString body = QStringLiteral("<Root>");
    for (const QString& v : values)
        body += QStringLiteral("<R><%1>%2</%1></R>").arg(field, v.toHtmlEscaped());
    return GbkXml(body + QStringLiteral("</Root>"));
}

struct StudentRow {
    QString id;
    QString name;
    QString lastMark;
    QString turns; // as the server sends it, "$"-separated fields
};

class ReviewWindowTest : public ::testing::Test, protected ScriptedClient {
protected:
    void TearDown() override { window.reset(); }

    void openWindow() {
        state.UserId = QStringLiteral("r01");
        window = std::make_unique<TFrmViewTech>(state);
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // --- Replies ----------------------------------------------------------
    void serveSubjects(const QStringList& items) {
        server.setReply(QStringLiteral("QuerySubject"),
                        RecordsXml(QStringLiteral("Subject"), items));
    }
    void serveClasses(const QStringList& items) {
        server.setReply(QStringLiteral("QueryClass"), RecordsXml(QStringLiteral("Class"), items));
    }
    // Pairs of id and name.
    void serveQuestions(const QList<QPair<QString, QString>>& groups) {
        QString body = QStringLiteral("<Root>");
        for (const auto& g : groups)
            body += QStringLiteral("<R><QuestionId>%1</QuestionId><QuestionName>%2</QuestionName>"
                                   "</R>")
                        .arg(g.first.toHtmlEscaped(), g.second.toHtmlEscaped());
        server.setReply(QStringLiteral("QueryQuestion"), GbkXml(body + QStringLiteral("</Root>")));
    }
    void serveCutParam(const QString& cut, const QString& paper) {
        server.setReply(QStringLiteral("GetCutParam"),
                        GbkXml(QStringLiteral("<CutParam><Cut>%1</Cut><Paper>%2</Paper></CutParam>")
                                   .arg(cut.toHtmlEscaped(), paper.toHtmlEscaped())));
    }
    void serveStudents(const QList<StudentRow>& rows) {
        QString body = QStringLiteral("<Root>");
        for (const StudentRow& s : rows)
            body += QStringLiteral("<R><StudentId>%1</StudentId><Name>%2</Name>"
                                   "<Lastmark>%3</Lastmark><AllTurnInfo>%4</AllTurnInfo></R>")
                        .arg(s.id.toHtmlEscaped(), s.name.toHtmlEscaped(),
                             s.lastMark.toHtmlEscaped(), s.turns.toHtmlEscaped());
        server.setReply(QStringLiteral("QueryStQuestion"),
                        GbkXml(body + QStringLiteral("</Root>")));
    }
    // The picture whose File value is `file`.
    void servePicture(const QString& file, const QImage& picture) {
        server.setReplyFor(QStringLiteral("GetImageFile"), "File", file, PngBytes(picture));
    }
    // File value of picture n of a student under image root "img", question
    // group 0101 and student folder = the id's first two characters.
    static QString FileOf(const QString& studentId, int n) {
        return QStringLiteral("img\\01\\") + studentId.left(2) + QLatin1Char('\\') + studentId +
               QLatin1Char('_') + QString::number(n) + QStringLiteral(".jpg");
    }
    static QString PaperOf(const QString& cutMode, int pageCount) {
        return QStringLiteral("img,1,2,3,%1,0101,%2,是").arg(pageCount).arg(cutMode);
    }

    // --- The user's actions ------------------------------------------------
    // Picks item `index` of a drop-down list as a click in its pop-up does
    // (the same item again included).
    static void pick(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // Subject 0, class 0 and question group 0 with the replies scripted.
    void chooseQuestionGroup() {
        pick(window->ComboBoxSubject, 0);
        pick(window->ComboBoxClass, 0);
        pick(window->ComboBoxQuestionId, 0);
    }
    // One window, a subject, a class and question group 0101 with these
    // cuts, cut mode and page count, and these students.
    void openAt(const QString& cut, const QString& cutMode, int pageCount,
                const QList<StudentRow>& rows) {
        serveSubjects({QStringLiteral("01:语文")});
        serveClasses({QStringLiteral("02:二班")});
        serveQuestions({{QStringLiteral("0101"), QStringLiteral("基础知识")}});
        serveCutParam(cut, PaperOf(cutMode, pageCount));
        serveStudents(rows);
        openWindow();
        chooseQuestionGroup();
    }
    void clickRow(int row) {
        QTreeWidgetItem* item = window->ListView->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        const QRect r = window->ListView->visualItemRect(item);
        QTest::mouseClick(window->ListView->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(r.right() - 4, r.center().y()));
    }

    // --- What the server saw ----------------------------------------------
    QStringList requestedFiles() const {
        QStringList files;
        for (const QByteArray& target : server.requestsFor(QStringLiteral("GetImageFile")))
            files << QueryValue(target, "File");
        return files;
    }

    imaging::ImageView& image() const { return *window->ImageEnVect; }
    QList<imaging::VectorObject> marks() const {
        QList<imaging::VectorObject> objects;
        for (imaging::ObjectHandle h : image().layer().handles())
            objects.append(*image().layer().object(h));
        return objects;
    }
    QStringList turnItems() const {
        QStringList items;
        for (int i = 0; i < window->ComboBoxTurn->count(); ++i)
            items << window->ComboBoxTurn->itemText(i);
        return items;
    }

    std::unique_ptr<TFrmViewTech> window;
};
