// The demo server's data: command-line options, the exam layout the seed and
// the pictures are made from, the sample answer sheets and the seed itself.

#include "Database.h"
#include "ExamLayout.h"
#include "Options.h"
#include "SheetImages.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ServerOptions, ReadsEveryOption) {
    const ParsedOptions p =
        parseOptions({"--port", "0", "--data", "/tmp/d", "--db", "/tmp/x.sqlite", "--delay-ms",
                      "250", "--students", "7", "--fault", "GetQuestion=status500", "--fault",
                      "GetImageFile=truncated", "--pregenerate", "--dpi", "200", "--delay-ms",
                      "SaveSymbol=35000"});
    ASSERT_TRUE(p.error.isEmpty()) << p.error.toStdString();
    EXPECT_EQ(p.options.port, 0);
    EXPECT_EQ(p.options.dataDir, "/tmp/d");
    EXPECT_EQ(p.options.dbFile, "/tmp/x.sqlite");
    EXPECT_EQ(p.options.delayMs, 250);
    EXPECT_EQ(p.options.delays, (QMap<QString, int>{{"SaveSymbol", 35000}}));
    EXPECT_EQ(p.options.students, 7);
    EXPECT_TRUE(p.options.pregenerate);
    EXPECT_EQ(p.options.dpi, 200);
    EXPECT_EQ(parseOptions({}).options.dpi, 150);
    EXPECT_EQ(p.options.faults.value("GetQuestion"), Fault::Status500);
    EXPECT_EQ(p.options.faults.value("GetImageFile"), Fault::Truncated);
    EXPECT_EQ(parseOptions({}).options.port, 18080);
    EXPECT_TRUE(parseOptions({"--help"}).help);
    for (const char* name :
         {"--port", "--data", "--db", "--delay-ms", "--fault", "--dpi", "--help"})
        EXPECT_TRUE(optionsHelp().contains(name)) << name;
}

TEST(ServerOptions, RefusesWrongCommandLines) {
    const QList<QStringList> wrong{{"--port"},
                                   {"--port", "70000"},
                                   {"--port", "x"},
                                   {"--delay-ms", "-1"},
                                   {"--delay-ms", "SaveSymbol=x"},
                                   {"--delay-ms", "SaveSymbol=-5"},
                                   {"--fault", "GetQuestion"},
                                   {"--fault", "GetQuestion=explode"},
                                   {"--students", "0"},
                                   {"--dpi", "20"},
                                   {"--bogus"}};
    for (const QStringList& args : wrong)
        EXPECT_FALSE(parseOptions(args).error.isEmpty()) << args.join(' ').toStdString();
}

TEST(ExamLayout, RegionsLieOnPagesAndScorePositionsOnTheAnswerImage) {
    const QRect page(0, 0, layout::kPageWidth, layout::kPageHeight);
    ASSERT_GE(layout::kPageWidth, 1240);
    ASSERT_GE(layout::kPageHeight, 1754);
    EXPECT_TRUE(page.contains(layout::kInfoBox));
    for (const layout::Question& q : layout::questions()) {
        SCOPED_TRACE(q.questionId.toStdString());
        for (const layout::Region& r : q.regions) {
            EXPECT_TRUE(page.contains(r.rect));
            EXPECT_GE(r.page, 1);
            EXPECT_LE(r.page, layout::kPageCount);
            // Markers must not see the student's name on page 1.
            if (r.page == 1) {
                EXPECT_FALSE(r.rect.intersects(layout::kInfoBox));
            }
        }
        const QSize composed = layout::composedSize(q);
        double highest = 0;
        for (const layout::SubQuestion& s : q.subQuestions) {
            // Room for the 48 x 32 placeholder score text.
            EXPECT_TRUE(QRect(QPoint(0, 0), composed).contains(QRect(s.posX, s.posY, 48, 32)));
            highest += s.highest;
            for (const QChar c : s.id + s.name)
                EXPECT_FALSE(QStringLiteral("(),'\"").contains(c));
        }
        EXPECT_DOUBLE_EQ(highest, q.full);
    }
}

