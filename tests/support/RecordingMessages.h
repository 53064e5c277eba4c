#pragma once
// Records every message the program shows and answers the OK/Cancel question
// without a modal loop. Installs itself for its lifetime.

#include "Messages.h"

#include <QStringList>

class RecordingMessages : public IMessages {
public:
    RecordingMessages() : m_previous(SetMessages(this)) {}
    ~RecordingMessages() override { SetMessages(m_previous); }

    void showMessage(const QString& text) override { shown.append(text); }
    bool askOkCancel(const QString& text) override {
        asked.append(text);
        return answerOk;
    }

    QStringList shown;
    QStringList asked;
    bool answerOk = true;

private:
    IMessages* m_previous;
};
