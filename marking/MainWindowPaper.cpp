// The marking window's paper display: fetching and composing a paper, the
// history list, the tag reader on the main view, the zoom commands and the
// zoom memory in Config.InI.

#include "UntMainWindow.h"

#include "AppError.h"
#include "AppPaths.h"
#include "GbkText.h"
#include "ImageView.h"
#include "IniFile.h"
#include "MainWindowShared.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "ScoreEntry.h"
#include "TagFormat.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <exception>

void TFrmMainWindow::connectViewHandlers() {
    imaging::ImageView* view = ViewImageEnVect;
    connect(view, &imaging::ImageView::viewChanged, this,
            [this](int change) { Guarded([&] { ViewImageEnVectViewChange(change); }); });
    connect(view, &imaging::ImageView::newObject, this,
            [this](imaging::ObjectHandle h) { Guarded([&] { ViewImageEnVectNewObject(h); }); });
    connect(view, &imaging::ImageView::objectOver, this,
            [this](imaging::ObjectHandle h) { Guarded([&] { ViewImageEnVectObjectOver(h); }); });
    connect(view, &imaging::ImageView::mouseDown, this, [this](Qt::MouseButton button, QPoint pos) {
        Guarded([&] { ViewImageEnVectMouseDown(button, pos); });
    });
    connect(view, &imaging::ImageView::mouseUp, this, [this](Qt::MouseButton button, QPoint pos) {
        Guarded([&] { ViewImageEnVectMouseUp(button, pos); });
    });
}

void TFrmMainWindow::ActLoadPaperExecute() {
    const WaitCursor waiting;
    m_state.ResetPageSlots();
    ComboBoxException->setCurrentIndex(0);
    if (!m_state.GetQuestion())
        return;
    DrawToolArmed = false;
    ViewImageEnVect->setTool(imaging::ImageView::Tool::Select);

    const QString id = m_state.StudentId;
    if (id == QStringLiteral("none") || TrimCtl(id).isEmpty()) {
        marking::ClearView(*MyImageEnView);
        Messages().showMessage(QStringLiteral("没有试卷可再提供了!!"));
        return;
    }
    if (id == QStringLiteral("error")) {
        marking::ClearView(*MyImageEnView);
        Messages().showMessage(QStringLiteral("提卷错误，请稍后再试!!"));
        return;
    }

    marking::ComposeOutcome outcome;
    std::exception_ptr error;
    {
        marking::PaintSuspension suspended(this);
        ActLoadPaper->setEnabled(false);
        ActSavePaper->setEnabled(true);
        ActViewOri->setEnabled(true);
        PaperLoaded = true;
        marking::ClearView(*MyImageEnView);

        outcome = marking::ComposeAnswerImage(m_state, PageViews, *ViewImageEnVect);
        marking::MakeThumbnail(*ViewImageEnVect, *MyImageEnView);
        marking::AddPlaceholders(*ViewImageEnVect, m_state.SubQuestions);
        for (int i = 0; i < m_state.SubQuestions.size() && i < ScoreEdits.size(); ++i) {
            if (ScoreEdits[i])
                ScoreEdits[i]->clear();
        }
        marking::ApplyZoomSetting(*ViewImageEnVect, m_state.ZoomSetting);
        ViewImageEnVect->setEnabled(true);
        ViewImageEnVect->viewport()->update();

        // A bad tag in the history must not hide the failed-picture message;
        // the error is reported after painting has resumed.
        try {
            FillHistList();
            if (marking::ShowsHistory(m_state)) {
                if (!HistRecords.isEmpty())
                    DrawTag(HistRecords.last().TurnTag);
                GroupBox2->show();
            } else {
                GroupBox2->hide();
            }
            ViewImageEnVect->setScroll(0, 0);
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (!error)
        LabelStatus->setText(outcome.timingText);
    if (!outcome.failedPictures.isEmpty())
        Messages().showMessage(marking::FailedPicturesMessage(outcome.failedPictures));
    if (error)
        std::rethrow_exception(error);
}

void TFrmMainWindow::FillHistList(bool repaintEachRow) {
    const QList<marking::HistoryEntry> entries = marking::SplitHistory(m_state.AllTurnInfo);
    const int n = int(entries.size());
    // Rows left from an earlier paper are emptied, so a row that gets no
    // entry never shows another paper's history.
    StringGridHist->clearContents();
    StringGridHist->setRowCount(qMax(1, n));
    HistRecords = QList<THist>(n);
    for (int i = 0; i < n; ++i) {
        const marking::HistoryEntry& e = entries[i];
        if (!e.valid)
            continue;
        HistRecords[i] = THist{e.text1, e.text2, e.tag};
        StringGridHist->setItem(i, 0, new QTableWidgetItem(e.text1));
        StringGridHist->setItem(i, 1, new QTableWidgetItem(e.text2));
        if (repaintEachRow)
            StringGridHist->viewport()->update();
    }
}

void TFrmMainWindow::DrawTag(const QString& tag) {
    if (!PaperLoaded || ViewImageEnVect->imageHeight() <= 0)
        return;
    imaging::ImageView* view = ViewImageEnVect;
    marking::TagReaderHooks hooks;
    hooks.suspendPainting = [view] { view->suspendPainting(); };
    hooks.resumePainting = [view] {
        view->layerChanged();
        view->resumePainting();
    };
    hooks.refreshStatus = [this](double, const marking::MarkCounts&) { RefreshStatus(); };
    // Score texts are drawn half transparent.
    view->setTransparencyRendering(true);
    marking::DrawTagOnView(
        view->layer(), m_state.SubQuestions, tag,
        [this](int index, const QString& text) {
            if (index >= 0 && index < ScoreEdits.size() && ScoreEdits[index])
                ScoreEdits[index]->setText(text);
        },
        hooks);
}

void TFrmMainWindow::RefreshStatus() {
    m_scoreEntry->refreshTotal();
}

// --- Zoom --------------------------------------------------------------------

void TFrmMainWindow::ViewImageEnVectViewChange(int change) {
    if (change != imaging::ImageView::kZoomChanged)
        return;
    m_state.ZoomSetting = marking::ZoomSettingText(ViewImageEnVect->zoom());
    IniFile(ConfigIniPath())
        .writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), m_state.ZoomSetting);
}

void TFrmMainWindow::ActSizeToLargeExecute() {
    if (!PaperLoaded)
        return;
    ViewImageEnVect->setZoom(ViewImageEnVect->zoom() * 1.1);
    ScorePanel->update();
}

void TFrmMainWindow::ActSizeToSmallExecute() {
    if (!PaperLoaded)
        return;
    ViewImageEnVect->setZoom(ViewImageEnVect->zoom() * 0.9);
    ScorePanel->update();
}

void TFrmMainWindow::ActSize100Execute() {
    ViewImageEnVect->setZoom(100);
    ScorePanel->update();
}

void TFrmMainWindow::ActSize50Execute() {
    ViewImageEnVect->setZoom(50);
    ScorePanel->update();
}

void TFrmMainWindow::ActSize150Execute() {
    ViewImageEnVect->setZoom(150);
    ScorePanel->update();
}

void TFrmMainWindow::ActSize200Execute() {
    ViewImageEnVect->setZoom(200);
    ScorePanel->update();
}

void TFrmMainWindow::ActSizeWidthExecute() {
    ViewImageEnVect->fitWidth();
    ScorePanel->update();
}

void TFrmMainWindow::ActSizeHeightExecute() {
    ViewImageEnVect->fitHeight();
    ScorePanel->update();
}
