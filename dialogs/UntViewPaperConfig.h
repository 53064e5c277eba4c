#pragma once
// The marking settings dialog.

#include <QDialog>

class TPublicFuctionObject;

class TFrmViewPaperConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFrmViewPaperConfig(TPublicFuctionObject& state, QWidget* parent = nullptr);

private:
    TPublicFuctionObject& m_state;
};
