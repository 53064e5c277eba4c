// The statistics window against a scripted loopback server: the four
// requests of every showing, the tables, grids and charts they fill, and what
// a failure leaves behind.

#include "GbkText.h"
#include "RecordingMessages.h"
#include "ScriptedClient.h"
#include "ScriptedServer.h"
#include "StatCharts.h"
#include "StatTables.h"
#include "UntNormalManage.h"
#include "UntPublic.h"
#include "UntStaticUser.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kCommands = {QStringLiteral("StaticUser"), QStringLiteral("StatSubject"),
                               QStringLiteral("QueryStatUserCount"),
                               QStringLiteral("QueryQuality")};

// The record elements of each command's reply, in the order the server writes them.
QStringList elementsOf(const QString& command) {
    if (command == QStringLiteral("StaticUser"))
        return {"UserName", "PermissionName", "StudentCount"};
    if (command == QStringLiteral("StatSubject"))
        return {"QuestionName", "TotalNum", "CompNum", "ToNum", "MaxMark", "MinMark", "AvgMark"};
    if (command == QStringLiteral("QueryStatUserCount"))
        return {"UserName", "StudentCount", "DoingCount"};
    return {"UserId", "UserName", "MaxMark", "MinMark", "AvgMark", "StddevMark"};
}

// Names carry the reply's generation and the record's position ("名2-0");
// numbers are 10 * generation + position.
QString valueOf(const QString& element, int generation, int record) {
    if (element == QStringLiteral("UserId"))
        return QStringLiteral("t%1-%2").arg(generation).arg(record);
    if (element.endsWith(QStringLiteral("Name")))
        return QStringLiteral("名%1-%2").arg(generation).arg(record);
    return QString::number(10 * generation + record);
}

struct Override {
    int record = -1;
    QString element;
    QString text;
};

QString rowXml(const QList<std::pair<QString, QString>>& fields) {
    QString xml = QStringLiteral("<Row>");
    for (const auto& [name, text] : fields)
        xml += QStringLiteral("<%1>%2</%1>").arg(name, text);
    return xml + QStringLiteral("</Row>");
}

QByteArray replyOf(const QString& command, int generation, int records, Override change = {}) {
    QString rows;
    for (int i = 0; i < records; ++i) {
        QList<std::pair<QString, QString>> fields;
        for (const QString& element : elementsOf(command))
            fields.append({element, i == change.record && element == change.element
                                        ? change.text
                                        : valueOf(element, generation, i)});
        rows += rowXml(fields);
    }
    return GbkXml(QStringLiteral("<Stat>") + rows + QStringLiteral("</Stat>"));
}

QStringList firstColumn(const TStatTableModel& table) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts << table.cellText(r, 0);
    return texts;
}

QStringList column(const TStatTableModel& table, int c) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts << table.cellText(r, c);
    return texts;
}

// The first column of `records` rows of a generation, as the tables show it.
QStringList expectedFirstColumn(int table, int generation, int records) {
    QStringList texts;
    for (int i = 0; i < records; ++i)
        texts << (table == 3 ? QStringLiteral("t%1-%2") : QStringLiteral("名%1-%2"))
                     .arg(generation)
                     .arg(i);
    return texts;
}

// Category labels as a user reads them (without the marks that keep equal ones apart).
QStringList categories(const TStatChart& chart) {
    QStringList labels = chart.categoryAxis()->categories();
    for (QString& label : labels)
        label.remove(QChar(0x200B));
    return labels;
}

QList<qreal> values(const QBarSet& set) {
    QList<qreal> out;
    for (int i = 0; i < set.count(); ++i)
        out << set.at(i);
    return out;
}

class StaticUserTest : public ::testing::Test, protected ScriptedClient {
protected:
    void SetUp() override {
        state.UserId = QStringLiteral("T01");
        state.QuestionId = QStringLiteral("0101");
        scriptAll(1, 2);
    }

    void scriptAll(int generation, int records) {
        for (const QString& command : kCommands)
            server.setReply(command, replyOf(command, generation, records));
    }

    QStringList commandsSent() const {
        QStringList commands;
        for (const QByteArray& target : server.requests())
            commands << QString::fromLatin1(target.mid(1, target.indexOf('?') - 1));
        return commands;
    }

