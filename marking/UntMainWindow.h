#pragma once
// The marking workstation.

#include <QDialog>

class TPublicFuctionObject;

class TFrmMainWindow : public QDialog {
    Q_OBJECT
public:
    explicit TFrmMainWindow(TPublicFuctionObject& state, QWidget* parent = nullptr);
    ~TFrmMainWindow() override;

private:
    TPublicFuctionObject& m_state;
};
