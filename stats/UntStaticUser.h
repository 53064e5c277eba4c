#pragma once
// The live statistics window: the marker's own work, every question group
// of the subject, and the workload and marking quality of each marker of the
// current question group, fetched anew every time the window is shown.

#include "UntNormalManage.h"

class QShowEvent;
class QTabWidget;
class QTableView;
class TPublicFuctionObject;
class TStatChart;
class TStatTableModel;

// Records of one reply beyond this are refused (no exam has that many
// question groups or markers of one group).
constexpr int kMaxStatRecords = 1000;

class TFrmStaticUser : public TFrmNormalManage {
    Q_OBJECT
public:
    explicit TFrmStaticUser(TPublicFuctionObject& state, QWidget* parent = nullptr);

    // Colour of the page control and its tabs (GDI value).
    static constexpr quint32 kPageColor = 16767935;

    QTabWidget* RzPageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;

    TStatTableModel* StaticMe = nullptr;
    TStatTableModel* StaticMeSubject = nullptr;
    TStatTableModel* QueryStatUserCount = nullptr;
    TStatTableModel* QueryQuality = nullptr;

    QTableView* DBGrid1 = nullptr;
    QTableView* DBGrid2 = nullptr;
    QTableView* DBGrid3 = nullptr;
    QTableView* DBGrid4 = nullptr;
    TStatChart* DBChart1 = nullptr; // tab 2
    TStatChart* DBChart2 = nullptr; // tab 3
    TStatChart* DBChart3 = nullptr; // tab 4

    // The four requests, each filling its table in turn. Raises EAppError on
    // a failed request or a value a numeric field does not take; the
    // remaining requests are then not sent and the rows stored so far stay.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    // One request: its reply replaces the table's rows unless the reply has
    // fewer than two top-level nodes. The chart follows on every way out.
    void fillTable(const QString& command, const QString& parameter, const QString& value,
                   TStatTableModel& table, TStatChart* chart);

    TPublicFuctionObject& m_state;
};