    std::unique_ptr<TFrmStaticUser> openWindow() {
        auto w = std::make_unique<TFrmStaticUser>(state);
        w->show();
        return w;
    }

    static QList<TStatTableModel*> tables(const TFrmStaticUser& w) {
        return {w.StaticMe, w.StaticMeSubject, w.QueryStatUserCount, w.QueryQuality};
    }
    static QList<TStatChart*> charts(const TFrmStaticUser& w) {
        return {nullptr, w.DBChart1, w.DBChart2, w.DBChart3};
    }
};

struct AddressCase {
    QString userId;
    QString questionId;
    QList<QByteArray> targets;
};

TEST_F(StaticUserTest, EveryShowingSendsTheFourRequestsInOrderWithTheirValues) {
    const AddressCase cases[] = {
        {"T01",
         "0101",
         {"/StaticUser?UserId=T01", "/StatSubject?Subject=01",
          "/QueryStatUserCount?QuestionID=0101", "/QueryQuality?QuestionID=0101"}},
        // A one-character question id is its own subject code.
        {"T01",
         "7",
         {"/StaticUser?UserId=T01", "/StatSubject?Subject=7", "/QueryStatUserCount?QuestionID=7",
          "/QueryQuality?QuestionID=7"}},
        // Before any parameters were fetched the values are empty.
        {"",
         "",
         {"/StaticUser?UserId=", "/StatSubject?Subject=", "/QueryStatUserCount?QuestionID=",
          "/QueryQuality?QuestionID="}},
        // Values go out as percent-encoded GBK; "&" cannot start a parameter.
        {"张 三&x",
         "0 1",
         {"/StaticUser?UserId=%D5%C5%20%C8%FD%26x", "/StatSubject?Subject=0%20",
          "/QueryStatUserCount?QuestionID=0%201", "/QueryQuality?QuestionID=0%201"}},
    };
    for (const AddressCase& c : cases) {
        server.clearRequests();
        state.UserId = c.userId;
        state.QuestionId = c.questionId;
        auto w = openWindow();
        EXPECT_EQ(server.requests(), c.targets) << c.userId.toStdString();
        EXPECT_TRUE(messages.shown.isEmpty());
    }
}

TEST_F(StaticUserTest, ThreeRecordsGiveThreeRowsAndReopeningReplacesThem) {
    server.setReply(QStringLiteral("StaticUser"), replyOf(QStringLiteral("StaticUser"), 1, 3));
    auto w = openWindow();
    EXPECT_EQ(firstColumn(*w->StaticMe), expectedFirstColumn(0, 1, 3));
    EXPECT_EQ(column(*w->StaticMe, 2), (QStringList{"10", "11", "12"}));
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), 3);

    // The command on a visible window only raises it: no new requests.
    w->show();
    w->raise();
    EXPECT_EQ(server.requests().size(), 4);

    w->close();
    EXPECT_TRUE(w->isHidden());
    // Hidden, the tables keep their rows until the next showing.
    EXPECT_EQ(w->StaticMe->rowCount(), 3);
    w->show();
    EXPECT_EQ(firstColumn(*w->StaticMe), expectedFirstColumn(0, 1, 3));
    EXPECT_EQ(commandsSent(), kCommands + kCommands);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(StaticUserTest, AReplyOfFewerThanTwoTopLevelNodesLeavesItsTableAndTheNextRequestGoes) {
    // Without a declaration the body reads as UTF-8: plain ASCII here.
    const QByteArray onlyRoot = "<Stat><Row><QuestionName>X</QuestionName></Row></Stat>";
    const QByteArray bodies[] = {
        GbkXml(QString()),
        GbkXml(QStringLiteral("\r\n")),
        onlyRoot,
    };
    for (const QByteArray& body : bodies) {
        scriptAll(1, 2);
        auto w = openWindow();
        scriptAll(2, 3);
        server.setReply(QStringLiteral("StatSubject"), body);
        server.clearRequests();
        w->close();
        w->show();

        EXPECT_EQ(commandsSent(), kCommands) << body.toStdString();
        EXPECT_EQ(firstColumn(*w->StaticMeSubject), expectedFirstColumn(1, 1, 2));
        EXPECT_EQ(categories(*w->DBChart1), expectedFirstColumn(1, 1, 2));
        EXPECT_EQ(firstColumn(*w->StaticMe), expectedFirstColumn(0, 2, 3));
        EXPECT_EQ(firstColumn(*w->QueryQuality), expectedFirstColumn(3, 2, 3));
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    }
}

