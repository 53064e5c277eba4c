// The settings dialog: permission list, common-score grid, the saved
// MarkConfig and what closing stores.

#include "AppPaths.h"
#include "HttpGet.h"
#include "IniFile.h"
#include "RecordingMessages.h"
#include "ScoreGrid.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "UntPublic.h"
#include "UntViewPaperConfig.h"
#include "XmlReply.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ViewPaperConfigTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.UserId = QStringLiteral("T01");
        state.Validated = true;
        state.Permissions = {
            {QStringLiteral("P1"), QStringLiteral("第一题 一评"), QString()},
            {QStringLiteral("P2"), QStringLiteral("第二题 一评"), QStringLiteral("|2|")}};
        server.setReply(QStringLiteral("SavePersonConfig"), QByteArray());
    }

    // Saved permission P1, so opening builds the grid without a request.
    void useRange(double lowest, double full, double step, const QString& markConfig) {
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                         QStringLiteral("P1"));
        state.LowestScore = lowest;
        state.FullScore = full;
        state.ScoreStep = step;
        state.Permissions[0].MarkConfig = markConfig;
    }

    static QStringList cellTexts(const ScoreGrid& grid) {
        QStringList texts;
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int c = 0; c < grid.colCount(); ++c)
                texts << grid.cellText(c, r);
        return texts;
    }

    QString sentMarkConfig() {
        const auto sent = server.requestsFor(QStringLiteral("SavePersonConfig"));
        return sent.isEmpty() ? QStringLiteral("<none>") : QueryValue(sent.last(), "MarkConfig");
    }
};

struct GridCase {
    double lowest, full, step;
    int cols, rows;
    QStringList texts;       // row by row, "" = empty cell
    int colWidth, rowHeight; // what the 180-pixel grid leaves each cell
};

