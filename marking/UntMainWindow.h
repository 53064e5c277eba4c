#pragma once
// The marking workstation: tool bars, the command list with its short-cut
// keys, the main and thumbnail image views, the group bar with the total, the
// history and the score edits, the status bar and the hidden page work area.
//
// The handlers are the window's interface: the commands, keys, views and
// menus run them, and so do tests. Controls and marking state are the
// window's own; the handler files below share them as members.
// Files: MainWindowLayout.cpp builds the controls and the tab order,
// MainWindowCommands.cpp the command list and tool-bar buttons,
// MainWindowKeys.cpp the key preview, the score edits' keys and the focus
// moves, MainWindowPaper.cpp fetching and showing a paper and the zoom,
// MainWindowCallBack.cpp re-marking and the history grid,
// MainWindowSymbols.cpp the marks, MainWindowUndo.cpp taking marks back,
// MainWindowSubmit.cpp the submission,
// MainWindowDialogs.cpp the windows opened from here, UntMainWindow.cpp
// creation, first show, the builders, the settings command and closing.

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTableWidget;
class QToolBar;
class QHBoxLayout;
class QUndoStack;
class TFrmViewPaperConfig;
class TPublicFuctionObject;
class HistoryGrid;

namespace imaging {
class ImageView;
}
namespace marking {
class MarkIds;
struct MarkState;
class ScoreEntry;
struct ComposeOutcome;
struct MarkCounts;
} // namespace marking

// One entry of the marking history of the paper on screen.
struct THist {
    QString GridText1; // shown in column 0 of StringGridHist
    QString GridText2; // shown in column 1
    QString TurnTag;   // the tag of that marking turn
};

class TFrmMainWindow : public QDialog {
    Q_OBJECT
public:
    explicit TFrmMainWindow(TPublicFuctionObject& state, QWidget* parent = nullptr);
    ~TFrmMainWindow() override;

    // Shows the settings dialog modally (exec() by default). Tests replace it
    // to work the dialog's controls and close it without a modal loop.
    std::function<void(TFrmViewPaperConfig&)> ShowSettingsDialog;

    // --- Handlers ---------------------------------------------------------
    void FormShow();
    void FormKeyDown(QKeyEvent* event);
    void ActLoadPaperExecute();
    void ActSavePaperExecute();
    void ActViewPaperConfigExecute();
    void ActViewOriExecute();
    void ActCallBackExecute();
    void ActSymbolXExecute();
    void ActSymbolTickExecute();
    void ActSymbolLineExecute();
    void ActPutBoxExecute();
    void ActPutEllipseExecute();
    void ActPutTextExecute();
    void ActSetAllZeroExecute();
    void ActSetFullMarkExecute();
    void ActSizeWidthExecute();
    void ActSizeHeightExecute();
    void ActSize100Execute();
    void ActSize50Execute();
    void ActSize150Execute();
    void ActSize200Execute();
    void ActSizeToSmallExecute();
    void ActSizeToLargeExecute();
    void ActExitSystemExecute();
    void ActStaticUserExecute();
    void ActChangePasswordExecute();
    // Undo and redo of the marks of the open paper (MainWindowUndo.cpp).
    void ActUndoExecute();
    void ActRedoExecute();
    void MenuItemClick(QAction* Sender);
    // The main view's events. Object handles are imaging::ObjectHandle.
    void ViewImageEnVectViewChange(int change);
    void ViewImageEnVectNewObject(int handle);
    void ViewImageEnVectObjectOver(int handle);
    void ViewImageEnVectMouseDown(Qt::MouseButton button, QPoint pos);
    void ViewImageEnVectMouseUp(Qt::MouseButton button, QPoint pos);
    void ViewImageEnVectObjectMoved(int handle);
    // A row of the history grid chosen by mouse or keys redraws that turn's
    // marks. The selection is always allowed.
    void StringGridHistSelectCell(int ACol, int ARow, bool& CanSelect);

    // Last object, in layer order, that is blue and at a score position; -1.
    int HighlightedScoreText() const;
    // Replaces the main view's objects by a tag's marks (only while a paper
    // is loaded and the main view has a picture); throws EAppError for a bad
    // record after the status refresh.
    void DrawTag(const QString& tag);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape is not a way out of the workstation (only ActExitSystem is).
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Tests observe the window's own state through this one accessor.
    friend class MarkingWindowProbe;

    // --- Creation, layout, commands ---------------------------------------
    void FormCreate();
    void FormDestroy();
    void buildLayout();
    void buildTitleRow();
    void buildMarkingToolbar();
    void buildCentre();
    void buildGroupBar(QWidget* centre);
    void buildStatusBar();
    void buildCommands();
    void buildToolbars();
    void connectViewHandlers();
    void dockGroupBar(bool left);

    // --- Builders ---------------------------------------------------------
    // One hidden tab page and page view per page of the paper (PageCount).
    void BuildPageWorkArea();
    // The common-score menu from the pieces of a MarkConfig.
    void BuildScoreMenu(const QStringList& pieces);
    // One score edit and label per sub-question, stacked from the bottom.
    void BuildScoreEdits();
    // Height the edits are given: the box allots 22 pixels per row.
    static constexpr int kScoreEditHeight = 20;

    // --- Keys and focus (MainWindowKeys.cpp) -----------------------------
    // The one tab order of the window: the tool-bar combo boxes, the
    // history grid, then the score edits; set again whenever the edits are
    // rebuilt.
    QList<QWidget*> tabOrder() const;
    void applyTabOrder();
    // Moves the focus `steps` stops through the tab order from `from`, as
    // that many Tab (or Shift+Tab) presses would; the history grid is a stop
    // only while it is shown.
    void moveFocus(QWidget* from, int steps, bool backward);
    bool previewKey(QWidget* receiver, QKeyEvent* key);

