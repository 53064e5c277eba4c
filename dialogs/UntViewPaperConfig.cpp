#include "UntViewPaperConfig.h"

TFrmViewPaperConfig::TFrmViewPaperConfig(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("评卷设置"));
}
