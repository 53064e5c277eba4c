// Taking back marks: Ctrl+Z undoes the marker's last change to the marks of
// the open paper (a mark placed, moved or deleted, scores set from the
// pop-up menu, 全零, 满分) and Ctrl+Y or Ctrl+Shift+Z puts it again. The
// score edits, score texts, total and counters follow as if done by hand.
// Whenever another paper (or another turn's marks) comes on screen there is
// nothing left to undo.

#include "UntMainWindow.h"

#include "ImageView.h"
#include "MarkUndo.h"

#include <QAction>
#include <QLineEdit>
#include <QUndoStack>

void TFrmMainWindow::buildUndo() {
    m_undo = new QUndoStack(this);
    m_markIds = std::make_unique<marking::MarkIds>();
    m_gesture = std::make_unique<marking::MarkState>();
    ActUndo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    ActRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {ActUndo, ActRedo})
        action->setShortcutContext(Qt::WindowShortcut);
    connect(m_undo, &QUndoStack::canUndoChanged, ActUndo, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, ActRedo, &QAction::setEnabled);
    connect(ViewImageEnVect, &imaging::ImageView::objectMoved, this,
            [this](imaging::ObjectHandle h) { ViewImageEnVectObjectMoved(h); });
}

void TFrmMainWindow::ActUndoExecute() {
    if (PaperLoaded)
        m_undo->undo();
}

void TFrmMainWindow::ActRedoExecute() {
    if (PaperLoaded)
        m_undo->redo();
}

marking::MarkState TFrmMainWindow::captureMarks() {
    QStringList edits;
    for (const QLineEdit* edit : std::as_const(ScoreEdits))
        edits.append(edit->text());
    return marking::CaptureMarks(ViewImageEnVect->layer(), *m_markIds, edits);
}

void TFrmMainWindow::recordMarkChange(const marking::MarkState& before, const QString& text) {
    if (!PaperLoaded)
        return;
    marking::MarkState after = captureMarks();
    if (!marking::MarksDiffer(before, after))
        return;
    m_undo->push(new marking::MarkChange(
        before, std::move(after),
        [this](const marking::MarkState& from, const marking::MarkState& to) {
            applyMarks(from, to);
        },
        text));
}

void TFrmMainWindow::applyMarks(const marking::MarkState& from, const marking::MarkState& to) {
    marking::TurnMarks(ViewImageEnVect->layer(), *m_markIds, from, to);
    // Only the edits the change set; what the marker typed since stays.
    if (from.edits.size() == ScoreEdits.size() && to.edits.size() == ScoreEdits.size()) {
        for (int i = 0; i < ScoreEdits.size(); ++i) {
            if (from.edits[i] != to.edits[i])
                ScoreEdits[i]->setText(to.edits[i]);
        }
    }
    ViewImageEnVect->layerChanged();
    RefreshStatus();
}

void TFrmMainWindow::forgetMarkChanges() {
    m_undo->clear();
    m_markIds->clear();
}

void TFrmMainWindow::ViewImageEnVectObjectMoved(int handle) {
    Q_UNUSED(handle);
    recordMarkChange(*m_gesture, QStringLiteral("移动"));
}
