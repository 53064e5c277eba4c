#pragma once
// The history grid: a two-column table whose rows a marker chooses with the
// mouse or the arrow keys. It reports each choice once through cellChosen,
// also a click on the row already current (the marker asks for that turn
// again, after changing the marks or on the next paper); filling it from
// code reports nothing.

#include <QTableWidget>

class HistoryGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit HistoryGrid(QWidget* parent = nullptr);

signals:
    void cellChosen(int row, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
