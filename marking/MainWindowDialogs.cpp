// Handlers of the marking window whose behaviour belongs to paper loading,
// re-marking, marking symbols, submission and the windows opened from here
// (full-paper viewer, password dialog). Each moves to the file of its own
// concern when that work lands; until then the command does nothing.

#include "UntMainWindow.h"

void TFrmMainWindow::ActViewOriExecute() {}
void TFrmMainWindow::ActChangePasswordExecute() {}
