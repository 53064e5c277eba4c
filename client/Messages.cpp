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
        QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }

    bool askOkCancel(const QString& text) override {
        if (!hasGui())
            return false; // nobody to answer: the cautious choice
        QMessageBox box(QMessageBox::Warning, kMessageCaption, text,
                        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok;
    }

private:
    static bool hasGui() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }
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
