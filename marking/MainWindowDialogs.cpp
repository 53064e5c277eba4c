// The windows opened from the marking window: the statistics window and the
// password dialog (created on first use, kept, shown modelessly) and the
// full-paper viewer (created for each use).

#include "UntMainWindow.h"

#include "UntStaticUser.h"

void TFrmMainWindow::ActStaticUserExecute() {
    if (!FrmStaticUser)
        FrmStaticUser = new TFrmStaticUser(m_state, this);
    FrmStaticUser->show();
    FrmStaticUser->raise();
}

void TFrmMainWindow::ActViewOriExecute() {}
void TFrmMainWindow::ActChangePasswordExecute() {}
