// Re-marking (F3): an earlier paper called back with the marks and scores
// submitted for it, and the history grid whose rows redraw the marks of
// earlier marking turns.

#include "UntMainWindow.h"

#include "AppError.h"
#include "ImageView.h"
#include "MainWindowShared.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>

#include <exception>
#include <utility>

namespace {

const QString kNoPaper = QStringLiteral("没有试卷可再提供了!!");
const QString kFetchError = QStringLiteral("提卷错误，请稍后再试!!");

// Tells the history grid's handlers whether the mouse button went down on
// the grid, and whether that press has already redrawn a turn by moving the
// current cell, so one click redraws once.
class HistoryGridPress : public QObject {
public:
    using QObject::QObject;
    bool pressing = false;
    bool drawn = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            pressing = true;
            drawn = false;
            break;
        case QEvent::MouseButtonRelease:
            pressing = false;
            drawn = false;
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void TFrmMainWindow::ActCallBackExecute() {
    const WaitCursor waiting;
    const int serial = ComboBoxCallBackNumber->currentIndex() + 1;
    if (!m_state.CallBack(serial)) {
        if (!PaperLoaded)
            ActLoadPaper->setEnabled(true);
        return;
    }

    // A tool armed on the dropped paper is disarmed with its flag, so the
    // next click on the called-back paper places nothing.
    DrawToolArmed = false;
    ViewImageEnVect->setTool(imaging::ImageView::Tool::Select);
    ActLoadPaper->setEnabled(false);
    QString timingText;
    std::exception_ptr error;
    QString message; // shown once the window paints again, so the cleared window is seen
    {
        const marking::PaintSuspension suspended(this);
        // The paper on screen, if any, is dropped before the reply is looked
        // at: a "none" or "error" leaves an empty window.
        ClearPaperFromScreen();

        if (m_state.StudentId == QLatin1String("none")) {
            ActLoadPaper->setEnabled(true);
            message = kNoPaper;
        } else if (m_state.StudentId == QLatin1String("error")) {
            ActLoadPaper->setEnabled(true);
            message = kFetchError;
        } else {
            m_state.ResetPageSlots();
            ActSavePaper->setEnabled(true);
            ActViewOri->setEnabled(true);
            PaperLoaded = true;

            const marking::ComposeOutcome outcome =
                marking::ComposeAnswerImage(m_state, PageViews, *ViewImageEnVect);
            timingText = outcome.timingText;
            marking::ClearView(*MyImageEnView);
            marking::MakeThumbnail(*ViewImageEnVect, *MyImageEnView);
            marking::ApplyZoomSetting(*ViewImageEnVect, m_state.ZoomSetting);
            ViewImageEnVect->layerChanged();
            ViewImageEnVect->setEnabled(true);
            FillHistList(false);
            if (!outcome.failedPictures.isEmpty())
                message = marking::FailedPicturesMessage(outcome.failedPictures);
            // A bad tag must not hide the failed-picture message: its error
            // is reported after painting has resumed.
            try {
                DrawTag(m_state.CallBackTag);
            } catch (...) {
                error = std::current_exception();
            }
            GroupBox2->setVisible(marking::ShowsHistory(m_state));
        }
    }
    LabelStatus->setText(timingText);
    if (!message.isEmpty())
        Messages().showMessage(message);
    if (error)
        std::rethrow_exception(error);
}

void TFrmMainWindow::StringGridHistSelectCell(int ACol, int ARow, bool& CanSelect) {
    Q_UNUSED(ACol);
    CanSelect = true;
    if (ARow >= 0 && ARow < HistRecords.size())
        DrawTag(HistRecords[ARow].TurnTag);
}

void TFrmMainWindow::connectHistoryGrid() {
    auto* press = new HistoryGridPress(StringGridHist);
    StringGridHist->viewport()->installEventFilter(press);
    connect(StringGridHist, &QTableWidget::currentCellChanged, this,
            [this, press](int row, int column) {
                // Only the marker's own choice redraws a turn. Rows rebuilt by a
                // fetch or a call-back (with the window's repainting suspended)
                // move the current cell too, even while the grid has the focus.
                if (!StringGridHist->hasFocus() || !updatesEnabled())
                    return;
                if (press->pressing)
                    press->drawn = true;
                bool canSelect = true;
                Guarded([&] { StringGridHistSelectCell(column, row, canSelect); });
            });
    // A click on the row that is already current moves no cell, yet the
    // marker asks for that turn again (after changing the marks, or on the
    // next paper, whose grid keeps the row of the last one).
    connect(StringGridHist, &QTableWidget::cellPressed, this, [this, press](int row, int column) {
        if (std::exchange(press->drawn, false) || !updatesEnabled())
            return;
        bool canSelect = true;
        Guarded([&] { StringGridHistSelectCell(column, row, canSelect); });
    });
}
