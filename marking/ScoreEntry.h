#pragma once
// Keyboard score entry for the marking window's score edits, plus the
// "全零" and "满分" fills. The window owns one ScoreEntry and delegates to it;
// score edit i belongs to sub-question i and is recognised by identity.
//
// Wiring (done by setEdits): ScoreEntry installs itself as an event filter
// on every score edit. On a key press it runs MyEditKeyDown (Enter, Down,
// Up) and then the character filter MyEditKeyPress; on a key release it runs
// MyEditKeyUp. The filter runs each handler inside Guarded, so an EAppError
// (a score that is not a number on Enter) is reported by the general error
// handler and never unwinds into Qt's event loop. A window that prefers to
// dispatch from its own filter passes installFilter = false and calls the
// public handlers itself, under its own guard (they throw EAppError).
//
// The window's own key preview (scrolling the view on Up and Down) must see
// the keys first: Qt calls the filter installed last first, so the window
// installs its filter on the edits after setEdits, or on the application.
//
// Focus movement: by default the handlers synthesise Tab and Shift+Tab key
// presses into the focused widget, so focus moves exactly as that many
// presses would in the window's Qt focus chain; the window states its tab
// order with QWidget::setTabOrder. A window may instead supply moveFocus.
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
        // Refresh the total: ScorePanel := FormatNumber(total); the counts
        // are there for the window's LineCount, BoxCount and EllipseCount.
        std::function<void(double total, const MarkCounts& counts)> refreshTotal;
        // The layer's objects changed (repaint the view). Creating a score
        // text needs the view's rendering of transparent objects on.
        std::function<void()> layerChanged;
        // Visibility of the history group GroupBox2: Up on the first edit
        // goes back one control further while it is shown.
        std::function<bool()> historyVisible;
        // Optional: move focus `presses` steps in tab order (backward =
        // Shift+Tab). Empty: synthesised Tab / Shift+Tab key presses.
        std::function<void(int presses, bool backward)> moveFocus;
    };

    // `layer` is the main view's layer and `subQuestions` the client-state
    // object's list; both must outlive this object.
    ScoreEntry(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions, Hooks hooks,
               QObject* parent = nullptr);

    // The score edits in sub-question order; call again whenever the window
    // rebuilds them. Edits freed by the window are skipped from then on.
    void setEdits(const QList<QLineEdit*>& edits, bool installFilter = true);
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

    // Recount the layer and pass total and counts to refreshTotal.
    void refreshTotal();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enterOrDown(int index);
    bool up(int index);
    void moveFocus(QWidget* from, int presses, bool backward);
    bool paperLoaded() const;

    imaging::VectorLayer& m_layer;
    const QList<TSubQuestion>& m_subQuestions;
    Hooks m_hooks;
    QList<QPointer<QLineEdit>> m_edits;
};

} // namespace marking
