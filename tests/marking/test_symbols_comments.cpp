// The comment list's file Comment.TXT and the text a comment gets on the
// paper.

#include "CommentList.h"
#include "GbkText.h"
#include "PaperComposer.h"
#include "RecordingMessages.h"
#include "TagFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CommentFile, RoundTripInGbkWithCrLfLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comment.TXT"));
    const QStringList comments = {QStringLiteral("书写工整"), QStringLiteral("Good"),
                                  QStringLiteral("步骤不全")};

    marking::WriteCommentFile(path, comments);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), gbk::encode(QStringLiteral("书写工整\r\nGood\r\n步骤不全\r\n")));
    EXPECT_EQ(marking::ReadCommentFile(path), comments);
}

TEST(CommentFile, ReadsAFileWithoutTheLastLineEndAndAMissingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comment.TXT"));
    EXPECT_TRUE(marking::ReadCommentFile(path).isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gbk::encode(QStringLiteral("好\r\n很好")));
    file.close();
    EXPECT_EQ(marking::ReadCommentFile(path),
              (QStringList{QStringLiteral("好"), QStringLiteral("很好")}));
}

TEST(CommentFile, ALineBreakInsideAnItemDoesNotSplitIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comment.TXT"));
    marking::WriteCommentFile(path, {QStringLiteral("甲\r\n乙"), QStringLiteral("丙")});
    EXPECT_EQ(marking::ReadCommentFile(path),
              (QStringList{QStringLiteral("甲乙"), QStringLiteral("丙")}));
}

TEST(CommentFile, AnUnwritablePathIsReportedOncePerSession) {
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/Comment.TXT"));
    EXPECT_FALSE(marking::WriteCommentFile(path, {QStringLiteral("好")}));
    EXPECT_FALSE(marking::WriteCommentFile(path, {QStringLiteral("好"), QStringLiteral("差")}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(
        messages.shown[0].startsWith(QStringLiteral("Cannot create file \"%1\".").arg(path)));
}

// A file saved as UTF-8 by an editor (with or without a byte-order mark) is
// read as UTF-8; GBK and plain ASCII files read as before.
TEST(CommentFile, Utf8FilesAreReadAsUtf8) {
    const QStringList comments = {QStringLiteral("书写工整"), QStringLiteral("Good"),
                                  QStringLiteral("步骤不全")};
    const QByteArray utf8 = QStringLiteral("书写工整\r\nGood\n步骤不全\r\n").toUtf8();
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + utf8, comments},
        {"UTF-8 without mark", utf8, comments},
        {"GBK", gbk::encode(QStringLiteral("书写工整\r\nGood\r\n步骤不全\r\n")), comments},
        {"ASCII", "Good\r\nNice\r\n", {QStringLiteral("Good"), QStringLiteral("Nice")}},
        // One GBK pair that is not valid UTF-8 makes the whole file GBK.
        {"GBK that starts like UTF-8",
         "\xC3\xA9" + gbk::encode(QStringLiteral("好\r\n")),
         {gbk::decode("\xC3\xA9") + QStringLiteral("好")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Comment.TXT"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        EXPECT_EQ(marking::ReadCommentFile(path), c.lines);
    }
}

// The next new comment rewrites the file in GBK when that keeps every line;
// a line GBK cannot hold leaves the file as it was and the user is told.
TEST(CommentFile, RewrittenOnlyInAFormThatKeepsEveryLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comment.TXT"));
    const QString emoji = QStringLiteral("好") + QString::fromUcs4(U"\U0001F600");
    const QByteArray original = "\xEF\xBB\xBF" + (emoji + QStringLiteral("\r\n")).toUtf8();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    RecordingMessages messages;
    QStringList items = marking::ReadCommentFile(path);
    ASSERT_EQ(items, QStringList{emoji});
    items << QStringLiteral("认真");
    EXPECT_FALSE(marking::WriteCommentFile(path, items));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains(emoji));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    file.close();

    // Every character has a GBK form, but these GBK bytes (E2 80 81 40) are
    // valid UTF-8 as well and would read back as other text.
    messages.shown.clear();
    EXPECT_FALSE(marking::WriteCommentFile(path, {QStringLiteral("鈥丂")}));
    EXPECT_EQ(messages.shown.size(), 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    file.close();

    // Every character has a GBK form: written in GBK, read back whole.
    const QStringList plain = {QStringLiteral("书写工整"), QStringLiteral("€ 5")};
    EXPECT_TRUE(marking::WriteCommentFile(path, plain));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), gbk::encode(QStringLiteral("书写工整\r\n€ 5\r\n")));
    EXPECT_EQ(marking::ReadCommentFile(path), plain);
}