TEST_F(ViewPaperConfigTest, GridShapeAndTextsFollowTheScoreRange) {
    const GridCase cases[] = {
        {0, 10, 1, 3, 4, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", ""}, 58, 43},
        {0, 2, 1, 2, 2, {"0", "1", "2", ""}, 87, 87},
        {0, 10, 3, 2, 3, {"0", "3", "6", "9", "", ""}, 87, 58},
        // Bounds are widened to whole numbers: 0.5 .. 7.5 becomes 0 .. 8.
        {0.5, 7.5, 1, 3, 3, {"0", "1", "2", "3", "4", "5", "6", "7", "8"}, 58, 58},
        // Half steps in the general number format; the bound itself is kept.
        {0, 1, 0.5, 2, 2, {"0", "0.5", "1", ""}, 87, 87},
        {0,
         1,
         0.1,
         3,
         4,
         {"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1", ""},
         58,
         43},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1..%2 step %3").arg(c.lowest).arg(c.full).arg(c.step).toStdString());
        useRange(c.lowest, c.full, c.step, QString());
        TFrmViewPaperConfig dlg(state);
        EXPECT_EQ(dlg.Grid->colCount(), c.cols);
        EXPECT_EQ(dlg.Grid->rowCount(), c.rows);
        EXPECT_EQ(cellTexts(*dlg.Grid), c.texts);
        EXPECT_EQ(dlg.Grid->colWidth(), c.colWidth);
        EXPECT_EQ(dlg.Grid->rowHeight(), c.rowHeight);
    }
    EXPECT_TRUE(server.requestsFor(QStringLiteral("GetParam")).isEmpty());
}

TEST_F(ViewPaperConfigTest, CellColoursShowTheChosenScores) {
    useRange(0, 10, 1, QStringLiteral("|1|5|10|"));
    TFrmViewPaperConfig dlg(state);
    const ScoreGrid& g = *dlg.Grid;
    EXPECT_EQ(g.cellColor(1, 0), 255u);      // 1
    EXPECT_EQ(g.cellColor(2, 1), 255u);      // 5
    EXPECT_EQ(g.cellColor(1, 3), 255u);      // 10
    EXPECT_EQ(g.cellColor(0, 0), 16777215u); // 0: row + column even
    EXPECT_EQ(g.cellColor(0, 1), 16773867u); // 3: odd
    EXPECT_EQ(g.cellColor(2, 0), 16777215u); // 2: even
    EXPECT_EQ(g.cellColor(0, 3), 16773867u); // 9: odd

    useRange(0, 2, 1, QStringLiteral("  "));
    TFrmViewPaperConfig blank(state);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(blank.Grid->cellColor(i % 2, i / 2), 255u) << i;
}

TEST_F(ViewPaperConfigTest, ClickingTogglesScoreCellsOnly) {
    useRange(0, 2, 1, QString());
    TFrmViewPaperConfig dlg(state);
    dlg.GridClickCell(0, 1); // "1", red -> its alternating colour
    EXPECT_EQ(dlg.Grid->cellColor(1, 0), 16773867u);
    dlg.GridClickCell(0, 1);
    EXPECT_EQ(dlg.Grid->cellColor(1, 0), 255u);

    const quint32 emptyBefore = dlg.Grid->cellColor(1, 1);
    dlg.GridClickCell(1, 1);
    EXPECT_EQ(dlg.Grid->cellColor(1, 1), emptyBefore);

    // A mouse click on the widget reaches the same event with row and column.
    const QPoint cellTwo(dlg.Grid->colWidth() / 2,
                         dlg.Grid->rowHeight() + 1 + dlg.Grid->rowHeight() / 2);
    QTest::mouseClick(dlg.Grid, Qt::LeftButton, {}, cellTwo);
    EXPECT_EQ(dlg.Grid->cellColor(0, 1), 16773867u);
}

struct SaveCase {
    const char* name;
    QString markConfig;
    QList<QPair<int, int>> clicks; // (row, col)
    QString expected;
};

TEST_F(ViewPaperConfigTest, ConfirmSendsAndStoresTheRedScores) {
    const SaveCase cases[] = {
        {"blank config saves every score",
         QString(),
         {},
         QStringLiteral("|0|1|2|3|4|5|6|7|8|9|10|")},
        {"all unchecked saves a bare bar",
         QString(),
         {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}, {3, 0}, {3, 1}},
         QStringLiteral("|")},
        {"scores outside the grid are dropped",
         QStringLiteral("|2|2.5|11|"),
         {{0, 1}},
         QStringLiteral("|1|2|")},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        server.clearRequests();
        useRange(0, 10, 1, c.markConfig);
        TFrmViewPaperConfig dlg(state);
        for (const auto& [row, col] : c.clicks)
            dlg.GridClickCell(row, col);
        dlg.BtnSaveClick();
        EXPECT_EQ(sentMarkConfig(), c.expected);
        EXPECT_EQ(QueryValue(server.requestsFor(QStringLiteral("SavePersonConfig")).value(0),
                             "PermissionId"),
                  QStringLiteral("P1"));
        EXPECT_EQ(state.Permissions[0].MarkConfig, c.expected);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
}

TEST_F(ViewPaperConfigTest, FirstOpenWithoutConfigFetchesTheFirstPermission) {
    server.setReply(QStringLiteral("GetParam"),
                    GbkXml(QStringLiteral(
                        "<Root><Basic>0,2,1,0,0,01,1</Basic><Cut></Cut><SubQuestion></SubQuestion>"
                        "<Paper>img,1,8,1,1,Q1,自动,是,x</Paper><MarkDesc></MarkDesc></Root>")));
    TFrmViewPaperConfig dlg(state);
    EXPECT_EQ(dlg.ComboBoxNewPermission->count(), 2);
    EXPECT_EQ(dlg.ComboBoxNewPermission->currentIndex(), 0);
    EXPECT_EQ(state.PermissionId, QStringLiteral("P1"));
    const auto sent = server.requestsFor(QStringLiteral("GetParam"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(QueryValue(sent[0], "PermissionId"), QStringLiteral("P1"));
    EXPECT_EQ(cellTexts(*dlg.Grid), (QStringList{"0", "1", "2", ""}));
    // The default of AutoLoadPaper (false) replaces the form's ticked box.
    EXPECT_FALSE(dlg.CheckBoxAutoLoadPaper->isChecked());
    EXPECT_FALSE(dlg.CheckBoxPanelLeft->isChecked());
}

TEST_F(ViewPaperConfigTest, ChangingThePermissionFetchesItsParametersAtOnce) {
    useRange(0, 2, 1, QString());
    server.setReply(QStringLiteral("GetParam"),
                    GbkXml(QStringLiteral(
                        "<Root><Basic>0,5,1,0,0,01,1</Basic><Cut></Cut><SubQuestion></SubQuestion>"
                        "<Paper>img,1,8,1,1,Q2,自动,是,x</Paper><MarkDesc></MarkDesc></Root>")));
    TFrmViewPaperConfig dlg(state);
    ASSERT_TRUE(server.requestsFor(QStringLiteral("GetParam")).isEmpty());
    dlg.ComboBoxNewPermission->setCurrentIndex(1);
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    ASSERT_EQ(server.requestsFor(QStringLiteral("GetParam")).size(), 1);
    EXPECT_EQ(state.FullScore, 5);
    EXPECT_EQ(cellTexts(*dlg.Grid), (QStringList{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(dlg.Grid->colCount(), 2);
    EXPECT_EQ(dlg.Grid->cellColor(0, 1), 255u); // "2" of P2's "|2|"
    EXPECT_EQ(dlg.Grid->cellColor(1, 0), 16773867u);
}

TEST_F(ViewPaperConfigTest, ClosingStoresPermissionAndAutoLoadButNotTheScores) {
    useRange(0, 2, 1, QStringLiteral("|1|"));
    IniFile(ConfigIniPath())
        .writeBool(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"), true);
    server.setReply(QStringLiteral("GetParam"),
                    GbkXml(QStringLiteral("<Root><Basic>0,2,1,0,0,01,1</Basic></Root>")));
    TFrmViewPaperConfig dlg(state);
    EXPECT_TRUE(dlg.CheckBoxAutoLoadPaper->isChecked());
    dlg.ComboBoxNewPermission->setCurrentIndex(1);
    dlg.CheckBoxAutoLoadPaper->setChecked(false);
    dlg.GridClickCell(0, 0);
    state.PermissionId = QStringLiteral("elsewhere");
    dlg.reject(); // the close box

    const IniFile ini(ConfigIniPath());
    EXPECT_EQ(
        ini.readString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"), QString()),
        QStringLiteral("P2"));
    EXPECT_EQ(
        ini.readString(QStringLiteral("viewpaper"), QStringLiteral("autoloadpaper"), QString()),
        QStringLiteral("0"));
    EXPECT_EQ(state.PermissionId, QStringLiteral("P2"));
    EXPECT_FALSE(state.AutoLoadPaper);
    EXPECT_TRUE(server.requestsFor(QStringLiteral("SavePersonConfig")).isEmpty());
    EXPECT_EQ(state.Permissions[0].MarkConfig, QStringLiteral("|1|"));
}

TEST_F(ViewPaperConfigTest, StepThatBuildsNoGridLeavesItEmpty) {
    // Zero and negative steps never advance; a step so small that the range
    // holds more values than the grid has pixels cannot be shown either.
    for (double step : {0.0, -1.0, 1e-12}) {
        useRange(0, 10, step, QString());
        TFrmViewPaperConfig dlg(state);
        EXPECT_EQ(dlg.Grid->colCount() * dlg.Grid->rowCount(), 0) << step;
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
