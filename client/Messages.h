#pragma once
// Every message box of the program goes through this interface, so tests can
// record what was shown and answer the one OK/Cancel question.

#include <QString>

class IMessages {
public:
    virtual ~IMessages() = default;
    // Modal box captioned "提示信息" with one OK button.
    virtual void showMessage(const QString& text) = 0;
    // Modal box captioned "提示信息" with OK and Cancel and a warning icon; true on OK.
    virtual bool askOkCancel(const QString& text) = 0;
};

// The interface in force: the log until the windows install their message
// boxes (InstallBoxMessages), or a test its recorder.
IMessages& Messages();
// Replaces it (tests); nullptr restores the default. Returns the previous one.
IMessages* SetMessages(IMessages* messages);

inline const QString kMessageCaption = QStringLiteral("提示信息");