TEST(CommentText, SeparatorsQuotesAndLineBreaksCannotBreakTheTag) {
    struct Case {
        QString typed;
        QString put;
    } cases[] = {
        {QStringLiteral("好!"), QStringLiteral("好！")},
        {QStringLiteral("a;b"), QStringLiteral("a；b")},
        {QStringLiteral("\"对\""), QStringLiteral("＂对＂")},
        {QStringLiteral("it's"), QStringLiteral("it＇s")},
        {QStringLiteral("一\r\n二\n"), QStringLiteral("一二")},
        {QStringLiteral("  认真 "), QStringLiteral("认真")},
        {QStringLiteral(" \r\n "), QString()},
        {QStringLiteral("a|b$c&d"), QStringLiteral("a｜b＄c＆d")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(marking::SanitizeComment(c.typed), c.put) << c.typed.toStdString();

    // Read back through the tag, a sanitised comment stays one whole mark and
    // the marks after it survive.
    const QString comment = marking::SanitizeComment(QStringLiteral("错!看\"书';\r\n"));
    imaging::VectorLayer layer;
    layer.add(marking::MakeSymbolText(200, 500, comment));
    layer.add(marking::MakeShapeMark(imaging::ObjectKind::Box, 50, 280, 300, 200));
    const QString tag = marking::BuildTag(layer, {});
    imaging::VectorLayer read;
    marking::DrawTag(read, {}, tag, {});
    ASSERT_EQ(read.count(), 2);
    EXPECT_EQ(read.object(read.handleAt(0))->text, comment);
    EXPECT_EQ(read.object(read.handleAt(1))->kind, imaging::ObjectKind::Box);
}

TEST(CommentText, SanitisedCommentKeepsItsTurnWholeInTheHistory) {
    const QString comment = marking::SanitizeComment(QStringLiteral("好|差$中&"));
    imaging::VectorLayer layer;
    layer.add(marking::MakeSymbolText(200, 500, comment));
    layer.add(marking::MakeShapeMark(imaging::ObjectKind::Box, 50, 280, 300, 200));
    const QString tag = marking::BuildTag(layer, {});

    // Two turns as the server joins them; the client reads each "$" as "&".
    QString allTurnInfo = QStringLiteral("1$8$") + tag + QStringLiteral("|2$7$") + tag;
    allTurnInfo.replace(QLatin1Char('$'), QLatin1Char('&'));
    const QList<marking::HistoryEntry> turns = marking::SplitHistory(allTurnInfo);
    ASSERT_EQ(turns.size(), 2);
    for (const marking::HistoryEntry& turn : turns) {
        EXPECT_TRUE(turn.valid);
        EXPECT_EQ(turn.tag, tag);
    }
}

TEST(CommentText, ListLookupIgnoresLetterCase) {
    const QStringList items = {QStringLiteral("Good"), QStringLiteral("好")};
    EXPECT_TRUE(marking::ContainsComment(items, QStringLiteral("GOOD")));
    EXPECT_TRUE(marking::ContainsComment(items, QStringLiteral("好")));
    EXPECT_FALSE(marking::ContainsComment(items, QStringLiteral("好好")));
}

} // namespace
