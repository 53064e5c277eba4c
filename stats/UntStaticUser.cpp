#include "UntStaticUser.h"

TFrmStaticUser::TFrmStaticUser(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("用户统计"));
}