    // --- Paper (MainWindowPaper.cpp, MainWindowCallBack.cpp) -----------
    // True when the marking parameters are in place; otherwise says so.
    bool paramsInPlace();
    // Fetches and composes the paper the client state names onto the main
    // view, with the thumbnail, the opening zoom and the history list.
    marking::ComposeOutcome composePaper(bool repaintEachHistoryRow);
    void FillHistList(bool repaintEachRow);
    // Takes the paper off the screen as a submission and a call-back do:
    // objects removed, pictures blanked, the paper closed, the main view
    // disabled, ActSavePaper and ActViewOri off.
    void ClearPaperFromScreen();
    void zoomTo(double percent);
    void placeSymbol(const QString& text);
    void armDrawTool(int tool); // an imaging::ImageView::Tool

    // --- Undo (MainWindowUndo.cpp) -----------------------------------------
    void buildUndo();
    marking::MarkState captureMarks();
    // Puts the change from `before` to the marks now on the undo stack.
    void recordMarkChange(const marking::MarkState& before, const QString& text);
    void applyMarks(const marking::MarkState& from, const marking::MarkState& to);
    // The paper on screen changed: nothing to undo any more.
    void forgetMarkChanges();

    // --- Totals ----------------------------------------------------------
    // Recounts the main view once and shows the result.
    void RefreshStatus();
    // ScorePanel := the total; the counters := the mark counts.
    void showStatus(double total, const marking::MarkCounts& counts);

    TPublicFuctionObject& m_state;

    // --- Controls (top to bottom) -----------------------------------------
    QWidget* Panel1 = nullptr;
    QToolBar* RzToolbar1 = nullptr;
    QLabel* LabelTitle = nullptr;
    QToolBar* RzToolbar2 = nullptr;
    QComboBox* ComboBoxCallBackNumber = nullptr;
    QComboBox* ComboBoxException = nullptr;
    QComboBox* ComboBoxText = nullptr;
    imaging::ImageView* ViewImageEnVect = nullptr;
    QWidget* pnlGroupBar = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* ScorePanel = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    HistoryGrid* StringGridHist = nullptr;
    QGroupBox* GroupBoxInputEdits = nullptr;
    QGroupBox* GroupBoxMyImageEnView = nullptr;
    imaging::ImageView* MyImageEnView = nullptr;
    QWidget* RzStatusBar1 = nullptr;
    QLabel* LabelTeacher = nullptr;
    QLabel* LabelPermission = nullptr;
    QLabel* LabelStatus = nullptr;
    QLabel* LabelLineCount = nullptr;
    QLabel* LabelBoxCount = nullptr;
    QLabel* LabelEllipseCount = nullptr;
    QTabWidget* WorkPageControl = nullptr;
    QMenu* PopupMenu = nullptr;

    // --- Commands (ActionListView) ------------------------------------------
    QList<QAction*> ActionListView;
    QAction* ActLoadPaper = nullptr;
    QAction* ActSavePaper = nullptr;
    QAction* ActViewPaperConfig = nullptr;
    QAction* ActViewOri = nullptr;
    QAction* ActCallBack = nullptr;
    QAction* ActSymbolX = nullptr;
    QAction* ActSymbolTick = nullptr;
    QAction* ActSymbolLine = nullptr;
    QAction* ActPutBox = nullptr;
    QAction* ActPutEllipse = nullptr;
    QAction* ActPutText = nullptr;
    QAction* ActSetAllZero = nullptr;
    QAction* ActSetFullMark = nullptr;
    QAction* ActSizeWidth = nullptr;
    QAction* ActSizeHeight = nullptr;
    QAction* ActSize100 = nullptr;
    QAction* ActSize50 = nullptr;
    QAction* ActSize150 = nullptr;
    QAction* ActSize200 = nullptr;
    QAction* ActSizeToSmall = nullptr;
    QAction* ActSizeToLarge = nullptr;
    QAction* ActExitSystem = nullptr;
    QAction* ActStaticUser = nullptr;
    QAction* ActChangePassword = nullptr;
    QAction* ActUndo = nullptr;
    QAction* ActRedo = nullptr;

    // --- Private marking state, in declaration order ----------------------
    QList<QWidget*> PageSheets; // tab pages of WorkPageControl, one per page
    QList<THist> HistRecords;
    bool DrawToolArmed = false;
    bool PaperLoaded = false;
    qint32 LineCount = 0;
    qint32 BoxCount = 0;
    qint32 EllipseCount = 0;
    QList<imaging::ImageView*> PageViews; // view i is the child of PageSheets[i]
    QList<QAction*> ScoreMenuItems;
    QList<QLineEdit*> ScoreEdits;
    QList<QLabel*> ScoreLabels;

    // Windows opened from here: the statistics window and the password dialog
    // live from first use until this window closes; the full-paper viewer is
    // set only while it is shown.
    QPointer<QDialog> FrmStaticUser;
    QPointer<QDialog> FrmChangePassword;
    QPointer<QDialog> FrmOriPaper;

    // Score entry behind the score edits and the zero / full-mark commands.
    marking::ScoreEntry* m_scoreEntry = nullptr;
    // The marker's changes to the marks of the open paper.
    QUndoStack* m_undo = nullptr;
    std::unique_ptr<marking::MarkIds> m_markIds;
    std::unique_ptr<marking::MarkState> m_gesture; // the marks when the left button went down
    QHBoxLayout* m_centreLayout = nullptr;
    bool m_shown = false;
    bool m_destroyed = false;
};
