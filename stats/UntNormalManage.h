#pragma once
// The plain form the management windows derive from: font 宋体 9 point and
// key preview (the form sees every key before the focused control, which
// still gets it). No behaviour of its own.

#include <QDialog>
#include <QPointer>

class QKeyEvent;

class TFrmNormalManage : public QDialog {
    Q_OBJECT
public:
    explicit TFrmNormalManage(QWidget* parent = nullptr);
    ~TFrmNormalManage() override;

    bool KeyPreview() const { return true; }

protected:
    // Every key press aimed at this form or one of its controls, once,
    // before the control. Empty here.
    virtual void FormKeyDown(QKeyEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key the control leaves travels up to its parents and passes the
    // filter again; these let it be previewed only at the first step. A key
    // release forgets them, so a later press that happens to reuse the
    // address is never taken for the earlier one.
    const QEvent* m_lastPreviewed = nullptr;
    QPointer<QWidget> m_lastPreviewTarget;
};
