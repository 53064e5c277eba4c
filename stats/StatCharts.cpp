#include "StatCharts.h"

#include "StatTables.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QSet>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

TStatChartDef StaticMeSubjectChart() {
    return {QStringLiteral("评卷全局统计"),
            QStringLiteral("Question"),
            {{QStringLiteral("总份数"), Qt::red, QStringLiteral("TotalCount")},
             {QStringLiteral("已完成"), QColor(0, 128, 0), QStringLiteral("FinishCount")},
             {QStringLiteral("正批阅"), Qt::yellow, QStringLiteral("DoingCount")}}};
}

TStatChartDef QueryStatUserCountChart() {
    return {QStringLiteral("工作量统计"),
            QStringLiteral("Teacher"),
            {{QStringLiteral("工作量统计"), Qt::red, QStringLiteral("ViewCount")}}};
}

TStatChartDef QueryQualityChart() {
    // The workload chart's title here too: that is what the window has
    // always shown above the quality bars.
    return {QStringLiteral("工作量统计"),
            QStringLiteral("Teacher"),
            {{QStringLiteral("最高分"), Qt::red, QStringLiteral("MaxScore")},
             {QStringLiteral("最低分"), QColor(0, 128, 0), QStringLiteral("MinScore")},
             {QStringLiteral("平均分"), Qt::yellow, QStringLiteral("AvgScore")},
             {QStringLiteral("均方差"), Qt::blue, QStringLiteral("Avg")}}};
}

TStatChart::TStatChart(TStatChartDef def, const QFont& font, QWidget* parent)
    : QChartView(parent), m_def(std::move(def)), m_font(font), m_labelFont(font) {
    m_labelFont.setPointSize(std::max(1, font.pointSize() - 1));
    setFixedHeight(kHeight);
    setRenderHint(QPainter::Antialiasing);
    setBackgroundBrush(Qt::white);

    QChart* c = chart();
    c->setTitle(m_def.Title);
    c->setTitleFont(m_font);
    c->setBackgroundBrush(Qt::white);
    c->setBackgroundRoundness(0);
    c->setPlotAreaBackgroundBrush(Qt::white);
    c->setPlotAreaBackgroundVisible(true);
    c->setMargins(QMargins(2, 0, 2, 0));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->legend()->setFont(m_font);
    c->legend()->setAlignment(Qt::AlignRight);

    m_categories = new QBarCategoryAxis;
    m_categories->setLabelsFont(m_font);
    m_values = new QValueAxis;
    m_values->setLabelsFont(m_font);
    m_values->setLabelFormat(QStringLiteral("%g"));
    m_values->setTickCount(3);
    c->addAxis(m_categories, Qt::AlignBottom);
    c->addAxis(m_values, Qt::AlignLeft);

    m_series = new QBarSeries;
    m_series->setLabelsVisible(true);
    m_series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    // Three significant digits in a smaller face keep neighbouring labels
    // apart; the grid above has every digit.
    m_series->setLabelsPrecision(3);
    c->addSeries(m_series);
    m_series->attachAxis(m_categories);
    m_series->attachAxis(m_values);
}

void TStatChart::rebuild(const TStatTable& table) {
    m_series->clear();
    m_categories->clear();

    // The axis takes every category once; rows that share a label (two
    // markers of one name, empty names) get invisible characters to stay apart.
    QStringList labels;
    QSet<QString> seen;
    for (int r = 0; r < table.Rows.size(); ++r) {
        QString label = StatCellText(table.value(r, m_def.LabelField));
        if (label.isEmpty())
            label = QChar(0x200B); // the axis takes no empty category
        while (seen.contains(label))
            label += QChar(0x200B);
        seen.insert(label);
        labels.append(label);
    }

    double low = 0;
    double high = 0;
    for (const TStatBarSet& def : m_def.Sets) {
        auto* set = new QBarSet(def.Title);
        set->setColor(def.Color);
        set->setBorderColor(def.Color.darker(130));
        set->setLabelColor(Qt::black);
        set->setLabelFont(m_labelFont);
        for (int r = 0; r < table.Rows.size(); ++r) {
            const QVariant v = table.value(r, def.ValueField);
            const double value = v.isNull() ? 0.0 : v.toDouble();
            set->append(value);
            low = std::min(low, value);
            high = std::max(high, value);
        }
        m_series->append(set);
    }
    m_categories->append(labels);

    // Room above the highest bar for its value label.
    if (high <= low)
        high = low + 1;
    const double top = std::isfinite(high * 1.25) ? high * 1.25 : high;
    const double bottom = low < 0 && std::isfinite(low * 1.2) ? low * 1.2 : low;
    m_values->setRange(bottom, top);
    m_values->applyNiceNumbers();
}
