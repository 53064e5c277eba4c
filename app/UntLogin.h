#pragma once
// The sign-in window, the application's main window.

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class TPublicFuctionObject;

class TFrmLogin : public QDialog {
    Q_OBJECT
public:
    enum System { MarkingSystem = 0, ReviewSystem = 1 };
    // Opens the chosen system's window modally and returns when it is closed.
    using SystemOpener = std::function<void(System, TPublicFuctionObject&, QWidget* parent)>;

    explicit TFrmLogin(TPublicFuctionObject& state, QWidget* parent = nullptr);

    // Tests replace the opener so that no modal loop blocks them.
    void setSystemOpener(SystemOpener opener) { m_openSystem = std::move(opener); }
    static void OpenSystemWindow(System system, TPublicFuctionObject& state, QWidget* parent);

    QLineEdit* ServerIP = nullptr;
    QLineEdit* edtUserName = nullptr;
    QLineEdit* edtPassWord = nullptr;
    QComboBox* ComboBoxSystem = nullptr;
    QPushButton* btnLogin = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    void btnLoginClick();
    void btnCancelClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPublicFuctionObject& m_state;
    SystemOpener m_openSystem;
};
