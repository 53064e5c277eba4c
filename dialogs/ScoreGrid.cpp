#include "ScoreGrid.h"

#include "VectorObject.h"

#include <QMouseEvent>
#include <QPainter>

ScoreGrid::ScoreGrid(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void ScoreGrid::setGridSize(int colCount, int rowCount) {
    m_cols = qMax(0, colCount);
    m_rows = qMax(0, rowCount);
    m_cells = QVector<Cell>(m_cols * m_rows);
    update();
}

void ScoreGrid::setColWidth(int width) {
    m_colWidth = qMax(0, width);
    update();
}

void ScoreGrid::setRowHeight(int height) {
    m_rowHeight = qMax(0, height);
    update();
}

bool ScoreGrid::valid(int col, int row) const {
    return col >= 0 && row >= 0 && col < m_cols && row < m_rows;
}

QString ScoreGrid::cellText(int col, int row) const {
    return valid(col, row) ? m_cells[index(col, row)].text : QString();
}

void ScoreGrid::setCellText(int col, int row, const QString& text) {
    if (!valid(col, row))
        return;
    m_cells[index(col, row)].text = text;
    update();
}

quint32 ScoreGrid::cellColor(int col, int row) const {
    return valid(col, row) ? m_cells[index(col, row)].color : 0xFFFFFFu;
}

void ScoreGrid::setCellColor(int col, int row, quint32 gdiColor) {
    if (!valid(col, row))
        return;
    m_cells[index(col, row)].color = gdiColor;
    update();
}

void ScoreGrid::setCellFontSize(int points) {
    m_fontSize = points;
    update();
}

bool ScoreGrid::cellAt(const QPoint& pos, int* col, int* row) const {
    const int pitchX = m_colWidth + kGridLineWidth;
    const int pitchY = m_rowHeight + kGridLineWidth;
    if (pos.x() < 0 || pos.y() < 0 || pitchX <= 0 || pitchY <= 0)
        return false;
    const int c = pos.x() / pitchX;
    const int r = pos.y() / pitchY;
    if (!valid(c, r))
        return false;
    *col = c;
    *row = r;
    return true;
}

void ScoreGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QFont font = this->font();
    font.setPointSize(m_fontSize);
    p.setFont(font);
    const int pitchX = m_colWidth + kGridLineWidth;
    const int pitchY = m_rowHeight + kGridLineWidth;
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c) {
            const Cell& cell = m_cells[index(c, r)];
            const QRect box(c * pitchX, r * pitchY, m_colWidth, m_rowHeight);
            p.fillRect(box, imaging::FromGdiColor(cell.color));
            p.setPen(Qt::black);
            p.drawText(box, Qt::AlignCenter, cell.text);
        }
    }
    // Lines between the cells (right of and below each cell).
    p.setPen(QColor(192, 192, 192));
    for (int c = 1; c <= m_cols; ++c)
        p.drawLine(c * pitchX - 1, 0, c * pitchX - 1, m_rows * pitchY - 1);
    for (int r = 1; r <= m_rows; ++r)
        p.drawLine(0, r * pitchY - 1, m_cols * pitchX - 1, r * pitchY - 1);
}

void ScoreGrid::mousePressEvent(QMouseEvent* event) {
    int col = 0;
    int row = 0;
    if (event->button() == Qt::LeftButton && cellAt(event->position().toPoint(), &col, &row))
        emit cellClicked(row, col);
    QWidget::mousePressEvent(event);
}
