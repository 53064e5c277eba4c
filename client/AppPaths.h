#pragma once
// Where Config.InI and Comment.TXT live: beside the executable, or, when that
// folder is not writable (an installed package), in the user's configuration
// folder (QStandardPaths::AppConfigLocation), which is then read first. Tests
// point both folders at temporary ones.

#include <QString>

// Folder of the executable.
QString AppDir();
void SetAppDir(const QString& dir); // empty restores the executable's folder

// The user's configuration folder (AppConfigLocation).
QString UserConfigDir();
void SetUserConfigDir(const QString& dir); // empty restores AppConfigLocation

// The file `name` as the program reads and writes it: in AppDir() when that
// folder takes new files; otherwise in UserConfigDir() (created on demand).
// A copy beside the executable that the user folder does not have yet (a
// file shipped with the program) is copied there first, so it is still read
// and every later write goes to the user's copy; when even that copy cannot
// be made, the file beside the executable is returned to be read.
QString LocalFilePath(const QString& name);
QString ConfigIniPath();  // LocalFilePath("Config.InI")
QString CommentTxtPath(); // LocalFilePath("Comment.TXT")

// Reports that a local file could not be written, through the message
// interface, once per file and session: a setting written on every zoom
// change must not bring up a box each time. Returns whether it was shown.
bool ReportLocalFileWriteFailure(const QString& path, const QString& text);
