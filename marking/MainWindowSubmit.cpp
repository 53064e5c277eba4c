// The submission (F8): the checks, SaveSymbol, the clean-up of the
// workstation and the automatic fetch of the next paper.

#include "UntMainWindow.h"

#include "ImageView.h"
#include "Messages.h"
#include "Submission.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

void TFrmMainWindow::ActSavePaperExecute() {
    // The confirmation on the last score edit can run this with no paper
    // open (the edits keep their text when a call-back finds no paper); the
    // last paper's id must not be sent again with an empty tag then.
    if (!PaperLoaded)
        return;

    QStringList editTexts;
    for (const QLineEdit* edit : ScoreEdits)
        editTexts.append(edit ? edit->text() : QString());

    marking::SubmissionInput input;
    input.layer = &ViewImageEnVect->layer();
    input.subQuestions = &m_state.SubQuestions;
    input.editTexts = editTexts;
    input.FullScore = m_state.FullScore;
    input.exceptionIndex = ComboBoxException->currentIndex();
    input.exceptionText = ComboBoxException->currentText();

    marking::SubmissionValues values;
    if (!marking::CheckAndGather(input, &values))
        return;

    const WaitCursor waiting;
    if (!m_state.SaveSymbol(values.Submarks, values.Tag, values.Mark, values.IsExceptional,
                            values.Description)) {
        // SaveSymbol has said "交卷出错"; the paper stays for another try.
        ActLoadPaper->setEnabled(false);
        ActSavePaper->setEnabled(true);
        ActViewOri->setEnabled(true);
        return;
    }

    QElapsedTimer cleanUp;
    cleanUp.start();
    ClearPaperFromScreen();
    ActLoadPaper->setEnabled(true);
    for (QLineEdit* edit : std::as_const(ScoreEdits))
        edit->clear();
    LabelStatus->setText(marking::kSubmitTimingHead + QString::number(cleanUp.elapsed()) +
                         marking::kSubmitTimingTail);

    if (m_state.AutoLoadPaper) {
        try {
            ActLoadPaperExecute();
        } catch (...) {
            Messages().showMessage(marking::kAutoLoadFailed);
        }
    }
}

void TFrmMainWindow::ClearPaperFromScreen() {
    forgetMarkChanges();
    ViewImageEnVect->layer().clear();
    ViewImageEnVect->blank();
    PaperLoaded = false;
    ScorePanel->setText(QStringLiteral("0.0"));
    ActSavePaper->setEnabled(false);
    ActViewOri->setEnabled(false);
    ViewImageEnVect->layerChanged();
    ViewImageEnVect->setEnabled(false);
    // One page view failing to blank must not keep the others' pictures.
    for (imaging::ImageView* view : PageViews) {
        try {
            if (view)
                view->blank();
        } catch (...) {
        }
    }
}
