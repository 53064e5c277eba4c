#include "AppPaths.h"

#include "Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString& overriddenAppDir() {
    static QString dir;
    return dir;
}

QString& overriddenUserDir() {
    static QString dir;
    return dir;
}

// Whether a new file can be made in the folder. A real attempt, not the
// permission bits: root passes every permission check, yet a read-only
// mount refuses it. Asked once per folder and session, since the settings
// are written on every zoom change.
bool TakesNewFiles(const QString& dir) {
    static QHash<QString, bool> known;
    const auto found = known.constFind(dir);
    if (found != known.cend())
        return *found;
    QTemporaryFile probe(dir + QStringLiteral("/.write-probe-XXXXXX"));
    const bool writable = probe.open();
    known.insert(dir, writable);
    return writable;
}

} // namespace

QString AppDir() {
    if (!overriddenAppDir().isEmpty())
        return overriddenAppDir();
    return QCoreApplication::applicationDirPath();
}

void SetAppDir(const QString& dir) {
    overriddenAppDir() = dir;
}

QString UserConfigDir() {
    if (!overriddenUserDir().isEmpty())
        return overriddenUserDir();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

void SetUserConfigDir(const QString& dir) {
    overriddenUserDir() = dir;
}

QString LocalFilePath(const QString& name) {
    const QString besideProgram = AppDir() + QLatin1Char('/') + name;
    if (TakesNewFiles(AppDir()))
        return besideProgram;
    const QString userDir = UserConfigDir();
    const QString own = userDir + QLatin1Char('/') + name;
    if (QFile::exists(own))
        return own;
    QDir().mkpath(userDir);
    if (QFile::exists(besideProgram) && !QFile::copy(besideProgram, own))
        return besideProgram;
    if (QFile::exists(own)) {
        // A shipped file may be read-only; the user's copy must take writes.
        QFile(own).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
    }
    return own;
}

QString ConfigIniPath() {
    return LocalFilePath(QStringLiteral("Config.InI"));
}

QString CommentTxtPath() {
    return LocalFilePath(QStringLiteral("Comment.TXT"));
}

bool ReportLocalFileWriteFailure(const QString& path, const QString& text) {
    static QSet<QString> reported;
    if (reported.contains(path))
        return false;
    reported.insert(path);
    Messages().showMessage(text);
    return true;
}
