// Handlers of the marking window whose behaviour belongs to paper loading,
// re-marking, marking symbols, submission and the windows opened from here
// (full-paper viewer, password dialog). Each moves to the file of its own
// concern when that work lands; until then the command does nothing.

#include "UntMainWindow.h"

void TFrmMainWindow::ActLoadPaperExecute() {}
void TFrmMainWindow::ActSymbolXExecute() {}
void TFrmMainWindow::ActSymbolLineExecute() {}
void TFrmMainWindow::ActPutBoxExecute() {}
void TFrmMainWindow::ActPutEllipseExecute() {}
void TFrmMainWindow::ActPutTextExecute() {}
void TFrmMainWindow::ActSizeWidthExecute() {}
void TFrmMainWindow::ActSizeHeightExecute() {}
void TFrmMainWindow::ActSize100Execute() {}
void TFrmMainWindow::ActSize50Execute() {}
void TFrmMainWindow::ActSize150Execute() {}
void TFrmMainWindow::ActSize200Execute() {}
void TFrmMainWindow::ActSizeToSmallExecute() {}
void TFrmMainWindow::ActSizeToLargeExecute() {}
void TFrmMainWindow::ActViewOriExecute() {}
void TFrmMainWindow::ActChangePasswordExecute() {}
void TFrmMainWindow::MenuItemClick(QAction*) {}
