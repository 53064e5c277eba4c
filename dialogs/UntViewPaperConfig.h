#pragma once
// The marking settings dialog: which permission to mark, the common scores
// offered by the marking window's score menu, automatic fetching after a
// submission and the side of the marking window's group bar.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class ScoreGrid;
class TPublicFuctionObject;

// Cell colours (GDI values): chosen, and the two alternating unchosen ones.
constexpr quint32 kCellChosen = 255;
constexpr quint32 kCellOdd = 16773867;
constexpr quint32 kCellEven = 16777215;

class TFrmViewPaperConfig : public QDialog {
    Q_OBJECT
public:
    // Loads its state at once: permission list, Config.InI and the grid (a
    // permission not among the user's is replaced by the first one, whose
    // parameters are fetched).
    explicit TFrmViewPaperConfig(TPublicFuctionObject& state, QWidget* parent = nullptr);

    // Controls the opener and tests use, named as in the window.
    QComboBox* ComboBoxNewPermission = nullptr;
    ScoreGrid* Grid = nullptr;
    QCheckBox* CheckBoxPanelLeft = nullptr;
    QCheckBox* CheckBoxAutoLoadPaper = nullptr;
    QPushButton* BtnSave = nullptr;

    // The list's change event: fetches the chosen permission's parameters
    // and rebuilds the grid.
    void ComboBoxNewPermissionChange();
    // The grid's cell-click event: toggles a cell that holds a score.
    void GridClickCell(int ARow, int ACol);
    // "确认": saves the chosen scores as MarkConfig and closes.
    void BtnSaveClick();
    // Rebuilds the grid from LowestScore, FullScore and ScoreStep.
    void BuildGrid();

    // Every way of closing (button, close box, Escape, reject) passes here,
    // so the permission and the check box are always stored.
    void done(int result) override;
    // True once the dialog was closed by any of those ways.
    bool wasClosed() const { return m_closed; }

private:
    // Stores the selected permission and AutoLoadPaper in the client state
    // and in Config.InI.
    void FormClose();
    quint32 unchosenColor(int col, int row) const;

    TPublicFuctionObject& m_state;
    bool m_closed = false;
    QLabel* m_labelPermission = nullptr;
    QLabel* m_labelGrid = nullptr;
};
