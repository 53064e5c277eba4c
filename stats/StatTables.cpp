#include "StatTables.h"

#include "AppError.h"
#include "GbkText.h"

#include <QHeaderView>
#include <QTableView>

namespace {

// A reply can put any amount of text where a number belongs; the message
// shows enough of it to recognise.
constexpr int kShownValueLength = 60;

QString shownValue(const QString& text) {
    if (text.size() <= kShownValueLength)
        return text;
    return text.left(kShownValueLength) + QStringLiteral("...");
}

TStatField stringField(const QString& name, int size, const QString& element) {
    return {name, TStatFieldType::String, size, element};
}

TStatField integerField(const QString& name, const QString& element) {
    return {name, TStatFieldType::Integer, 0, element};
}

TStatField doubleField(const QString& name, const QString& element) {
    return {name, TStatFieldType::Double, 0, element};
}

} // namespace

int TStatTable::fieldIndex(const QString& fieldName) const {
    for (int i = 0; i < Fields.size(); ++i)
        if (Fields[i].FieldName == fieldName)
            return i;
    return -1;
}

QVariant TStatTable::value(int row, const QString& fieldName) const {
    const int field = fieldIndex(fieldName);
    if (row < 0 || row >= Rows.size() || field < 0)
        return QVariant();
    return Rows[row].Values.value(field);
}

QString CutToGbkBytes(const QString& text, int maxBytes) {
    if (gbk::byteCount(text) <= maxBytes)
        return text;
    int bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype len = (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        const int charBytes = gbk::byteCount(text.mid(end, len));
        if (bytes + charBytes > maxBytes)
            break;
        bytes += charBytes;
        end += len;
    }
    return text.left(end);
}

QVariant StoreFieldText(const TStatField& field, const QString& text) {
    if (text.isEmpty())
        return QVariant();
    switch (field.Type) {
    case TStatFieldType::String:
        return CutToGbkBytes(text, field.Size);
    case TStatFieldType::Integer: {
        int value = 0;
        if (!ReadInteger(text, &value))
            RaiseError(QStringLiteral("'%1' is not a valid integer value").arg(shownValue(text)));
        return QVariant::fromValue(qint32(value));
    }
    case TStatFieldType::Double: {
        double value = 0;
        if (!ReadNumber(text, &value))
            RaiseError(
                QStringLiteral("'%1' is not a valid floating point value").arg(shownValue(text)));
        return value;
    }
    }
    return QVariant();
}

QString StatCellText(const QVariant& value) {
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return FormatNumber(value.toDouble());
    if (value.typeId() == QMetaType::Int)
        return QString::number(value.toInt());
    return value.toString();
}

// ------------------------------------------------------------ the four tables

TStatTable StaticMeTable() {
    return {QStringLiteral("StaticMe"),
            {stringField(QStringLiteral("TeacherName"), 100, QStringLiteral("UserName")),
             stringField(QStringLiteral("Permission"), 100, QStringLiteral("PermissionName")),
             // Text here, though the same element is a number elsewhere.
             stringField(QStringLiteral("ViewCount"), 30, QStringLiteral("StudentCount"))},
            {}};
}

TStatTable StaticMeSubjectTable() {
    return {QStringLiteral("StaticMeSubject"),
            {stringField(QStringLiteral("Question"), 100, QStringLiteral("QuestionName")),
             integerField(QStringLiteral("TotalCount"), QStringLiteral("TotalNum")),
             integerField(QStringLiteral("FinishCount"), QStringLiteral("CompNum")),
             integerField(QStringLiteral("DoingCount"), QStringLiteral("ToNum")),
             doubleField(QStringLiteral("MaxScore"), QStringLiteral("MaxMark")),
             doubleField(QStringLiteral("MinScore"), QStringLiteral("MinMark")),
             doubleField(QStringLiteral("AvgScore"), QStringLiteral("AvgMark"))},
            {}};
}

TStatTable QueryStatUserCountTable() {
    return {QStringLiteral("QueryStatUserCount"),
            {stringField(QStringLiteral("Teacher"), 100, QStringLiteral("UserName")),
             integerField(QStringLiteral("ViewCount"), QStringLiteral("StudentCount")),
             integerField(QStringLiteral("DoingCount"), QStringLiteral("DoingCount"))},
            {}};
}

