#include "HistoryGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

HistoryGrid::HistoryGrid(QWidget* parent) : QTableWidget(0, 2, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnWidth(0, 40);
    setColumnWidth(1, 40);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void HistoryGrid::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid())
        emit cellChosen(index.row(), index.column());
}

void HistoryGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTableWidget::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        emit cellChosen(after.row(), after.column());
}
