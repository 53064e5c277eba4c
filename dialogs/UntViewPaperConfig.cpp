#include "UntViewPaperConfig.h"

#include "AppError.h"
#include "AppPaths.h"
#include "GbkText.h"
#include "IniFile.h"
#include "ScoreGrid.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <cmath>

namespace {
const QString kSection = QStringLiteral("ViewPaper");
const QString kKeyPermissionId = QStringLiteral("PermissionId");
const QString kKeyAutoLoadPaper = QStringLiteral("AutoLoadPaper");
const QString kNoPermission = QStringLiteral("000000000");

constexpr int kGridSize = 180;
// Accumulated floating-point steps must not drop the upper bound itself
// (0.1 ten times is 0.9999999999999999, three times 0.30000000000000004).
constexpr double kBoundTolerance = 1e-9;
} // namespace

TFrmViewPaperConfig::TFrmViewPaperConfig(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("功能设置"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    setFont(f);
    resize(244, 305);

    m_labelPermission = new QLabel(QStringLiteral("题组轮次选择："), this);
    m_labelPermission->setGeometry(12, 10, 220, 16);
    ComboBoxNewPermission = new QComboBox(this);
    ComboBoxNewPermission->setObjectName(QStringLiteral("ComboBoxNewPermission"));
    ComboBoxNewPermission->setEditable(false);
    ComboBoxNewPermission->setGeometry(12, 28, 220, 22);

    m_labelGrid = new QLabel(QStringLiteral("常用分数设置："), this);
    m_labelGrid->setGeometry(12, 56, 220, 16);
    Grid = new ScoreGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setGeometry(32, 74, kGridSize, kGridSize);

    CheckBoxPanelLeft = new QCheckBox(QStringLiteral("信息区放置在左边"), this);
    CheckBoxPanelLeft->setObjectName(QStringLiteral("CheckBoxPanelLeft"));
    CheckBoxPanelLeft->setGeometry(12, 258, 220, 18);
    CheckBoxPanelLeft->setChecked(false);

    CheckBoxAutoLoadPaper = new QCheckBox(QStringLiteral("提交分数自动提卷"), this);
    CheckBoxAutoLoadPaper->setObjectName(QStringLiteral("CheckBoxAutoLoadPaper"));
    CheckBoxAutoLoadPaper->setGeometry(12, 280, 140, 18);
    CheckBoxAutoLoadPaper->setChecked(true);

    BtnSave = new QPushButton(QStringLiteral("确认"), this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnSave->setGeometry(160, 277, 72, 24);
    BtnSave->setAutoDefault(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Loading the state, then wiring the events, so that the initial
    // selection does not count as the user's change.
    Guarded([&] {
        for (const TMyPermissionRecord& p : m_state.Permissions)
            ComboBoxNewPermission->addItem(p.PermissionName);
        if (ComboBoxNewPermission->count() == 0)
            return;
        const IniFile ini(ConfigIniPath());
        m_state.PermissionId = ini.readString(kSection, kKeyPermissionId, kNoPermission);
        m_state.AutoLoadPaper = ini.readBool(kSection, kKeyAutoLoadPaper, false);
        CheckBoxAutoLoadPaper->setChecked(m_state.AutoLoadPaper);
        const int i = m_state.FindPermission();
        if (i == -1) {
            ComboBoxNewPermission->setCurrentIndex(0);
            ComboBoxNewPermissionChange();
        } else {
            ComboBoxNewPermission->setCurrentIndex(i);
            BuildGrid();
        }
    });

    connect(ComboBoxNewPermission, &QComboBox::currentIndexChanged, this,
            [this](int) { Guarded([this] { ComboBoxNewPermissionChange(); }); });
    connect(Grid, &ScoreGrid::cellClicked, this,
            [this](int row, int col) { Guarded([&] { GridClickCell(row, col); }); });
    connect(BtnSave, &QPushButton::clicked, this, [this] { Guarded([this] { BtnSaveClick(); }); });
}

void TFrmViewPaperConfig::ComboBoxNewPermissionChange() {
    const int selected = ComboBoxNewPermission->currentIndex();
    if (selected < 0 || selected >= m_state.Permissions.size())
        return;
    m_state.PermissionId = m_state.Permissions[selected].PermissionId;
    if (m_state.FindPermission() < 0)
        return;
    // A failed fetch leaves whatever it updated; the grid shows those values.
    {
        const WaitCursor waiting;
        m_state.GetParam(m_state.PermissionId);
    }
    BuildGrid();
}

quint32 TFrmViewPaperConfig::unchosenColor(int col, int row) const {
    return (row + col) % 2 == 1 ? kCellOdd : kCellEven;
}

void TFrmViewPaperConfig::BuildGrid() {
    Grid->setGridSize(0, 0);
    const double lower = std::floor(m_state.LowestScore);
    const double upper = std::ceil(m_state.FullScore);
    const double step = m_state.ScoreStep;
    // No grid can be built from a step that does not advance, nor from an
    // inverted range: the grid stays empty.
    if (!(step > 0) || !(upper >= lower) || !std::isfinite(lower) || !std::isfinite(upper))
        return;

    const double n = (upper - lower) / step + 1;
    // A range with more values than the grid has pixels cannot be shown, and
    // its cell count would overflow: such a step builds no grid either.
    if (n > double(kGridSize) * kGridSize)
        return;
    const double r = std::sqrt(n);
    int cols = int(std::floor(r));
    const int rows = r - std::floor(r) > 0.00000001 ? int(std::ceil(r)) : int(std::floor(r));
    if (double(cols) * rows < n)
        ++cols;
    Grid->setGridSize(cols, rows);
    const int line = ScoreGrid::kGridLineWidth;
    Grid->setColWidth((kGridSize - line * (cols + 3)) / cols);
    Grid->setRowHeight((kGridSize - line * (rows + 3)) / rows);

    const int found = m_state.FindPermission();
    const QString chosen = found >= 0 ? m_state.Permissions[found].MarkConfig : QString();
    const bool allChosen = TrimCtl(chosen).isEmpty();

    // Each value is lower + k * step rather than a running sum, so that
    // rounding does not pile up over many cells.
    int k = 0;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const double v = lower + k * step;
            if (v > upper + kBoundTolerance)
                return;
            const QString text = FormatNumber(v);
            Grid->setCellText(col, row, text);
            const bool isChosen =
                allChosen || chosen.contains(QLatin1Char('|') + text + QLatin1Char('|'));
            Grid->setCellColor(col, row, isChosen ? kCellChosen : unchosenColor(col, row));
            ++k;
        }
    }
}

void TFrmViewPaperConfig::GridClickCell(int ARow, int ACol) {
    if (Grid->cellText(ACol, ARow).isEmpty())
        return;
    const bool isChosen = Grid->cellColor(ACol, ARow) == kCellChosen;
    Grid->setCellColor(ACol, ARow, isChosen ? unchosenColor(ACol, ARow) : kCellChosen);
}

void TFrmViewPaperConfig::BtnSaveClick() {
    QString text = QStringLiteral("|");
    for (int row = 0; row < Grid->rowCount(); ++row)
        for (int col = 0; col < Grid->colCount(); ++col)
            if (Grid->cellColor(col, row) == kCellChosen && !Grid->cellText(col, row).isEmpty())
                text += Grid->cellText(col, row) + QLatin1Char('|');
    {
        const WaitCursor waiting;
        m_state.SavePersonConfig(text);
    }
    accept();
}

void TFrmViewPaperConfig::done(int result) {
    m_closed = true;
    Guarded([this] { FormClose(); });
    QDialog::done(result);
}

void TFrmViewPaperConfig::FormClose() {
    IniFile ini(ConfigIniPath());
    // Without any permission there is no entry to store; the saved one stays.
    const int selected = ComboBoxNewPermission->currentIndex();
    if (selected >= 0 && selected < m_state.Permissions.size()) {
        const QString id = m_state.Permissions[selected].PermissionId;
        m_state.PermissionId = id;
        ini.writeString(kSection, kKeyPermissionId, id);
    }
    m_state.AutoLoadPaper = CheckBoxAutoLoadPaper->isChecked();
    ini.writeBool(kSection, kKeyAutoLoadPaper, m_state.AutoLoadPaper);
}
