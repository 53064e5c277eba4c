// The windows opened from the marking window: the statistics window and the
// password dialog (created on first use, kept beside it, shown modelessly)
// and the full-paper viewer (created for each use).

#include "UntMainWindow.h"

#include "UntChangePassword.h"
#include "UntOriPaper.h"
#include "UntStaticUser.h"

#include <QAction>

void TFrmMainWindow::ActStaticUserExecute() {
    if (!FrmStaticUser)
        FrmStaticUser = new TFrmStaticUser(m_state, this);
    FrmStaticUser->show();
    FrmStaticUser->raise();
}

void TFrmMainWindow::ActViewOriExecute() {
    // Only a paper that is still open for marking has sheets to look at.
    if (!ActSavePaper->isEnabled())
        return;
    // Built afresh for every look, so the sheets and the box are fetched again.
    const QPointer<QDialog> viewer = new TFrmOriPaper(m_state, this);
    FrmOriPaper = viewer;
    viewer->exec();
    delete viewer.data(); // null when the window's close freed it already
    FrmOriPaper = nullptr;
}

void TFrmMainWindow::ActChangePasswordExecute() {
    // One dialog for the window's life: it is shown again with what its
    // edits held, and freed when the window closes (FormDestroy).
    if (!FrmChangePassword)
        FrmChangePassword = new TFrmChangePassword(m_state, this);
    FrmChangePassword->show();
    FrmChangePassword->raise();
    FrmChangePassword->activateWindow();
}
