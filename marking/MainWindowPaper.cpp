// The marking window's paper display: fetching and composing a paper, the
// history list, the tag reader on the main view, the zoom commands and the
// zoom memory in Config.InI.

#include "UntMainWindow.h"

#include "AppError.h"
#include "AppPaths.h"
#include "GbkText.h"
#include "HistoryGrid.h"
#include "ImageView.h"
#include "IniFile.h"
#include "MainWindowShared.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "ScoreTexts.h"
#include "TagFormat.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

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

namespace {

const QString kNoParams = QStringLiteral("评卷参数未能取得，请按F2重新设置!!");

} // namespace

bool TFrmMainWindow::paramsInPlace() {
    // Without the parameters of the permission being marked there are no
    // regions to show nor sub-questions to score: a paper fetched now would
    // be submitted unseen with mark 0.
    if (m_state.ParamsPermissionId == m_state.PermissionId && !m_state.PermissionId.isEmpty())
        return true;
    Messages().showMessage(kNoParams);
    return false;
}

void TFrmMainWindow::ActLoadPaperExecute() {
    if (!paramsInPlace())
        return;
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
        const marking::ViewsHeld held({ViewImageEnVect, MyImageEnView});
        ActLoadPaper->setEnabled(false);
        ActSavePaper->setEnabled(true);
        ActViewOri->setEnabled(true);
        PaperLoaded = true;

        outcome = composePaper(true);
        marking::AddPlaceholders(*ViewImageEnVect, m_state.SubQuestions);
        for (int i = 0; i < m_state.SubQuestions.size() && i < ScoreEdits.size(); ++i)
            ScoreEdits[i]->clear();

        // A bad tag in the history must not hide the failed-picture message;
        // the error is reported after painting has resumed.
        try {
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
    for (const QString& message : marking::ComposeMessages(outcome))
        Messages().showMessage(message);
    if (error)
        std::rethrow_exception(error);
}

marking::ComposeOutcome TFrmMainWindow::composePaper(bool repaintEachHistoryRow) {
    forgetMarkChanges();
    const marking::ComposeOutcome outcome =
        marking::ComposeAnswerImage(m_state, PageViews, *ViewImageEnVect);
    marking::ClearView(*MyImageEnView);
    marking::MakeThumbnail(*ViewImageEnVect, *MyImageEnView);
    marking::ApplyZoomSetting(*ViewImageEnVect, m_state.ZoomSetting);
    ViewImageEnVect->layerChanged();
    ViewImageEnVect->setEnabled(true);
    FillHistList(repaintEachHistoryRow);
    return outcome;
}

void TFrmMainWindow::FillHistList(bool repaintEachRow) {
    const QList<marking::HistoryEntry> entries = marking::SplitHistory(m_state.AllTurnInfo);
    const int n = int(entries.size());
    // Only the marker's choice of a row redraws a turn, never this fill.
    const QSignalBlocker quiet(StringGridHist);
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
    // The reader has recounted the rebuilt layer: show what it counted.
    hooks.refreshStatus = [this](double total, const marking::MarkCounts& counts) {
        showStatus(total, counts);
    };
    // Score texts are drawn half transparent.
    view->setTransparencyRendering(true);
    marking::DrawTagOnView(
        view->layer(), m_state.SubQuestions, tag,
        [this](int index, const QString& text) {
            if (index >= 0 && index < ScoreEdits.size())
                ScoreEdits[index]->setText(text);
        },
        hooks);
}

void TFrmMainWindow::RefreshStatus() {
    marking::MarkCounts counts;
    const double total = marking::RecountMarks(ViewImageEnVect->layer(), &counts);
    showStatus(total, counts);
}

void TFrmMainWindow::showStatus(double total, const marking::MarkCounts& counts) {
    ScorePanel->setText(FormatNumber(total));
    LineCount = counts.LineCount;
    BoxCount = counts.BoxCount;
    EllipseCount = counts.EllipseCount;
    LabelLineCount->setText(QString::number(LineCount));
    LabelBoxCount->setText(QString::number(BoxCount));
    LabelEllipseCount->setText(QString::number(EllipseCount));
}

// --- Zoom --------------------------------------------------------------------

void TFrmMainWindow::ViewImageEnVectViewChange(int change) {
    if (change != imaging::ImageView::kZoomChanged)
        return;
    m_state.ZoomSetting = marking::ZoomSettingText(ViewImageEnVect->zoom());
    IniFile(ConfigIniPath())
        .writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), m_state.ZoomSetting);
}

void TFrmMainWindow::zoomTo(double percent) {
    ViewImageEnVect->setZoom(percent);
    ScorePanel->update();
}

void TFrmMainWindow::ActSizeToLargeExecute() {
    if (PaperLoaded)
        zoomTo(ViewImageEnVect->zoom() * 1.1);
}

void TFrmMainWindow::ActSizeToSmallExecute() {
    if (PaperLoaded)
        zoomTo(ViewImageEnVect->zoom() * 0.9);
}

void TFrmMainWindow::ActSize100Execute() {
    zoomTo(100);
}

void TFrmMainWindow::ActSize50Execute() {
    zoomTo(50);
}

void TFrmMainWindow::ActSize150Execute() {
    zoomTo(150);
}

void TFrmMainWindow::ActSize200Execute() {
    zoomTo(200);
}

void TFrmMainWindow::ActSizeWidthExecute() {
    zoomTo(ViewImageEnVect->zoomForFitWidth());
}

void TFrmMainWindow::ActSizeHeightExecute() {
    zoomTo(ViewImageEnVect->zoomForFitHeight());
}
