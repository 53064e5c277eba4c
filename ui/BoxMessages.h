#pragma once
// The message interface as the windows show it: modal boxes captioned
// "提示信息". Installed once at start-up; tests install a recorder instead.

#include "Messages.h"

class BoxMessages : public IMessages {
public:
    void showMessage(const QString& text) override;
    bool askOkCancel(const QString& text) override;
};

// Makes the message boxes the program's message interface.
void InstallBoxMessages();
