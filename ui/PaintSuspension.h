#pragma once
// Repainting of a widget is suspended for the life of this object and
// resumed on every way out, errors included. Suspend the part of a window
// that changes, never the top-level window itself: on X11 a window whose
// painting was suspended and resumed does not always show its new
// contents until something else repaints it.

#include <QWidget>

class PaintSuspension {
public:
    explicit PaintSuspension(QWidget* widget) : m_widget(widget), m_was(widget->updatesEnabled()) {
        m_widget->setUpdatesEnabled(false);
    }
    ~PaintSuspension() { m_widget->setUpdatesEnabled(m_was); }
    PaintSuspension(const PaintSuspension&) = delete;
    PaintSuspension& operator=(const PaintSuspension&) = delete;

private:
    QWidget* m_widget;
    bool m_was;
};
