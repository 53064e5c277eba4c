#pragma once
// The statistics window's in-memory tables: typed fields of fixed byte
// sizes, rows kept in the order the server sent them, and the one table
// model the window's grids show them through.

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVariant>

class QFont;
class QTableView;
class QWidget;

enum class TStatFieldType { String, Integer, Double };

struct TStatField {
    QString FieldName;
    TStatFieldType Type = TStatFieldType::String;
    int Size = 0;    // at most this many GBK bytes (string fields)
    QString Element; // the reply element it is filled from
};

// One value per field: a QString, a qint32 or a double; null = empty.
struct TStatRow {
    QList<QVariant> Values;
};

struct TStatTable {
    QString TableName;
    QList<TStatField> Fields;
    QList<TStatRow> Rows;

    int fieldIndex(const QString& fieldName) const; // -1 when there is none
    // Null when the row or the field does not exist or the field is empty.
    QVariant value(int row, const QString& fieldName) const;
};

// A grid column: the field it shows, its title and width in pixels.
struct TStatColumn {
    QString FieldName;
    QString Title;
    int Width = 0;
};

// The longest start of `text` that takes at most `maxBytes` GBK bytes; a
// double-byte character is never split.
QString CutToGbkBytes(const QString& text, int maxBytes);

// What a field stores from the (trimmed) text of its reply element: an empty
// text stores null; a string is cut to the field's size; a number must read
// whole ("." as decimal point whatever the locale), otherwise EAppError with
// "'text' is not a valid integer value" or "... floating point value".
QVariant StoreFieldText(const TStatField& field, const QString& text);

// The text a grid shows for a stored value: integers in decimal, doubles in
// the general number format, null as nothing.
QString StatCellText(const QVariant& value);

// The four tables, empty, and the columns of their grids.
TStatTable StaticMeTable();
TStatTable StaticMeSubjectTable();
TStatTable QueryStatUserCountTable();
TStatTable QueryQualityTable();
QList<TStatColumn> StaticMeColumns();
QList<TStatColumn> StaticMeSubjectColumns();
QList<TStatColumn> QueryStatUserCountColumns();
QList<TStatColumn> QueryQualityColumns();

// A table and the columns that show it, for a grid.
class TStatTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TStatTableModel(TStatTable table, QList<TStatColumn> columns, QObject* parent = nullptr);

    const TStatTable& table() const { return m_table; }
    const QList<TStatColumn>& columns() const { return m_columns; }

    void clear();
    void appendRow(TStatRow row);

    // The text the grid shows in a cell.
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    TStatTable m_table;
    QList<TStatColumn> m_columns;
    QList<int> m_columnFields; // field index of each column
};

// A read-only grid over the model in the given font: the columns' widths,
// titles centred.
QTableView* MakeStatGrid(TStatTableModel* model, const QFont& font, QWidget* parent);
