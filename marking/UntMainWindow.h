#pragma once
// The marking workstation: tool bars, the command list with its short-cut
// keys, the main and thumbnail image views, the group bar with the total, the
// history and the score edits, the status bar and the hidden page work area.
//
// Extending the window: controls, commands and the private marking state are
// public members named as the window names them, so the paper loading,
// symbol, submission and call-back handlers can live in their own .cpp files
// (member functions declared here, or helpers taking a TFrmMainWindow&).
// Files: MainWindowLayout.cpp builds the controls, MainWindowCommands.cpp the
// command list and the tool-bar buttons, UntMainWindow.cpp creation, first
// show, the builders, the settings command, key handling and closing.

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
class TFrmViewPaperConfig;
class TPublicFuctionObject;

namespace imaging {
class ImageView;
}
namespace marking {
class ScoreEntry;
}

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

    TPublicFuctionObject& state() const { return m_state; }

    // Shows the settings dialog modally (exec() by default). Tests replace it
    // to work the dialog's controls and close it without a modal loop.
    std::function<void(TFrmViewPaperConfig&)> ShowSettingsDialog;

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
    QTableWidget* StringGridHist = nullptr;
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
    marking::ScoreEntry* scoreEntry() const { return m_scoreEntry; }

    // --- Handlers ---------------------------------------------------------
    void FormShow();
    void FormKeyDown(QKeyEvent* event);
    void ActViewPaperConfigExecute();
    void ActExitSystemExecute();
    void ActStaticUserExecute();
    void ActChangePasswordExecute();
    void ActViewOriExecute();
    void ActSetAllZeroExecute();
    void ActSetFullMarkExecute();
    // Handlers whose behaviour comes with paper loading, re-marking, marking
    // symbols and submission (see MainWindowPending.cpp).
    void ActLoadPaperExecute();
    void ActSavePaperExecute();
    void ActCallBackExecute();
    void ActSymbolXExecute();
    void ActSymbolLineExecute();
    void ActPutBoxExecute();
    void ActPutEllipseExecute();
    void ActPutTextExecute();
    void ActSizeWidthExecute();
    void ActSizeHeightExecute();
    void ActSize100Execute();
    void ActSize50Execute();
    void ActSize150Execute();
    void ActSize200Execute();
    void ActSizeToSmallExecute();
    void ActSizeToLargeExecute();
    void MenuItemClick(QAction* Sender);

    // Paper display and marking symbols (MainWindowPaper.cpp,
    // MainWindowSymbols.cpp). Object handles are imaging::ObjectHandle.
    void ViewImageEnVectViewChange(int change);
    void ViewImageEnVectNewObject(int handle);
    void ViewImageEnVectObjectOver(int handle);
    void ViewImageEnVectMouseDown(Qt::MouseButton button, QPoint pos);
    void ViewImageEnVectMouseUp(Qt::MouseButton button, QPoint pos);
    // Last object, in layer order, that is blue and at a score position; -1.
    int HighlightedScoreText() const;
    // Fills HistRecords and StringGridHist from AllTurnInfo.
    void FillHistList(bool repaintEachRow = true);
    // Replaces the main view's objects by a tag's marks (only while a paper
    // is loaded and the main view has a picture); throws EAppError for a bad
    // record after the status refresh.
    void DrawTag(const QString& tag);
    // ScorePanel := the total; the three counters := the mark counts.
    void RefreshStatus();
    // Re-marking: a row chosen in the history grid redraws that turn's marks
    // (MainWindowCallBack.cpp). The selection is always allowed.
    void StringGridHistSelectCell(int ACol, int ARow, bool& CanSelect);
    // Runs StringGridHistSelectCell when the marker chooses a row with the
    // mouse or the keys, a click on the row already current included.
    void connectHistoryGrid();
    // Takes the paper off the screen as a submission and a call-back do:
    // objects removed, pictures blanked, the paper closed, the main view
    // disabled, ActSavePaper and ActViewOri off (MainWindowSubmit.cpp).
    void ClearPaperFromScreen();

    // --- Builders ---------------------------------------------------------
    // One hidden tab page and page view per page of the paper (PageCount).
    void BuildPageWorkArea();
    // The common-score menu from the pieces of a MarkConfig.
    void BuildScoreMenu(const QStringList& pieces);
    // One score edit and label per sub-question, stacked from the bottom.
    void BuildScoreEdits();
    // Height the edits are given: the box allots 22 pixels per row.
    static constexpr int kScoreEditHeight = 20;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape is not a way out of the workstation (only ActExitSystem is).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void buildLayout();
    void buildCommands();
    void buildToolbars();
    void dockGroupBar(bool left);
    void connectViewHandlers();
    void armDrawTool(int tool); // an imaging::ImageView::Tool
    void MyEditKeyDown(QLineEdit* Sender, QKeyEvent* event, bool* consumed);
    void MyEditKeyPress(QLineEdit* Sender, QKeyEvent* event, bool* consumed);
    void MyEditKeyUp(QLineEdit* Sender);

    TPublicFuctionObject& m_state;
    marking::ScoreEntry* m_scoreEntry = nullptr;
    QHBoxLayout* m_centreLayout = nullptr;
    bool m_shown = false;
    bool m_destroyed = false;
    // Key preview: the last key press seen and the control it reached first.
    const QKeyEvent* m_lastPreviewed = nullptr;
    QPointer<QWidget> m_lastPreviewTarget;
};