TEST(ExamLayout, CutWireListsSevenIntegersPerRegion) {
    const layout::Question* q = layout::findQuestion("0201");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(layout::cutWire(*q), "(1,1,60,400,1180,700,0),(2,1,60,720,1180,1020,0)");
    EXPECT_EQ(layout::subQuestionWire(*q),
              QStringLiteral("(1,解方程,0,5,900,80),(2,化简,0,5,900,380)"));
}

TEST(ExamLayout, CutWireRectanglesCutExactlyTheRegions) {
    // The client cuts (X1, Y1)-(X2, Y2) as X2 - X1 columns and Y2 - Y1 rows,
    // so the whole region, its frame included, reaches the answer image.
    for (const layout::Question& q : layout::questions()) {
        SCOPED_TRACE(q.questionId.toStdString());
        QStringList items =
            layout::cutWire(q).replace('(', ',').replace(')', ',').split(',', Qt::SkipEmptyParts);
        ASSERT_EQ(items.size(), 7 * q.regions.size());
        for (qsizetype i = 0; i < q.regions.size(); ++i) {
            const int x1 = items[7 * i + 2].toInt(), y1 = items[7 * i + 3].toInt();
            const int x2 = items[7 * i + 4].toInt(), y2 = items[7 * i + 5].toInt();
            EXPECT_EQ(QRect(x1, y1, x2 - x1, y2 - y1), q.regions[i].rect);
        }
    }
}

TEST(SheetImages, AtAnotherResolutionPagesAndRegionsScaleTogether) {
    // A4 at 200 dpi, the benchmark's pages.
    EXPECT_EQ(layout::pageSize(150), QSize(layout::kPageWidth, layout::kPageHeight));
    EXPECT_EQ(layout::pageSize(200), QSize(1654, 2339));
    const layout::Question* q = layout::findQuestion("0201");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(layout::cutWire(*q, 200), "(1,1,80,533,1573,933,0),(2,1,80,960,1573,1360,0)");

    QTemporaryDir dir;
    const QList<layout::Student> students = layout::students(1);
    SheetImages images(dir.path(), students, 200);
    const layout::Student& s = students[0];
    const QString folder =
        s.studentId.mid(layout::kStudentFolderStart - 1, layout::kStudentFolderLength);
    const auto page =
        images.lookup(QStringLiteral("D:\\demo\\02\\%1\\%2_1.jpg").arg(folder, s.studentId));
    ASSERT_EQ(page.status, 200) << page.reason.toStdString();
    EXPECT_EQ(QImage(page.filePath).size(), QSize(1654, 2339));
    const layout::Region& region = layout::findQuestion("0202")->regions.first();
    const auto cut = images.lookup(
        QStringLiteral("D:\\demo\\02\\%1\\%2_%3.jpg").arg(folder, s.studentId).arg(region.imageNo));
    ASSERT_EQ(cut.status, 200) << cut.reason.toStdString();
    EXPECT_EQ(QImage(cut.filePath).size(), layout::scaled(region.rect, 200).size());
    // Pictures of the two resolutions never share a file.
    EXPECT_NE(images.imagesDir(), SheetImages(dir.path(), students).imagesDir());
}

TEST(SheetImages, PagesAreDeterministicAndDifferPerStudent) {
    const QList<layout::Student> students = layout::students(2);
    const layout::Subject& subject = layout::subjects().first();
    const QImage a = SheetImages::drawPage(subject, students[0], 1);
    EXPECT_EQ(a.size(), QSize(layout::kPageWidth, layout::kPageHeight));
    EXPECT_EQ(a, SheetImages::drawPage(subject, students[0], 1));
    const QImage b = SheetImages::drawPage(subject, students[1], 1);
    // The information box (name, number) and the answers differ.
    EXPECT_NE(a.copy(layout::kInfoBox), b.copy(layout::kInfoBox));
    const QRect answer = layout::questions().first().regions.first().rect;
    EXPECT_NE(a.copy(answer), b.copy(answer));
    // Something is written in the answer region (ink, not only paper).
    int inked = 0;
    const QImage region = a.copy(answer);
    for (int y = 0; y < region.height(); y += 2)
        for (int x = 0; x < region.width(); x += 2)
            inked += qBlue(region.pixel(x, y)) > qRed(region.pixel(x, y)) + 40;
    EXPECT_GT(inked, 200);
}

