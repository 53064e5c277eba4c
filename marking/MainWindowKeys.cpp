// The marking window's keys: the window previews every key of its controls
// once, before the control that has the focus, then hands the score edits'
// keys to the score entry. Also the one tab order of the window and the focus
// moves that stand for Tab and Shift+Tab presses.

#include "UntMainWindow.h"

#include "AppError.h"
#include "HistoryGrid.h"
#include "ImageView.h"
#include "ScoreEntry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Pixels scrolled by one arrow or page key.
constexpr int kKeyScroll = 20;

} // namespace

void TFrmMainWindow::FormKeyDown(QKeyEvent* event) {
    imaging::ImageView* view = ViewImageEnVect;
    int x = view->scrollX();
    int y = view->scrollY();
    const int w = view->imageWidth();
    const int h = view->imageHeight();
    switch (event->key()) {
    case Qt::Key_F2:
        ActViewPaperConfigExecute();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_Up:
        y = y - kKeyScroll > 0 ? y - kKeyScroll : 0;
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Down:
        y = y + kKeyScroll < h ? y + kKeyScroll : h - kKeyScroll;
        break;
    case Qt::Key_Right:
        x = x - kKeyScroll > 0 ? x - kKeyScroll : 0;
        break;
    case Qt::Key_Left:
        x = x + kKeyScroll < w ? x + kKeyScroll : w - kKeyScroll;
        break;
    default:
        return;
    }
    view->setScroll(x, y);
}

void TFrmMainWindow::keyPressEvent(QKeyEvent* event) {
    // A dialog rejects itself on Escape; for the marking window that would
    // drop the open paper and end the sign-in on a stray key press.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmMainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, event);
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (!receiver || receiver->window() != this)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Ctrl+Z and Ctrl+Y take back marks, also while a score edit has the
        // focus: the edit must not claim them for its own text.
        const auto* key = static_cast<QKeyEvent*>(event);
        return m_scoreEntry->indexOf(receiver) >= 0 &&
               (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y));
    }
    // A key the focused control leaves alone travels up to the window and
    // passes this application-wide filter at every step; only its first
    // receiver, the control with the focus, previews it.
    QWidget* first = focusWidget() ? focusWidget() : this;
    if (receiver != first)
        return false;
    return previewKey(receiver, static_cast<QKeyEvent*>(event));
}

bool TFrmMainWindow::previewKey(QWidget* receiver, QKeyEvent* key) {
    const bool press = key->type() == QEvent::KeyPress;
    if (press)
        Guarded([&] { FormKeyDown(key); }); // sees the key, never swallows it
    const int index = m_scoreEntry->indexOf(receiver);
    if (index < 0)
        return false;
    // A handler that fails has done all it will: the key goes no further.
    bool consumed = true;
    Guarded([&] {
        if (press) {
            consumed =
                m_scoreEntry->MyEditKeyDown(index, key) || m_scoreEntry->MyEditKeyPress(index, key);
        } else {
            consumed = false;
            m_scoreEntry->MyEditKeyUp(index);
        }
    });
    return consumed;
}

QList<QWidget*> TFrmMainWindow::tabOrder() const {
    // The score edits and, between the last and the first, the three
    // combo boxes of the tool bar and the history grid: the four Tabs after
    // a confirmed submission from the last edit bring the focus round to
    // the first edit of the next paper, and Up on the first edit (four
    // Shift+Tabs, five with the history shown) back to the last edit.
    QList<QWidget*> order = {ComboBoxCallBackNumber, ComboBoxException, ComboBoxText,
                             StringGridHist};
    for (QLineEdit* edit : ScoreEdits)
        order.append(edit);
    return order;
}

void TFrmMainWindow::applyTabOrder() {
    const QList<QWidget*> order = tabOrder();
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void TFrmMainWindow::moveFocus(QWidget* from, int steps, bool backward) {
    const QList<QWidget*> order = tabOrder();
    const int n = int(order.size());
    int at = int(order.indexOf(from));
    if (at < 0 || steps <= 0)
        return;
    // Every control of the order is a stop but the history grid while its
    // group is hidden. The tool bar may have folded a combo box away on a
    // narrow screen; it still counts, so the focus always lands on the same
    // score edit.
    const auto isStop = [this](const QWidget* w) {
        return w != StringGridHist || GroupBox2->isVisibleTo(this);
    };
    for (int moved = 0; moved < steps;) {
        at = backward ? (at + n - 1) % n : (at + 1) % n;
        if (isStop(order[at]))
            ++moved;
    }
    order[at]->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}
