#include "BoxMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// The window that was active gets the keyboard back, so its short-cut keys
// (F5, F8, ...) work at once even where no window manager hands the focus
// back when the box closes.
void GiveBackKeyboard(QWidget* owner) {
    if (owner && owner->isVisible())
        owner->activateWindow();
}

// A box shown in the middle of a command that waits takes the normal pointer
// for its life: the marker is asked to act, not to wait.
class NormalPointer {
public:
    NormalPointer() : m_over(QApplication::overrideCursor() != nullptr) {
        if (m_over)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalPointer() {
        if (m_over)
            QApplication::restoreOverrideCursor();
    }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool m_over;
};

} // namespace

void BoxMessages::showMessage(const QString& text) {
    const NormalPointer pointer;
    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok, owner);
    box.exec();
    GiveBackKeyboard(owner);
}

bool BoxMessages::askOkCancel(const QString& text) {
    const NormalPointer pointer;
    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Warning, kMessageCaption, text,
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.setDefaultButton(QMessageBox::Ok);
    const bool ok = box.exec() == QMessageBox::Ok;
    GiveBackKeyboard(owner);
    return ok;
}

void InstallBoxMessages() {
    static BoxMessages messages;
    SetMessages(&messages);
}