TEST(SheetImages, ReadyCutAndCustomSheetPicturesAreDrawnOnDemand) {
    QTemporaryDir dir;
    const QList<layout::Student> students = layout::students(3);
    SheetImages images(dir.path(), students);
    const layout::Student& s = students[2];
    const QString folder =
        s.studentId.mid(layout::kStudentFolderStart - 1, layout::kStudentFolderLength);
    const layout::Question* ready = layout::findQuestion("0202");
    ASSERT_NE(ready, nullptr);
    const layout::Region& region = ready->regions.first();
    const auto cut = images.lookup(
        QStringLiteral("D:\\demo\\02\\%1\\%2_%3.jpg").arg(folder, s.studentId).arg(region.imageNo));
    ASSERT_EQ(cut.status, 200) << cut.reason.toStdString();
    EXPECT_EQ(QImage(cut.filePath).size(), region.rect.size());
    const auto sheet =
        images.lookup(QStringLiteral("D:\\demo\\02\\info\\%1\\%2_1F.jpg").arg(folder, s.studentId));
    ASSERT_EQ(sheet.status, 200) << sheet.reason.toStdString();
    EXPECT_EQ(QImage(sheet.filePath).size(), QSize(layout::kPageWidth, layout::kPageHeight));
    EXPECT_TRUE(sheet.filePath.startsWith(images.imagesDir() + "/"));
}

TEST(Database, SeedHasFortyStudentsAndTurnOneHistoryWithRealTags) {
    QTemporaryDir dir;
    Database db;
    QString error;
    ASSERT_TRUE(db.open(dir.filePath("seed.sqlite"), ServerOptions().students, &error))
        << error.toStdString();
    EXPECT_GE(db.queryOne("SELECT count(*) FROM students")->value(0).toInt(), 40);
    const QList<Row> tags =
        db.query("SELECT tag, mark, submarks FROM marks WHERE permission_id='010101'");
    ASSERT_FALSE(tags.isEmpty());
    const layout::Question* q = layout::findQuestion(layout::kSeededQuestion);
    for (const Row& r : tags) {
        const QString tag = r[0].toString();
        EXPECT_TRUE(tag.endsWith('!'));
        EXPECT_LE(tag.toLocal8Bit().size(), 499);
        const QStringList records = tag.split('!', Qt::SkipEmptyParts);
        // The score section: one "0" record per sub-question at its position,
        // adding up to the stored mark.
        double total = 0;
        for (int i = 0; i < q->subQuestions.size(); ++i) {
            const QStringList f = records.value(i).split(';');
            ASSERT_EQ(f.size(), 4);
            EXPECT_EQ(f[0], "0");
            EXPECT_EQ(f[1].toInt(), q->subQuestions[i].posX);
            EXPECT_EQ(f[2].toInt(), q->subQuestions[i].posY);
            total += f[3].toDouble();
        }
        EXPECT_DOUBLE_EQ(total, r[1].toDouble());
        for (const QString& record : records) {
            const int fields = int(record.split(';').size());
            EXPECT_EQ(fields, QStringLiteral("134").contains(record.left(1)) ? 5 : 4)
                << record.toStdString();
        }
    }
    // Opening again keeps what is there (no second seed).
    db.exec("DELETE FROM marks");
    db.close();
    ASSERT_TRUE(db.open(dir.filePath("seed.sqlite"), 42, &error));
    EXPECT_EQ(db.queryOne("SELECT count(*) FROM marks")->value(0).toInt(), 0);
}

} // namespace
