#pragma once
// The password dialog: the new password typed twice and sent to the server;
// the client state keeps the password the server now knows.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TPublicFuctionObject;

class TFrmChangePassword : public QDialog {
    Q_OBJECT
public:
    // A small tool window centred on the screen; `owner` (the marking window)
    // keeps it and frees it with itself. Shown without blocking the owner.
    explicit TFrmChangePassword(TPublicFuctionObject& state, QWidget* owner = nullptr);

    // Controls, named as in the window.
    QLineEdit* OneNewPassWord = nullptr;
    QLineEdit* TwoNewPassWord = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnExit = nullptr;

    // "确认": the two entries must be equal, character for character; then
    // ChangePassword and its outcome as a message. The edits keep their texts.
    void BtnSaveClick();
    // "退出": hides the dialog; it is shown again as it was.
    void BtnExitClick();

private:
    TPublicFuctionObject& m_state;
};
