// The review system end to end against the demo server, in-process: sign in
// as the review teacher, pick subject, class and question group, show a
// student with two marking turns, and a question group of ready-cut images.

#include "DemoServer.h"
#include "ExamLayout.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "RecordingMessages.h"
#include "TagFormat.h"
#include "UntPublic.h"
#include "UntViewTeach.h"
#include "XmlReply.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The request layer with every address it was given kept.
class RecordingHttp : public IHttpGet {
public:
    HttpResult get(const QByteArray& address) override {
        addresses.append(address);
        return m_http.get(address);
    }
    QList<QByteArray> addresses;

private:
    QtHttpGet m_http;
};

void Pick(QComboBox* list, const QString& text) {
    const int i = list->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    list->setCurrentIndex(i);
    emit list->activated(i);
}

void ClickRow(QTreeWidget* list, int row) {
    const QRect r = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(r.right() - 4, r.center().y()));
}

QList<QRect> Extents(const imaging::VectorLayer& layer) {
    QList<QRect> extents;
    for (imaging::ObjectHandle h : layer.handles()) {
        const imaging::VectorObject* o = layer.object(h);
        extents.append(QRect(o->left, o->top, o->width, o->height));
    }
    return extents;
}

int NonWhitePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

class ReviewDemo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataDir.isValid());
        ServerOptions options;
        options.port = 0;
        options.dataDir = dataDir.path();
        options.students = 6;
        server = std::make_unique<DemoServer>(options);
        ASSERT_TRUE(server->start()) << server->error().toStdString();
        state.ServerUrl = QStringLiteral("http://127.0.0.1:%1").arg(server->port());
        ASSERT_TRUE(state.ValidateUser(QStringLiteral("r01"), QStringLiteral("1")));
        window = std::make_unique<TFrmViewTech>(state);
        window->resize(1200, 800);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QStringList requestedFiles() const {
        QStringList files;
        for (const QByteArray& a : http.addresses)
            if (a.contains("/GetImageFile?"))
                files << QString::fromLatin1(a.mid(a.indexOf("File=") + 5));
        return files;
    }

    // Declared first, so it stops after the client has closed its
    // connections (a kept-alive connection would hold the stop).
    QTemporaryDir dataDir;
    std::unique_ptr<DemoServer> server;
    RecordingMessages messages;
    RecordingHttp http;
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
    std::unique_ptr<TFrmViewTech> window;
};

} // namespace

TEST_F(ReviewDemo, StudentWithTwoTurnsShowsTheComposedAnswerAndEachTurnsMarks) {
    TFrmViewTech& w = *window;
    ASSERT_EQ(w.ComboBoxSubject->count(), 2);
    Pick(w.ComboBoxSubject, QStringLiteral("01:语文"));
    ASSERT_EQ(w.ComboBoxClass->count(), 3);
    Pick(w.ComboBoxClass, w.ComboBoxClass->itemText(0));
    Pick(w.ComboBoxQuestionId, QStringLiteral("基础知识"));
    EXPECT_EQ(state.CutMode, QStringLiteral("自动"));
    EXPECT_EQ(state.PageCount, layout::kPageCount);
    EXPECT_EQ(w.PageViews.size(), layout::kPageCount);

    // Class 01 of six students: the first and the fourth.
    ASSERT_EQ(w.ListView->topLevelItemCount(), 2);
    ASSERT_EQ(w.ListView->topLevelItem(0)->text(0), QStringLiteral("260101"));
    const layout::Question& question = *layout::findQuestion(QStringLiteral("0101"));
    const layout::SeededMarking turn1 = layout::seededMarking(question, 0, 1);
    const layout::SeededMarking turn2 = layout::seededMarking(question, 0, 2);
    EXPECT_EQ(w.ListView->topLevelItem(0)->text(2), QString::number(turn2.total, 'g', 15));

    http.addresses.clear();
    ClickRow(w.ListView, 0);
    EXPECT_EQ(requestedFiles().size(), 1); // one page, fetched once
    EXPECT_EQ(w.ImageEnVect->image().size(), layout::composedSize(question));
    EXPECT_GT(NonWhitePixels(w.ImageEnVect->image()), 100);
    EXPECT_EQ(w.ComboBoxTurn->count(), 2);
    EXPECT_EQ(w.ComboBoxTurn->currentText(), QStringLiteral("2"));

    // The marks of each turn are those of the tag the server stored for it.
    imaging::VectorLayer expected;
    marking::DrawReviewMarks(expected, turn2.tag);
    EXPECT_EQ(Extents(w.ImageEnVect->layer()), Extents(expected));
    Pick(w.ComboBoxTurn, QStringLiteral("1"));
    marking::DrawReviewMarks(expected, turn1.tag);
    EXPECT_EQ(Extents(w.ImageEnVect->layer()), Extents(expected));
    EXPECT_NE(turn1.tag, turn2.tag);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(ReviewDemo, ReadyCutQuestionGroupComposesItsTwoImages) {
    TFrmViewTech& w = *window;
    Pick(w.ComboBoxSubject, QStringLiteral("02:数学"));
    Pick(w.ComboBoxClass, w.ComboBoxClass->itemText(1));
    Pick(w.ComboBoxQuestionId, QStringLiteral("解答题"));
    EXPECT_EQ(state.CutMode, QStringLiteral("定制"));
    ASSERT_GE(w.ListView->topLevelItemCount(), 1);
    const QString student = w.ListView->topLevelItem(0)->text(0);

    http.addresses.clear();
    ClickRow(w.ListView, 0);
    const QStringList files = requestedFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[0].endsWith(student + QStringLiteral("_21.jpg"))) << files[0].toStdString();
    EXPECT_TRUE(files[1].endsWith(student + QStringLiteral("_22.jpg"))) << files[1].toStdString();
    const layout::Question& question = *layout::findQuestion(QStringLiteral("0202"));
    EXPECT_EQ(w.ImageEnVect->image().size(), layout::composedSize(question));
    EXPECT_GT(NonWhitePixels(w.ImageEnVect->image()), 100);
    // No paper of this group was marked yet: no turns, no marks.
    EXPECT_EQ(w.ComboBoxTurn->count(), 0);
    EXPECT_EQ(w.ImageEnVect->layer().count(), 0);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