enum class Fault { Status500, Malformed, Empty, Drop, BadValue, TooMany };

struct FailureCase {
    int failing; // index of the request that fails
    Fault fault;
    Override change; // for BadValue: which record and element get which text
    QString message; // "" = any short text without the address
    int rowsKept;    // rows of the failing table afterwards
    int generationKept;
};

TEST_F(StaticUserTest, AFailureStopsTheShowingWithOneMessageAndKeepsTheRowsStoredSoFar) {
    const QString notWellFormed = QStringLiteral("the reply is empty or not well-formed XML");
    const FailureCase cases[] = {
        {1, Fault::Status500, {}, QStringLiteral("HTTP status 500"), 2, 1},
        {0, Fault::Malformed, {}, notWellFormed, 2, 1},
        {3, Fault::Empty, {}, notWellFormed, 2, 1},
        {0, Fault::Drop, {}, QString(), 2, 1},
        {2, Fault::TooMany, {}, QStringLiteral("the reply holds more than 1000 records"), 2, 1},
        // A value a numeric field does not take: the records before it stay.
        {2,
         Fault::BadValue,
         {1, "StudentCount", "12a"},
         QStringLiteral("'12a' is not a valid integer value"),
         1,
         2},
        {3,
         Fault::BadValue,
         {1, "AvgMark", "7,5"},
         QStringLiteral("'7,5' is not a valid floating point value"),
         1,
         2},
        {1,
         Fault::BadValue,
         {2, "ToNum", "3.0"},
         QStringLiteral("'3.0' is not a valid integer value"),
         2,
         2},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " at request " + std::to_string(c.failing));
        scriptAll(1, 2);
        for (const QString& command : kCommands)
            server.setDropConnection(command, false);
        auto w = openWindow();
        ASSERT_EQ(w->StaticMe->rowCount(), 2);

        scriptAll(2, 3);
        const QString& command = kCommands[c.failing];
        switch (c.fault) {
        case Fault::Status500:
            server.setReply(command, "error", 500);
            break;
        case Fault::Malformed:
            server.setReply(command, GbkXml(QStringLiteral("<Stat><Row><UserName>x</UserName>")));
            break;
        case Fault::Empty:
            server.setReply(command, QByteArray());
            break;
        case Fault::Drop:
            server.setDropConnection(command);
            break;
        case Fault::TooMany:
            server.setReply(command, replyOf(command, 2, kMaxStatRecords + 1));
            break;
        case Fault::BadValue:
            server.setReply(command, replyOf(command, 2, 3, c.change));
            break;
        }
        server.clearRequests();
        messages.shown.clear();
        w->close();
        w->show();

        ASSERT_EQ(messages.shown.size(), 1) << messages.shown.join('|').toStdString();
        if (c.message.isEmpty()) {
            EXPECT_FALSE(messages.shown[0].isEmpty());
            EXPECT_FALSE(messages.shown[0].contains(QStringLiteral("127.0.0.1")));
        } else {
            EXPECT_EQ(messages.shown[0], c.message);
        }
        EXPECT_EQ(commandsSent(), kCommands.mid(0, c.failing + 1));

        const auto all = tables(*w);
        for (int t = 0; t < all.size(); ++t) {
            QStringList expected;
            if (t < c.failing)
                expected = expectedFirstColumn(t, 2, 3);
            else if (t == c.failing)
                expected = expectedFirstColumn(t, c.generationKept, c.rowsKept);
            else
                expected = expectedFirstColumn(t, 1, 2);
            EXPECT_EQ(firstColumn(*all[t]), expected) << "table " << t;
            if (const TStatChart* chart = charts(*w)[t]) {
                // A chart shows its table's rows, labelled as in the grid.
                QStringList labels = firstColumn(*all[t]);
                if (t == 3)
                    labels = column(*all[t], 1);
                EXPECT_EQ(categories(*chart), labels) << "chart of table " << t;
            }
        }
    }
}

