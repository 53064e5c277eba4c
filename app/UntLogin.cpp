#include "UntLogin.h"

#include "AppError.h"
#include "GbkText.h"
#include "Messages.h"
#include "PasswordEcho.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "UntViewTeach.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

// The labels are disabled buttons with blue text in 宋体.
QPushButton* MakeCaption(const QString& text, QWidget* parent) {
    auto* caption = new QPushButton(text, parent);
    caption->setEnabled(false);
    caption->setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    caption->setFont(font);
    caption->setStyleSheet(QStringLiteral("QPushButton:disabled { color: blue; }"));
    return caption;
}

} // namespace

TFrmLogin::TFrmLogin(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_state(state),
      m_openSystem(&TFrmLogin::OpenSystemWindow) {
    setWindowTitle(QStringLiteral("请登录"));
    setFixedSize(400, 248);

    const int captionX = 70, editX = 160, rowH = 26, width = 170;
    int y = 62;
    auto row = [&](const QString& caption, QWidget* field) {
        MakeCaption(caption, this)->setGeometry(captionX, y, 80, rowH - 4);
        field->setGeometry(editX, y, width, rowH - 4);
        y += rowH + 6;
    };

    ServerIP = new QLineEdit(this);
    ServerIP->setObjectName(QStringLiteral("ServerIP"));
    ServerIP->setMaxLength(15);
    row(QStringLiteral("服务器IP"), ServerIP);

    edtUserName = new QLineEdit(this);
    edtUserName->setObjectName(QStringLiteral("edtUserName"));
    edtUserName->setMaxLength(10);
    row(QStringLiteral("用户帐号"), edtUserName);

    edtPassWord = new QLineEdit(this);
    edtPassWord->setObjectName(QStringLiteral("edtPassWord"));
    ShowAsHashes(edtPassWord);
    row(QStringLiteral("用户密码"), edtPassWord);

    ComboBoxSystem = new QComboBox(this);
    ComboBoxSystem->setObjectName(QStringLiteral("ComboBoxSystem"));
    ComboBoxSystem->addItems({QStringLiteral("评卷系统"), QStringLiteral("点评系统")});
    ComboBoxSystem->setCurrentIndex(0);
    row(QStringLiteral("登陆系统"), ComboBoxSystem);

    btnLogin = new QPushButton(QStringLiteral("&L.登录"), this);
    btnLogin->setObjectName(QStringLiteral("btnLogin"));
    btnLogin->setGeometry(110, y + 4, 80, 28);
    btnLogin->setDefault(true);
    btnLogin->setAutoDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&C.退出"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(210, y + 4, 80, 28);
    // A focused button takes Enter itself, as on the desktop the markers know:
    // Enter on 退出 quits, it does not sign in.
    btnCancel->setAutoDefault(true);

    connect(btnLogin, &QPushButton::clicked, this, &TFrmLogin::btnLoginClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmLogin::btnCancelClick);

    setTabOrder(btnLogin, btnCancel);
    setTabOrder(btnCancel, ComboBoxSystem);
    setTabOrder(ComboBoxSystem, edtPassWord);
    setTabOrder(edtPassWord, edtUserName);
    setTabOrder(edtUserName, ServerIP);
    btnLogin->setFocus();

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFrmLogin::btnLoginClick() {
    Guarded([&] {
        m_state.ServerUrl = QStringLiteral("http://") + ServerIP->text();
        const QString password = edtPassWord->text();
        const QString userId = edtUserName->text();
        bool validated = false;
        {
            const WaitCursor waiting;
            validated = m_state.ValidateUser(userId, password);
        }
        if (validated) {
            m_openSystem(ComboBoxSystem->currentIndex() == 0 ? MarkingSystem : ReviewSystem,
                         m_state, this);
            return;
        }
        const QString message = TrimCtl(m_state.LastMessage);
        if (!message.isEmpty())
            Messages().showMessage(message);
    });
}

void TFrmLogin::btnCancelClick() {
    close();
}

void TFrmLogin::OpenSystemWindow(System system, TPublicFuctionObject& state, QWidget* parent) {
    // Each sign-in gets a fresh window, destroyed when it closes.
    if (system == MarkingSystem) {
        TFrmMainWindow window(state, parent);
        window.exec();
    } else {
        TFrmViewTech window(state, parent);
        window.exec();
    }
}

void TFrmLogin::paintEvent(QPaintEvent* event) {
    // The background picture: a calm gradient with the product name.
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0xD6, 0xE6, 0xF7));
    gradient.setColorAt(1, QColor(0xF7, 0xFA, 0xFE));
    painter.fillRect(rect(), gradient);
    QFont title(QStringLiteral("宋体"));
    title.setPixelSize(22);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(0x1F, 0x4E, 0x8C));
    painter.drawText(QRect(0, 12, width(), 40), Qt::AlignCenter, QStringLiteral("网上评卷系统"));
    QDialog::paintEvent(event);
}
