#include "Messages.h"

#include <QtGlobal>

namespace {

// Until the windows install their message boxes (and in programs without
// windows) a message goes to the log; the one question is answered Cancel,
// the cautious choice when nobody can answer.
class LogMessages : public IMessages {
public:
    void showMessage(const QString& text) override { qWarning("%s", qPrintable(text)); }
    bool askOkCancel(const QString& text) override {
        qWarning("%s", qPrintable(text));
        return false;
    }
};

LogMessages& defaultMessages() {
    static LogMessages messages;
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
