#pragma once
// The wait cursor for the life of one command that waits (a request, the
// pictures of a paper, their decoding and composing), restored on every way
// out. Nested ones show one cursor.

#include <QApplication>

class WaitCursor {
public:
    WaitCursor() : m_active(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        if (m_active)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active;
};
