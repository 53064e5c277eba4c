#pragma once
// Keyboard score entry for the marking window's score edits, plus the
// "全零" and "满分" fills. The window owns one ScoreEntry and delegates to it;
// score edit i belongs to sub-question i and is recognised by identity.
//
// The window's key preview is the one path of the keys: it sees a key first
// and then hands the score edits' keys to MyEditKeyDown, MyEditKeyPress and
// MyEditKeyUp, under its guard (they throw EAppError: a score that is not a
// number on Enter).
//
// setEdits also gives each edit a validator admitting only digits and ".",
// so pasting, dropping or an input method cannot put other text into a
// score edit behind the character filter's back.

#include "ScoreTexts.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

namespace marking {

class ScoreEntry : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // True while a paper is open for marking (the window's PaperLoaded).
        std::function<bool()> paperLoaded;
        // The submission (ActSavePaperExecute), run when the marker confirms
        // on the last edit. Should run under the window's own guard.
        std::function<void()> submit;
        // The scores changed: the window recounts and shows the total.
        std::function<void()> refreshTotal;
        // The layer's objects changed (repaint the view). Creating a score
        // text needs the view's rendering of transparent objects on.
        std::function<void()> layerChanged;
        // Visibility of the history group GroupBox2: Up on the first edit
        // goes back one control further while it is shown.
        std::function<bool()> historyVisible;
        // Moves the focus from `from` as `presses` Tab (backward: Shift+Tab)
        // presses would through the window's tab order.
        std::function<void(QWidget* from, int presses, bool backward)> moveFocus;
    };

    // `layer` is the main view's layer and `subQuestions` the client-state
    // object's list; both must outlive this object.
    ScoreEntry(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions, Hooks hooks,
               QObject* parent = nullptr);

    // The score edits in sub-question order; call again whenever the window
    // rebuilds them. Edits freed by the window are skipped from then on.
    void setEdits(const QList<QLineEdit*>& edits);
    int editCount() const { return int(m_edits.size()); }
    QLineEdit* edit(int index) const;
    int indexOf(const QObject* edit) const;

    // Character filter: true when the typed character is to be discarded.
    // Without a paper every character (Backspace too) is discarded; with one
    // only Backspace, "." and the digits reach the edit. Keys that type no
    // character (arrows, Delete, Enter, Tab) are left alone.
    bool MyEditKeyPress(int index, const QKeyEvent* event) const;

    // Enter, Down and Up; true when the key is consumed. Throws EAppError
    // "'text' is not a valid floating point value" for a score that does
    // not read as a number on Enter or Down.
    bool MyEditKeyDown(int index, const QKeyEvent* event);

    // After every key release: copy edit `index` into its sub-question's
    // score text ("?" with the width kept when the edit is empty) and
    // refresh the total.
    void MyEditKeyUp(int index);

    // "全零" and "满分" (only while a paper is loaded).
    void setAllZero();
    void setFullMark();

private:
    bool enterOrDown(int index);
    bool up(int index);
    void moveFocus(QWidget* from, int presses, bool backward);
    void refreshTotal();
    bool paperLoaded() const;

    imaging::VectorLayer& m_layer;
    const QList<TSubQuestion>& m_subQuestions;
    Hooks m_hooks;
    QList<QPointer<QLineEdit>> m_edits;
};

} // namespace marking
