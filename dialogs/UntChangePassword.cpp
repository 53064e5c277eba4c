#include "UntChangePassword.h"

#include "AppError.h"
#include "Messages.h"
#include "PasswordEcho.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor kNavy(0, 0, 128);

QLabel* MakeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    label->setFont(font);
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, kNavy);
    label->setPalette(navy);
    return label;
}

QLineEdit* MakePasswordEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    // No length limit of its own: Qt's default (32767 characters) lies far
    // beyond anything a request address carries.
    ShowAsHashes(edit);
    return edit;
}

QPushButton* MakeButton(const char* name, const QString& caption, const QString& hint,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    // Enter in an edit must not press a button behind the marker's back.
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFrmChangePassword::TFrmChangePassword(TPublicFuctionObject& state, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state) {
    setWindowTitle(QStringLiteral("密码修改"));
    setFixedSize(256, 99);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(rect());
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    MakeLabel(QStringLiteral("用户新密码"), panel)->setGeometry(16, 12, 72, 20);
    OneNewPassWord = MakePasswordEdit("OneNewPassWord", panel);
    OneNewPassWord->setGeometry(92, 10, 148, 22);
    MakeLabel(QStringLiteral("确认新密码"), panel)->setGeometry(16, 40, 72, 20);
    TwoNewPassWord = MakePasswordEdit("TwoNewPassWord", panel);
    TwoNewPassWord->setGeometry(92, 38, 148, 22);

    BtnSave = MakeButton("BtnSave", QStringLiteral("确认"), QStringLiteral("修改密码"), panel);
    BtnSave->setGeometry(92, 68, 70, 24);
    BtnExit = MakeButton("BtnExit", QStringLiteral("退出"), QStringLiteral("退出模块"), panel);
    BtnExit->setGeometry(170, 68, 70, 24);

    connect(BtnSave, &QPushButton::clicked, this, [this] { Guarded([this] { BtnSaveClick(); }); });
    connect(BtnExit, &QPushButton::clicked, this, [this] { Guarded([this] { BtnExitClick(); }); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFrmChangePassword::BtnSaveClick() {
    const QString newPassword = OneNewPassWord->text();
    if (newPassword != TwoNewPassWord->text()) {
        Messages().showMessage(
            QStringLiteral("第一次输入的新密码与第二次确认密码不一样，请重新输入!!"));
        return;
    }
    bool changed = false;
    {
        const WaitCursor waiting;
        changed = m_state.ChangePassword(newPassword);
    }
    Messages().showMessage(changed ? QStringLiteral("密码修改成功!!")
                                   : QStringLiteral("密码修改失败!!"));
}

void TFrmChangePassword::BtnExitClick() {
    hide();
}