TEST_F(StaticUserTest, AMissingOrEmptyValueLeavesItsCellEmpty) {
    server.setReply(QStringLiteral("StatSubject"), GbkXml(QStringLiteral("<Stat>") +
                                                          rowXml({{"QuestionName", "基础知识"},
                                                                  {"TotalNum", "42"},
                                                                  {"CompNum", ""},
                                                                  {"ToNum", "1"},
                                                                  {"MinMark", "2"},
                                                                  {"AvgMark", "5"}}) +
                                                          QStringLiteral("</Stat>")));
    server.setReply(QStringLiteral("QueryQuality"), GbkXml(QStringLiteral("<Stat>") +
                                                           rowXml({{"UserId", "t01"},
                                                                   {"UserName", "张老师"},
                                                                   {"MinMark", "1"},
                                                                   {"AvgMark", "4"},
                                                                   {"StddevMark", "0.5"}}) +
                                                           QStringLiteral("</Stat>")));
    auto w = openWindow();
    EXPECT_TRUE(messages.shown.isEmpty());
    // Question, TotalCount, FinishCount, DoingCount, MaxScore, MinScore, AvgScore.
    const QModelIndex first = w->DBGrid2->model()->index(0, 0);
    EXPECT_EQ(w->DBGrid2->model()->data(first).toString(), QStringLiteral("基础知识"));
    EXPECT_EQ(w->StaticMeSubject->cellText(0, 2), QString());
    EXPECT_EQ(w->StaticMeSubject->cellText(0, 4), QString());
    EXPECT_TRUE(w->StaticMeSubject->table().value(0, QStringLiteral("MaxScore")).isNull());
    EXPECT_TRUE(w->StaticMeSubject->table().value(0, QStringLiteral("FinishCount")).isNull());
    EXPECT_EQ(w->StaticMeSubject->cellText(0, 5), QStringLiteral("2"));
    EXPECT_EQ(w->QueryQuality->cellText(0, 2), QString());
    // An empty value is a bar of nothing.
    EXPECT_EQ(values(*w->DBChart1->series()->barSets()[1]), QList<qreal>{0});
    EXPECT_EQ(values(*w->DBChart3->series()->barSets()[0]), QList<qreal>{0});
}

TEST_F(StaticUserTest, ALongChineseNameShowsInFullOnTheWorkloadTabAndCutOnTheQualityTab) {
    const QString name = QStringLiteral("一二三四五六七八九十甲乙"); // 24 GBK bytes
    ASSERT_EQ(gbk::byteCount(name), 24);
    server.setReply(QStringLiteral("QueryStatUserCount"),
                    replyOf(QStringLiteral("QueryStatUserCount"), 1, 1, {0, "UserName", name}));
    server.setReply(QStringLiteral("QueryQuality"),
                    replyOf(QStringLiteral("QueryQuality"), 1, 1, {0, "UserName", name}));
    auto w = openWindow();
    EXPECT_EQ(w->QueryStatUserCount->cellText(0, 0), name);
    EXPECT_EQ(w->QueryQuality->cellText(0, 1), QStringLiteral("一二三四五六七八九十"));
    EXPECT_EQ(categories(*w->DBChart2), QStringList{name});
    EXPECT_EQ(categories(*w->DBChart3), QStringList{QStringLiteral("一二三四五六七八九十")});
}

