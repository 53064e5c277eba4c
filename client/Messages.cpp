#include "Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class BoxMessages : public IMessages {
public:
    void showMessage(const QString& text) override {
        if (!hasGui()) {
            qWarning("%s", qPrintable(text));
            return;
        }
        QWidget* owner = QApplication::activeWindow();
        QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok, owner);
        box.exec();
        giveBackKeyboard(owner);
    }

    bool askOkCancel(const QString& text) override {
        if (!hasGui())
            return false; // nobody to answer: the cautious choice
        QWidget* owner = QApplication::activeWindow();
        QMessageBox box(QMessageBox::Warning, kMessageCaption, text,
                        QMessageBox::Ok | QMessageBox::Cancel, owner);
        box.setDefaultButton(QMessageBox::Ok);
        const bool ok = box.exec() == QMessageBox::Ok;
        giveBackKeyboard(owner);
        return ok;
    }

private:
    // The window that was active gets the keyboard back, so its short-cut
    // keys (F5, F8, ...) work at once even where no window manager hands the
    // focus back when the box closes.
    static void giveBackKeyboard(QWidget* owner) {
        if (owner && owner->isVisible())
            owner->activateWindow();
    }

    static bool hasGui() {
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }
};

BoxMessages& defaultMessages() {
    static BoxMessages messages;
    return messages;
}

IMessages*& current() {
    static IMessages* messages = nullptr;
    return messages;
}

} // namespace

IMessages& Messages() {
    IMessages* messages = current();
    return messages ? *messages : defaultMessages();
}

IMessages* SetMessages(IMessages* messages) {
    IMessages* previous = current();
    current() = messages;
    return previous;
}
