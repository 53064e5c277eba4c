#pragma once
// The one way tests look inside a marking window: its controls and commands
// (to drive them as a marker would and to observe them) and its marking
// state, read-only. Tests change the window only through its handlers,
// commands, keys and mouse.

#include "HistoryGrid.h"
#include "ImageView.h"
#include "UntMainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>

class MarkingWindowProbe {
public:
    explicit MarkingWindowProbe(TFrmMainWindow& w)
        : window(w), ComboBoxCallBackNumber(w.ComboBoxCallBackNumber),
          ComboBoxException(w.ComboBoxException), ComboBoxText(w.ComboBoxText),
          ViewImageEnVect(w.ViewImageEnVect), pnlGroupBar(w.pnlGroupBar), ScorePanel(w.ScorePanel),
          GroupBox2(w.GroupBox2), StringGridHist(w.StringGridHist),
          GroupBoxInputEdits(w.GroupBoxInputEdits), MyImageEnView(w.MyImageEnView),
          LabelTeacher(w.LabelTeacher), LabelPermission(w.LabelPermission),
          LabelStatus(w.LabelStatus), LabelLineCount(w.LabelLineCount),
          LabelBoxCount(w.LabelBoxCount), LabelEllipseCount(w.LabelEllipseCount),
          WorkPageControl(w.WorkPageControl), PopupMenu(w.PopupMenu),
          ActionListView(w.ActionListView), ActLoadPaper(w.ActLoadPaper),
          ActSavePaper(w.ActSavePaper), ActViewPaperConfig(w.ActViewPaperConfig),
          ActViewOri(w.ActViewOri), ActCallBack(w.ActCallBack), ActSymbolX(w.ActSymbolX),
          ActSymbolTick(w.ActSymbolTick), ActSymbolLine(w.ActSymbolLine), ActPutBox(w.ActPutBox),
          ActPutEllipse(w.ActPutEllipse), ActPutText(w.ActPutText), ActSetAllZero(w.ActSetAllZero),
          ActSetFullMark(w.ActSetFullMark), ActSizeWidth(w.ActSizeWidth),
          ActSizeHeight(w.ActSizeHeight), ActSize100(w.ActSize100), ActSize50(w.ActSize50),
          ActSize150(w.ActSize150), ActSize200(w.ActSize200), ActSizeToSmall(w.ActSizeToSmall),
          ActSizeToLarge(w.ActSizeToLarge), ActExitSystem(w.ActExitSystem),
          ActStaticUser(w.ActStaticUser), ActChangePassword(w.ActChangePassword),
          ActUndo(w.ActUndo), ActRedo(w.ActRedo), PageSheets(w.PageSheets),
          HistRecords(w.HistRecords), DrawToolArmed(w.DrawToolArmed), PaperLoaded(w.PaperLoaded),
          LineCount(w.LineCount), BoxCount(w.BoxCount), EllipseCount(w.EllipseCount),
          PageViews(w.PageViews), ScoreMenuItems(w.ScoreMenuItems), ScoreEdits(w.ScoreEdits),
          ScoreLabels(w.ScoreLabels), FrmStaticUser(w.FrmStaticUser),
          FrmChangePassword(w.FrmChangePassword), FrmOriPaper(w.FrmOriPaper) {}

    TFrmMainWindow& window;

    // Controls.
    QComboBox* const& ComboBoxCallBackNumber;
    QComboBox* const& ComboBoxException;
    QComboBox* const& ComboBoxText;
    imaging::ImageView* const& ViewImageEnVect;
    QWidget* const& pnlGroupBar;
    QLabel* const& ScorePanel;
    QGroupBox* const& GroupBox2;
    HistoryGrid* const& StringGridHist;
    QGroupBox* const& GroupBoxInputEdits;
    imaging::ImageView* const& MyImageEnView;
    QLabel* const& LabelTeacher;
    QLabel* const& LabelPermission;
    QLabel* const& LabelStatus;
    QLabel* const& LabelLineCount;
    QLabel* const& LabelBoxCount;
    QLabel* const& LabelEllipseCount;
    QTabWidget* const& WorkPageControl;
    QMenu* const& PopupMenu;

    // Commands.
    const QList<QAction*>& ActionListView;
    QAction* const& ActLoadPaper;
    QAction* const& ActSavePaper;
    QAction* const& ActViewPaperConfig;
    QAction* const& ActViewOri;
    QAction* const& ActCallBack;
    QAction* const& ActSymbolX;
    QAction* const& ActSymbolTick;
    QAction* const& ActSymbolLine;
    QAction* const& ActPutBox;
    QAction* const& ActPutEllipse;
    QAction* const& ActPutText;
    QAction* const& ActSetAllZero;
    QAction* const& ActSetFullMark;
    QAction* const& ActSizeWidth;
    QAction* const& ActSizeHeight;
    QAction* const& ActSize100;
    QAction* const& ActSize50;
    QAction* const& ActSize150;
    QAction* const& ActSize200;
    QAction* const& ActSizeToSmall;
    QAction* const& ActSizeToLarge;
    QAction* const& ActExitSystem;
    QAction* const& ActStaticUser;
    QAction* const& ActChangePassword;
    QAction* const& ActUndo;
    QAction* const& ActRedo;

    // Marking state.
    const QList<QWidget*>& PageSheets;
    const QList<THist>& HistRecords;
    const bool& DrawToolArmed;
    const bool& PaperLoaded;
    const qint32& LineCount;
    const qint32& BoxCount;
    const qint32& EllipseCount;
    const QList<imaging::ImageView*>& PageViews;
    const QList<QAction*>& ScoreMenuItems;
    const QList<QLineEdit*>& ScoreEdits;
    const QList<QLabel*>& ScoreLabels;
    const QPointer<QDialog>& FrmStaticUser;
    const QPointer<QDialog>& FrmChangePassword;
    const QPointer<QDialog>& FrmOriPaper;
};