TStatTable QueryQualityTable() {
    return {QStringLiteral("QueryQuality"),
            {stringField(QStringLiteral("TeacherID"), 100, QStringLiteral("UserId")),
             stringField(QStringLiteral("Teacher"), 20, QStringLiteral("UserName")),
             doubleField(QStringLiteral("MaxScore"), QStringLiteral("MaxMark")),
             doubleField(QStringLiteral("MinScore"), QStringLiteral("MinMark")),
             doubleField(QStringLiteral("AvgScore"), QStringLiteral("AvgMark")),
             // The standard deviation of the marker's marks.
             doubleField(QStringLiteral("Avg"), QStringLiteral("StddevMark"))},
            {}};
}

QList<TStatColumn> StaticMeColumns() {
    return {{QStringLiteral("TeacherName"), QStringLiteral("教师"), 200},
            {QStringLiteral("Permission"), QStringLiteral("权限"), 250},
            {QStringLiteral("ViewCount"), QStringLiteral("评阅数量"), 60}};
}

QList<TStatColumn> StaticMeSubjectColumns() {
    return {{QStringLiteral("Question"), QStringLiteral("题组"), 200},
            {QStringLiteral("TotalCount"), QStringLiteral("总份数"), 50},
            {QStringLiteral("FinishCount"), QStringLiteral("已完成"), 50},
            {QStringLiteral("DoingCount"), QStringLiteral("正批阅"), 50},
            {QStringLiteral("MaxScore"), QStringLiteral("最大分"), 50},
            {QStringLiteral("MinScore"), QStringLiteral("最小分"), 50},
            {QStringLiteral("AvgScore"), QStringLiteral("平均分"), 50}};
}

QList<TStatColumn> QueryStatUserCountColumns() {
    return {{QStringLiteral("Teacher"), QStringLiteral("教师"), 280},
            {QStringLiteral("ViewCount"), QStringLiteral("批阅总数"), 115},
            {QStringLiteral("DoingCount"), QStringLiteral("正批阅"), 115}};
}

QList<TStatColumn> QueryQualityColumns() {
    return {{QStringLiteral("TeacherID"), QStringLiteral("教师代码"), 100},
            {QStringLiteral("Teacher"), QStringLiteral("教师"), 150},
            {QStringLiteral("MaxScore"), QStringLiteral("最大分"), 60},
            {QStringLiteral("MinScore"), QStringLiteral("最小分"), 60},
            {QStringLiteral("AvgScore"), QStringLiteral("平均分"), 60},
            {QStringLiteral("Avg"), QStringLiteral("均方差"), 60}};
}

// ------------------------------------------------------------ the model

TStatTableModel::TStatTableModel(TStatTable table, QList<TStatColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_table(std::move(table)), m_columns(std::move(columns)) {
    for (const TStatColumn& column : m_columns)
        m_columnFields.append(m_table.fieldIndex(column.FieldName));
}

void TStatTableModel::clear() {
    beginResetModel();
    m_table.Rows.clear();
    endResetModel();
}

void TStatTableModel::appendRow(TStatRow row) {
    row.Values.resize(m_table.Fields.size());
    const int at = int(m_table.Rows.size());
    beginInsertRows(QModelIndex(), at, at);
    m_table.Rows.append(std::move(row));
    endInsertRows();
}

QString TStatTableModel::cellText(int row, int column) const {
    if (row < 0 || row >= m_table.Rows.size() || column < 0 || column >= m_columns.size())
        return QString();
    return StatCellText(m_table.Rows[row].Values.value(m_columnFields[column]));
}

int TStatTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.Rows.size());
}

int TStatTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TStatTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const int field = m_columnFields.value(index.column(), -1);
        const bool number = field >= 0 && m_table.Fields[field].Type != TStatFieldType::String;
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant TStatTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[section].Title;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

QTableView* MakeStatGrid(TStatTableModel* model, const QFont& font, QWidget* parent) {
    auto* grid = new QTableView(parent);
    // Set on the header too: the platform may give headers a font of their own.
    grid->setFont(font);
    grid->horizontalHeader()->setFont(font);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QHeaderView* header = grid->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    // Beyond the last column the title row keeps the titles' colour, not the
    // tab's.
    QPalette titles = header->palette();
    titles.setColor(QPalette::Window, titles.color(QPalette::Button));
    header->setPalette(titles);
    for (int c = 0; c < model->columns().size(); ++c)
        header->resizeSection(c, model->columns()[c].Width);
    return grid;
}
