// Re-marking (F3): an earlier paper called back with the marks and scores
// submitted for it, and the history grid whose rows redraw the marks of
// earlier marking turns.

#include "UntMainWindow.h"

#include "AppError.h"
#include "ImageView.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "ScoreEntry.h"
#include "TagFormat.h"
#include "UntPublic.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

const QString kNoPaper = QStringLiteral("没有试卷可再提供了!!");
const QString kFetchError = QStringLiteral("提卷错误，请稍后再试!!");

// Repainting of the window is suspended while this lives and resumed on
// every way out, errors included.
class WindowPaintSuspension {
public:
    explicit WindowPaintSuspension(QWidget* window)
        : m_window(window), m_was(window->updatesEnabled()) {
        m_window->setUpdatesEnabled(false);
    }
    ~WindowPaintSuspension() { m_window->setUpdatesEnabled(m_was); }
    WindowPaintSuspension(const WindowPaintSuspension&) = delete;
    WindowPaintSuspension& operator=(const WindowPaintSuspension&) = delete;

private:
    QWidget* m_window;
    bool m_was;
};

// The history group is shown for the review-style marking modes from the
// second marking turn on.
bool HistoryShown(const TPublicFuctionObject& state) {
    static const QStringList modes = {QStringLiteral("02"), QStringLiteral("03"),
                                      QStringLiteral("04"), QStringLiteral("05")};
    return modes.contains(state.MarkingMode) && state.MarkingTurn > 1;
}

// HistRecords and StringGridHist from AllTurnInfo: one record per entry,
// the grid at least one row; an entry that does not split into exactly
// three pieces leaves its record and its row empty.
void FillHistory(TFrmMainWindow& window) {
    const QList<marking::HistoryEntry> entries =
        marking::SplitHistory(window.state().AllTurnInfo);
    QTableWidget* grid = window.StringGridHist;
    // Rebuilding the rows moves the grid's current cell; that is no choice of
    // the marker's and must not redraw a turn.
    const QSignalBlocker blocker(grid);
    grid->clearContents();
    grid->setRowCount(std::max<int>(1, int(entries.size())));
    window.HistRecords = QList<THist>(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const marking::HistoryEntry& e = entries[i];
        if (!e.valid)
            continue;
        window.HistRecords[i] = THist{e.text1, e.text2, e.tag};
        grid->setItem(i, 0, new QTableWidgetItem(e.text1));
        grid->setItem(i, 1, new QTableWidgetItem(e.text2));
    }
}

// The window's tag reader: replaces the main view's objects with the marks
// of `tag`, sets the score edits from its scores and refreshes the total and
// the counters. Nothing happens unless a paper is open on a picture.
void DrawTagOnScreen(TFrmMainWindow& window, const QString& tag) {
    imaging::ImageView& view = *window.ViewImageEnVect;
    if (!window.PaperLoaded || view.imageHeight() <= 0)
        return;
    marking::TagReaderHooks hooks;
    hooks.suspendPainting = [&view] { view.suspendPainting(); };
    hooks.resumePainting = [&view] {
        view.layerChanged();
        view.resumePainting();
    };
    hooks.refreshStatus = [&window](double, const marking::MarkCounts&) {
        window.scoreEntry()->refreshTotal();
    };
    // The reader may make score texts, which are drawn half transparent.
    view.setTransparencyRendering(true);
    marking::DrawTagOnView(
        view.layer(), window.state().SubQuestions, tag,
        [&window](int index, const QString& text) {
            if (index < window.ScoreEdits.size() && window.ScoreEdits[index])
                window.ScoreEdits[index]->setText(text);
        },
        hooks);
}

} // namespace

void TFrmMainWindow::ActCallBackExecute() {
    const int serial = ComboBoxCallBackNumber->currentIndex() + 1;
    if (!m_state.CallBack(serial)) {
        if (!PaperLoaded)
            ActLoadPaper->setEnabled(true);
        return;
    }

    DrawToolArmed = false;
    ActLoadPaper->setEnabled(false);
    QString timingText;
    {
        const WindowPaintSuspension suspended(this);
        // The paper on screen, if any, is dropped before the reply is looked
        // at: a "none" or "error" leaves an empty window.
        ClearPaperFromScreen();

        if (m_state.StudentId == QLatin1String("none")) {
            ActLoadPaper->setEnabled(true);
            Messages().showMessage(kNoPaper);
        } else if (m_state.StudentId == QLatin1String("error")) {
            ActLoadPaper->setEnabled(true);
            Messages().showMessage(kFetchError);
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
            FillHistory(*this);
            if (!outcome.failedPictures.isEmpty())
                Messages().showMessage(marking::FailedPicturesMessage(outcome.failedPictures));

            DrawTagOnScreen(*this, m_state.CallBackTag);
            GroupBox2->setVisible(HistoryShown(m_state));
        }
    }
    LabelStatus->setText(timingText);
}

void TFrmMainWindow::StringGridHistSelectCell(int ACol, int ARow, bool& CanSelect) {
    Q_UNUSED(ACol);
    CanSelect = true;
    if (ARow >= 0 && ARow < HistRecords.size())
        DrawTagOnScreen(*this, HistRecords[ARow].TurnTag);
}

void TFrmMainWindow::connectHistoryGrid() {
    connect(StringGridHist, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        // Only the marker's own choice redraws a turn; rows rebuilt by a
        // fetch move the current cell too.
        if (!StringGridHist->hasFocus())
            return;
        bool canSelect = true;
        Guarded([&] { StringGridHistSelectCell(column, row, canSelect); });
    });
}
