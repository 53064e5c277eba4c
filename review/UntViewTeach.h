#pragma once
// The review window of the review system.

#include <QDialog>

class TPublicFuctionObject;

class TFrmViewTech : public QDialog {
    Q_OBJECT
public:
    explicit TFrmViewTech(TPublicFuctionObject& state, QWidget* parent = nullptr);
    ~TFrmViewTech() override;

private:
    TPublicFuctionObject& m_state;
};
