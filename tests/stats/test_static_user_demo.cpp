// The statistics window opened from the marking window against the demo
// server: the figures a marker sees move after submissions, but only when
// the window is shown again.

#include "AppPaths.h"
#include "DemoServer.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "IniFile.h"
#include "RecordingMessages.h"
#include "StatTables.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "UntStaticUser.h"
#include "XmlReply.h"

#include <QAction>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The row whose `key` column reads `text`, as the grid shows it; empty when none.
QStringList rowWhere(const TStatTableModel& table, int key, const QString& text) {
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.cellText(r, key) != text)
            continue;
        QStringList row;
        for (int c = 0; c < table.columnCount(); ++c)
            row << table.cellText(r, c);
        return row;
    }
    return {};
}

struct Figures {
    QStringList own;      // 教师, 权限, 评阅数量 of 基础知识 turn 1
    QStringList subject;  // 题组 ... 平均分 of 基础知识 turn 1
    QStringList second;   // the same of 基础知识 turn 2
    QStringList workload; // 教师, 批阅总数, 正批阅 of 张老师
    QStringList quality;  // 教师代码 ... 均方差 of t01
};

Figures read(const TFrmStaticUser& w) {
    const QString group = QStringLiteral("语文 基础知识 一评");
    return {rowWhere(*w.StaticMe, 1, group), rowWhere(*w.StaticMeSubject, 0, group),
            rowWhere(*w.StaticMeSubject, 0, QStringLiteral("语文 基础知识 二评")),
            rowWhere(*w.QueryStatUserCount, 0, QStringLiteral("张老师")),
            rowWhere(*w.QueryQuality, 0, QStringLiteral("t01"))};
}

double number(const QString& text) {
    double value = 0;
    EXPECT_TRUE(ReadNumber(text, &value)) << text.toStdString();
    return value;
}

TEST(StaticUserDemo, FiguresMoveAfterSubmissionsWhenTheWindowIsShownAgain) {
    QTemporaryDir appDir;
    QTemporaryDir dataDir;
    ASSERT_TRUE(appDir.isValid() && dataDir.isValid());
    SetAppDir(appDir.path());
    // 基础知识, turn 1, scores 0 to 10.
    IniFile(ConfigIniPath())
        .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                     QStringLiteral("010101"));

    ServerOptions options;
    options.port = 0;
    options.dataDir = dataDir.path();
    options.students = 12;
    DemoServer server(options);
    ASSERT_TRUE(server.start()) << server.error().toStdString();

    RecordingMessages messages;
    QtHttpGet http;
    XmlReply xml;
    TPublicFuctionObject state(http, xml);
    state.ServerUrl = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
    ASSERT_TRUE(state.ValidateUser(QStringLiteral("t01"), QStringLiteral("1")));

    auto window = std::make_unique<TFrmMainWindow>(state);
    TFrmMainWindow& w = *window;
    w.ShowSettingsDialog = [](TFrmViewPaperConfig&) {};
    w.resize(1000, 800);
    w.show();
    ASSERT_EQ(state.QuestionId, QStringLiteral("0101"));

    w.findChild<QAction*>(QStringLiteral("ActStaticUser"))->trigger();
    QPointer<QDialog> opened = w.findChild<TFrmStaticUser*>();
    auto* stats = qobject_cast<TFrmStaticUser*>(opened.data());
    ASSERT_NE(stats, nullptr);
    EXPECT_TRUE(stats->isVisible());
    ASSERT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    const Figures before = read(*stats);
    ASSERT_EQ(before.own.value(2), QStringLiteral("0"));
    ASSERT_EQ(before.workload, (QStringList{"张老师", "0", "0"}));
    ASSERT_TRUE(before.quality.isEmpty()); // no marks of t01 yet
    ASSERT_EQ(before.subject.size(), 7);
    const int finishedBefore = before.subject[2].toInt();
    const double averageBefore = number(before.subject[6]);

    // Two papers marked 7 and 4, a third one handed out and still open.
    const QList<std::pair<double, QString>> marks = {{7, QStringLiteral("1:3|2:4|")},
                                                     {4, QStringLiteral("1:2|2:2|")}};
    for (const auto& [mark, submarks] : marks) {
        ASSERT_TRUE(state.GetQuestion());
        ASSERT_TRUE(state.SaveSymbol(submarks, QString(), mark, QStringLiteral("0"), QString()));
    }
    ASSERT_TRUE(state.GetQuestion());

    // While the window is visible the command only brings it to the front.
    w.findChild<QAction*>(QStringLiteral("ActStaticUser"))->trigger();
    EXPECT_EQ(static_cast<QDialog*>(w.findChild<TFrmStaticUser*>()), stats);
    const Figures unchanged = read(*stats);
    EXPECT_EQ(unchanged.own, before.own);
    EXPECT_EQ(unchanged.workload, before.workload);

    stats->close();
    w.findChild<QAction*>(QStringLiteral("ActStaticUser"))->trigger();
    EXPECT_EQ(static_cast<QDialog*>(w.findChild<TFrmStaticUser*>()), stats);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    const Figures after = read(*stats);
    EXPECT_EQ(after.own.value(2), QStringLiteral("2"));
    EXPECT_EQ(after.workload, (QStringList{"张老师", "2", "1"}));
    EXPECT_EQ(after.quality, (QStringList{"t01", "张老师", "7", "4", "5.5", "1.5"}));
    ASSERT_EQ(after.subject.size(), 7);
    EXPECT_EQ(after.subject[2].toInt(), finishedBefore + 2);
    EXPECT_EQ(after.subject[3], QStringLiteral("1"));
    EXPECT_NEAR(number(after.subject[6]),
                (averageBefore * finishedBefore + 11) / (finishedBefore + 2), 1e-9);
    EXPECT_GE(number(after.subject[4]), 7);
    // The second turn marks the papers the first has marked: its total follows.
    ASSERT_EQ(after.second.size(), 7);
    EXPECT_EQ(before.second.value(1), before.subject[2]);
    EXPECT_EQ(after.second[1], after.subject[2]);

    // The window dies with the marking window.
    window.reset();
    EXPECT_TRUE(opened.isNull());
}

} // namespace
