#pragma once
// A fixed-size grid of text cells with a colour per cell: the common-score
// grid of the settings dialog. No fixed rows or columns, no scroll bars and
// no selection highlight; one-pixel lines between cells.

#include <QString>
#include <QVector>
#include <QWidget>

class ScoreGrid : public QWidget {
    Q_OBJECT
public:
    explicit ScoreGrid(QWidget* parent = nullptr);

    // Width of the lines drawn between cells.
    static constexpr int kGridLineWidth = 1;

    // Resizes the grid; every cell becomes empty and white.
    void setGridSize(int colCount, int rowCount);
    int colCount() const { return m_cols; }
    int rowCount() const { return m_rows; }

    void setColWidth(int width);
    void setRowHeight(int height);
    int colWidth() const { return m_colWidth; }
    int rowHeight() const { return m_rowHeight; }

    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);
    // Cell colour as a GDI value (0x00BBGGRR).
    quint32 cellColor(int col, int row) const;
    void setCellColor(int col, int row, quint32 gdiColor);
    int cellFontSize() const { return m_fontSize; }
    void setCellFontSize(int points);

    // Cell under a point of the widget; false outside every cell.
    bool cellAt(const QPoint& pos, int* col, int* row) const;

signals:
    void cellClicked(int row, int col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Cell {
        QString text;
        quint32 color = 0xFFFFFF;
    };
    bool valid(int col, int row) const;
    int index(int col, int row) const { return row * m_cols + col; }

    int m_cols = 0;
    int m_rows = 0;
    int m_colWidth = 64;
    int m_rowHeight = 24;
    int m_fontSize = 10;
    QVector<Cell> m_cells;
};
