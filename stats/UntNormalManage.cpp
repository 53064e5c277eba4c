#include "UntNormalManage.h"

#include "AppError.h"

#include <QApplication>
#include <QKeyEvent>

TFrmNormalManage::TFrmNormalManage(QWidget* parent) : QDialog(parent) {
    setFont(QFont(QStringLiteral("宋体"), 9));
    qApp->installEventFilter(this);
}

TFrmNormalManage::~TFrmNormalManage() {
    qApp->removeEventFilter(this);
}

void TFrmNormalManage::FormKeyDown(QKeyEvent*) {}

bool TFrmNormalManage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        m_lastPreviewed = nullptr;
        m_lastPreviewTarget = nullptr;
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    const QWidget* target = m_lastPreviewTarget;
    const bool propagated =
        event == m_lastPreviewed && target && widget != target && widget->isAncestorOf(target);
    if (!propagated) {
        m_lastPreviewed = event;
        m_lastPreviewTarget = widget;
        Guarded([&] { FormKeyDown(static_cast<QKeyEvent*>(event)); });
    }
    return false;
}
