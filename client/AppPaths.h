#pragma once
#include <QString>

// Folder of the executable, where Config.InI and Comment.TXT live. Tests
// point it at a temporary folder.
QString AppDir();
void SetAppDir(const QString& dir); // empty restores the executable's folder
QString ConfigIniPath();            // AppDir() + "/Config.InI"
QString CommentTxtPath();           // AppDir() + "/Comment.TXT"
