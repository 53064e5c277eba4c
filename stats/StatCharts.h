#pragma once
// The bar charts under the grids: one bar set per series, one bar group per
// table row labelled with a field of that row, every bar with its value.
// Rebuilt from the table after each fill.

#include <QChartView>
#include <QColor>
#include <QList>
#include <QString>

struct TStatTable;
class QBarCategoryAxis;
class QBarSeries;
class QValueAxis;

struct TStatBarSet {
    QString Title;
    QColor Color;
    QString ValueField;
};

struct TStatChartDef {
    QString Title;
    QString LabelField;
    QList<TStatBarSet> Sets;
};

// The charts of tabs 2, 3 and 4.
TStatChartDef StaticMeSubjectChart();
TStatChartDef QueryStatUserCountChart();
TStatChartDef QueryQualityChart();

class TStatChart : public QChartView {
    Q_OBJECT
public:
    static constexpr int kHeight = 138;

    TStatChart(TStatChartDef def, const QFont& font, QWidget* parent = nullptr);

    // Bars and labels from the rows of the table (an empty value is a bar of 0).
    void rebuild(const TStatTable& table);

    QBarSeries* series() const { return m_series; }
    QBarCategoryAxis* categoryAxis() const { return m_categories; }
    QValueAxis* valueAxis() const { return m_values; }

private:
    TStatChartDef m_def;
    QFont m_font;
    QFont m_labelFont; // of the bar values
    QBarSeries* m_series = nullptr;
    QBarCategoryAxis* m_categories = nullptr;
    QValueAxis* m_values = nullptr;
};
