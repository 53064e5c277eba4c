#pragma once
// The live statistics window.

#include <QDialog>

class TPublicFuctionObject;

class TFrmStaticUser : public QDialog {
    Q_OBJECT
public:
    explicit TFrmStaticUser(TPublicFuctionObject& state, QWidget* parent = nullptr);

private:
    TPublicFuctionObject& m_state;
};