TEST_F(StaticUserTest, NumbersReadWithAPointAndShowInTheGeneralFormatInAnyLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    server.setReply(QStringLiteral("StatSubject"),
                    GbkXml(QStringLiteral("<Stat>") +
                           rowXml({{"QuestionName", "作文"},
                                   {"TotalNum", " 42 "},
                                   {"CompNum", "+7"},
                                   {"ToNum", "0"},
                                   {"MaxMark", "8"},
                                   {"MinMark", "7.50"},
                                   {"AvgMark", "6.666666666666667"}}) +
                           QStringLiteral("</Stat>")));
    // The own-work count is text: whatever the server writes is shown.
    server.setReply(QStringLiteral("StaticUser"),
                    replyOf(QStringLiteral("StaticUser"), 1, 1, {0, "StudentCount", "约30份"}));
    auto w = openWindow();
    QLocale::setDefault(previous);

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    QStringList shown;
    for (int c = 1; c < 7; ++c)
        shown << w->StaticMeSubject->cellText(0, c);
    EXPECT_EQ(shown, (QStringList{"42", "7", "0", "8", "7.5", "6.66666666666667"}));
    EXPECT_EQ(w->StaticMe->cellText(0, 2), QStringLiteral("约30份"));
    // Numbers lean right, text left.
    const QAbstractItemModel* model = w->DBGrid2->model();
    EXPECT_TRUE(model->data(model->index(0, 4), Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(model->data(model->index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
}

struct ChartCase {
    TStatChart* TFrmStaticUser::*chart;
    QString title;
    QStringList sets;
    QList<QColor> colors;
    QList<QList<qreal>> values; // per set, per row of generation 2 with 3 records
};

TEST_F(StaticUserTest, ChartsAreRebuiltFromTheirTablesAfterEachFill) {
    auto w = openWindow();
    scriptAll(2, 3);
    w->close();
    w->show();

    const QColor green(0, 128, 0);
    const QList<qreal> row = {20, 21, 22};
    const ChartCase cases[] = {
        {&TFrmStaticUser::DBChart1,
         QStringLiteral("评卷全局统计"),
         {"总份数", "已完成", "正批阅"},
         {Qt::red, green, Qt::yellow},
         {row, row, row}},
        {&TFrmStaticUser::DBChart2, QStringLiteral("工作量统计"), {"工作量统计"}, {Qt::red}, {row}},
        {&TFrmStaticUser::DBChart3,
         QStringLiteral("工作量统计"),
         {"最高分", "最低分", "平均分", "均方差"},
         {Qt::red, green, Qt::yellow, Qt::blue},
         {row, row, row, row}},
    };
    for (const ChartCase& c : cases) {
        const TStatChart& chart = *(w.get()->*c.chart);
        SCOPED_TRACE(c.sets.join(',').toStdString());
        EXPECT_EQ(chart.chart()->title(), c.title);
        EXPECT_EQ(chart.height(), 138);
        EXPECT_TRUE(chart.series()->isLabelsVisible());
        const QList<QBarSet*> sets = chart.series()->barSets();
        ASSERT_EQ(sets.size(), c.sets.size());
        for (int s = 0; s < sets.size(); ++s) {
            EXPECT_EQ(sets[s]->label(), c.sets[s]);
            EXPECT_EQ(sets[s]->color(), c.colors[s]);
            EXPECT_EQ(values(*sets[s]), c.values[s]);
        }
        EXPECT_EQ(chart.categoryAxis()->count(), 3);
    }
    EXPECT_EQ(categories(*w->DBChart1), expectedFirstColumn(1, 2, 3));
}

TEST_F(StaticUserTest, MarkersOfOneNameKeepABarGroupEach) {
    const QString rows =
        rowXml({{"UserName", "张老师"}, {"StudentCount", "3"}, {"DoingCount", "0"}}) +
        rowXml({{"UserName", "张老师"}, {"StudentCount", "5"}, {"DoingCount", "1"}}) +
        rowXml({{"UserName", ""}, {"StudentCount", "1"}, {"DoingCount", "0"}}) +
        rowXml({{"StudentCount", "2"}, {"DoingCount", "0"}});
    server.setReply(QStringLiteral("QueryStatUserCount"),
                    GbkXml(QStringLiteral("<Stat>") + rows + QStringLiteral("</Stat>")));
    auto w = openWindow();
    EXPECT_EQ(categories(*w->DBChart2), (QStringList{"张老师", "张老师", "", ""}));
    EXPECT_EQ(values(*w->DBChart2->series()->barSets()[0]), (QList<qreal>{3, 5, 1, 2}));
}

struct ColumnCase {
    QTableView* TFrmStaticUser::*grid;
    QString caption;
    QStringList titles;
    QList<int> widths;
};

TEST_F(StaticUserTest, LayoutOfTheToolWindowItsTabsAndGrids) {
    auto w = std::make_unique<TFrmStaticUser>(state);
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("用户统计"));
    EXPECT_EQ(w->size(), QSize(547, 406));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((w->geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(w->font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(w->font().pointSize(), 9);
    EXPECT_EQ(w->RzPageControl1->currentIndex(), 0);

    const ColumnCase cases[] = {
        {&TFrmStaticUser::DBGrid1, "个人统计", {"教师", "权限", "评阅数量"}, {200, 250, 60}},
        {&TFrmStaticUser::DBGrid2,
         "全局统计",
         {"题组", "总份数", "已完成", "正批阅", "最大分", "最小分", "平均分"},
         {200, 50, 50, 50, 50, 50, 50}},
        {&TFrmStaticUser::DBGrid3,
         "本题工作量统计",
         {"教师", "批阅总数", "正批阅"},
         {280, 115, 115}},
        {&TFrmStaticUser::DBGrid4,
         "本题评卷质量",
         {"教师代码", "教师", "最大分", "最小分", "平均分", "均方差"},
         {100, 150, 60, 60, 60, 60}},
    };
    for (int tab = 0; tab < 4; ++tab) {
        const ColumnCase& c = cases[tab];
        const QTableView& grid = *(w.get()->*c.grid);
        EXPECT_EQ(w->RzPageControl1->tabText(tab), c.caption);
        EXPECT_TRUE(w->RzPageControl1->widget(tab)->isAncestorOf(&grid));
        EXPECT_EQ(grid.font().family(), QStringLiteral("宋体"));
        EXPECT_EQ(grid.horizontalHeader()->font().family(), QStringLiteral("宋体"));
        QStringList titles;
        QList<int> widths;
        for (int col = 0; col < grid.model()->columnCount(); ++col) {
            titles << grid.model()->headerData(col, Qt::Horizontal).toString();
            widths << grid.horizontalHeader()->sectionSize(col);
            EXPECT_EQ(grid.model()->headerData(col, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                      int(Qt::AlignCenter));
        }
        EXPECT_EQ(titles, c.titles) << c.caption.toStdString();
        EXPECT_EQ(widths, c.widths) << c.caption.toStdString();
    }

    // The charts sit at the bottom of tabs 2 to 4, under their grids.
    w->show();
    for (TStatChart* chart : {w->DBChart1, w->DBChart2, w->DBChart3}) {
        QWidget* sheet = chart->parentWidget();
        w->RzPageControl1->setCurrentWidget(sheet);
        QCoreApplication::processEvents();
        EXPECT_EQ(chart->geometry().bottom(), sheet->rect().bottom());
        EXPECT_EQ(chart->height(), 138);
    }
    EXPECT_EQ(w->RzPageControl1->tabBar()->tabRect(0).height(), 18);

    w->RzPageControl1->setCurrentIndex(0);
    // The tab a user chose stays when the window is shown again.
    w->RzPageControl1->setCurrentIndex(2);
    w->close();
    w->show();
    EXPECT_EQ(w->RzPageControl1->currentIndex(), 2);
}

TEST_F(StaticUserTest, TheWaitCursorShowsWhileTheRequestsRun) {
    server.setDelayMs(150);
    bool sampled = false;
    Qt::CursorShape during = Qt::ArrowCursor;
    QTimer::singleShot(60, [&] {
        sampled = true;
        if (const QCursor* cursor = QApplication::overrideCursor())
            during = cursor->shape();
    });
    auto w = openWindow();
    EXPECT_TRUE(sampled);
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A form that records what its key preview sees.
class PreviewProbe : public TFrmNormalManage {
public:
    PreviewProbe() : edit(new QLineEdit(this)) {}
    QLineEdit* edit;
    QList<int> previewed;

protected:
    void FormKeyDown(QKeyEvent* event) override { previewed << event->key(); }
};

TEST(NormalManage, TheFormSeesEveryKeyOnceBeforeItsControlAndTheControlStillGetsIt) {
    PreviewProbe form;
    form.show();
    EXPECT_TRUE(form.KeyPreview());
    EXPECT_EQ(form.font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(form.font().pointSize(), 9);
    QTest::keyClick(form.edit, Qt::Key_A);
    // F9 means nothing to the edit and travels on to the form: still one preview.
    QTest::keyClick(form.edit, Qt::Key_F9);
    QTest::keyClick(&form, Qt::Key_B);
    EXPECT_EQ(form.previewed, (QList<int>{Qt::Key_A, Qt::Key_F9, Qt::Key_B}));
    EXPECT_EQ(form.edit->text(), QStringLiteral("a"));
}

} // namespace
