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
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>

#include <exception>

namespace {

const QString kNoPaper = QStringLiteral("没有试卷可再提供了!!");
const QString kFetchError = QStringLiteral("提卷错误，请稍后再试!!");

} // namespace

void TFrmMainWindow::ActCallBackExecute() {
    // A paper called back without the parameters would show none of its
    // regions, and its submission would overwrite its stored marks.
    if (!paramsInPlace())
        return;
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
    QStringList messages; // shown once the window paints again, so the cleared window is seen
    {
        const marking::ViewsHeld held({ViewImageEnVect, MyImageEnView});
        // The paper on screen, if any, is dropped before the reply is looked
        // at: a "none" or "error" leaves an empty window.
        ClearPaperFromScreen();

        if (m_state.StudentId == QLatin1String("none")) {
            ActLoadPaper->setEnabled(true);
            messages = QStringList{kNoPaper};
        } else if (m_state.StudentId == QLatin1String("error")) {
            ActLoadPaper->setEnabled(true);
            messages = QStringList{kFetchError};
        } else {
            m_state.ResetPageSlots();
            ActSavePaper->setEnabled(true);
            ActViewOri->setEnabled(true);
            PaperLoaded = true;

            const marking::ComposeOutcome outcome = composePaper(false);
            timingText = outcome.timingText;
            messages = marking::ComposeMessages(outcome);
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
    for (const QString& message : std::as_const(messages))
        Messages().showMessage(message);
    if (error)
        std::rethrow_exception(error);
}

void TFrmMainWindow::StringGridHistSelectCell(int ACol, int ARow, bool& CanSelect) {
    Q_UNUSED(ACol);
    CanSelect = true;
    if (ARow >= 0 && ARow < HistRecords.size()) {
        // Another turn's marks come on screen: what was undoable is gone.
        forgetMarkChanges();
        DrawTag(HistRecords[ARow].TurnTag);
    }
}
