#include "UntStaticUser.h"

#include "AppError.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "RequestAddress.h"
#include "StatCharts.h"
#include "StatTables.h"
#include "UntPublic.h"
#include "VectorObject.h"
#include "WaitCursor.h"
#include "XmlReply.h"

#include <QDomElement>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr QSize kClientSize(547, 406);

// Redraws the chart from the table when the fill ends, however it ends.
class ChartFollows {
public:
    ChartFollows(TStatChart* chart, const TStatTableModel& table)
        : m_chart(chart), m_table(table) {}
    ~ChartFollows() {
        if (m_chart)
            m_chart->rebuild(m_table.table());
    }
    ChartFollows(const ChartFollows&) = delete;
    ChartFollows& operator=(const ChartFollows&) = delete;

private:
    TStatChart* m_chart;
    const TStatTableModel& m_table;
};

} // namespace

TFrmStaticUser::TFrmStaticUser(TPublicFuctionObject& state, QWidget* parent)
    : TFrmNormalManage(parent), m_state(state) {
    setWindowTitle(QStringLiteral("用户统计"));
    // A tool window: small caption, no minimise or maximise.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);

    StaticMe = new TStatTableModel(StaticMeTable(), StaticMeColumns(), this);
    StaticMeSubject = new TStatTableModel(StaticMeSubjectTable(), StaticMeSubjectColumns(), this);
    QueryStatUserCount =
        new TStatTableModel(QueryStatUserCountTable(), QueryStatUserCountColumns(), this);
    QueryQuality = new TStatTableModel(QueryQualityTable(), QueryQualityColumns(), this);
    buildLayout();

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), kClientSize);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, area));
}

void TFrmStaticUser::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0); // the 4-pixel strip above the tabs
    layout->setSpacing(0);

    RzPageControl1 = new QTabWidget(this);
    RzPageControl1->setObjectName(QStringLiteral("RzPageControl1"));
    RzPageControl1->setDocumentMode(false);
    const QColor page = imaging::FromGdiColor(kPageColor);
    // The tabs take the colour and height through the tab bar's own style
    // sheet: one on the page control would stop the window's font reaching
    // the grids. 17 pixels and the top border make the 18-pixel tab.
    RzPageControl1->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { background: %1; height: 17px; padding: 0 10px;"
                       " border: 1px solid #7f9db9; border-bottom: none; margin-right: 1px; }"
                       "QTabBar::tab:!selected { margin-top: 2px; height: 15px; }"
                       "QTabBar::tab:selected { font-weight: bold; }")
            .arg(page.name()));
    QPalette pagePalette = RzPageControl1->palette();
    pagePalette.setColor(QPalette::Window, page);
    RzPageControl1->setPalette(pagePalette);
    layout->addWidget(RzPageControl1);

    const QFont font = this->font();
    const auto addPage = [&](const QString& caption, const char* name, TStatTableModel* table,
                             QTableView** grid, TStatChart** chart, const TStatChartDef* def) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(name));
        sheet->setAutoFillBackground(true);
        QPalette pal = sheet->palette();
        pal.setColor(QPalette::Window, page);
        sheet->setPalette(pal);
        auto* box = new QVBoxLayout(sheet);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        *grid = MakeStatGrid(table, font, sheet);
        box->addWidget(*grid, 1);
        if (def) {
            *chart = new TStatChart(*def, font, sheet);
            box->addWidget(*chart);
        }
        RzPageControl1->addTab(sheet, caption);
        return sheet;
    };
    const TStatChartDef subjectChart = StaticMeSubjectChart();
    const TStatChartDef workloadChart = QueryStatUserCountChart();
    const TStatChartDef qualityChart = QueryQualityChart();
    TStatChart* none = nullptr;
    TabSheet1 =
        addPage(QStringLiteral("个人统计"), "TabSheet1", StaticMe, &DBGrid1, &none, nullptr);
    TabSheet2 = addPage(QStringLiteral("全局统计"), "TabSheet2", StaticMeSubject, &DBGrid2,
                        &DBChart1, &subjectChart);
    TabSheet3 = addPage(QStringLiteral("本题工作量统计"), "TabSheet3", QueryStatUserCount, &DBGrid3,
                        &DBChart2, &workloadChart);
    TabSheet4 = addPage(QStringLiteral("本题评卷质量"), "TabSheet4", QueryQuality, &DBGrid4,
                        &DBChart3, &qualityChart);
    RzPageControl1->setCurrentIndex(0);
}

void TFrmStaticUser::showEvent(QShowEvent* event) {
    TFrmNormalManage::showEvent(event);
    // Only the window's own showing, not the window system restoring it.
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

void TFrmStaticUser::FormShow() {
    const WaitCursor waiting;
    const QString questionId = m_state.QuestionId;
    fillTable(QStringLiteral("StaticUser"), QStringLiteral("UserId"), m_state.UserId, *StaticMe,
              nullptr);
    // The subject code leads every question id.
    fillTable(QStringLiteral("StatSubject"), QStringLiteral("Subject"), questionId.left(2),
              *StaticMeSubject, DBChart1);
    fillTable(QStringLiteral("QueryStatUserCount"), QStringLiteral("QuestionID"), questionId,
              *QueryStatUserCount, DBChart2);
    fillTable(QStringLiteral("QueryQuality"), QStringLiteral("QuestionID"), questionId,
              *QueryQuality, DBChart3);
}

void TFrmStaticUser::fillTable(const QString& command, const QString& parameter,
                               const QString& value, TStatTableModel& table, TStatChart* chart) {
    RequestAddress address(m_state.ServerUrl, command);
    address.add(parameter, value);
    const HttpResult reply = m_state.http().get(address.encoded());
    if (!reply.ok)
        RaiseError(reply.error.isEmpty() ? QStringLiteral("request failed") : reply.error);

    XmlReply& xml = m_state.xml();
    if (!xml.load(reply.body))
        RaiseError(QStringLiteral("the reply is empty or not well-formed XML"));
    if (xml.topLevelCount() < 2)
        return;

    const QDomElement root = xml.root();
    int records = 0;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (++records > kMaxStatRecords)
            RaiseError(QStringLiteral("the reply holds more than %1 records").arg(kMaxStatRecords));

    const ChartFollows follows(chart, table);
    table.clear();
    const QList<TStatField> fields = table.table().Fields;
    // Records by walking the siblings once: a long reply is read in one pass.
    for (QDomElement record = root.firstChildElement(); !record.isNull();
         record = record.nextSiblingElement()) {
        TStatRow row;
        for (const TStatField& field : fields)
            row.Values.append(
                StoreFieldText(field, TrimCtl(record.firstChildElement(field.Element).text())));
        table.appendRow(std::move(row));
    }
}
