#include "UntViewTeach.h"

#include "UntPublic.h"

TFrmViewTech::TFrmViewTech(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("网上点评客户端"));
    resize(1024, 700);
}

TFrmViewTech::~TFrmViewTech() = default;
