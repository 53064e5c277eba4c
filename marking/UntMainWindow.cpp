#include "UntMainWindow.h"

#include "UntPublic.h"

TFrmMainWindow::TFrmMainWindow(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("网上评卷客户端"));
}

TFrmMainWindow::~TFrmMainWindow() = default;
