#include "AppPaths.h"

#include <QCoreApplication>

namespace {
QString& overriddenDir() {
    static QString dir;
    return dir;
}
} // namespace

QString AppDir() {
    if (!overriddenDir().isEmpty())
        return overriddenDir();
    return QCoreApplication::applicationDirPath();
}

void SetAppDir(const QString& dir) {
    overriddenDir() = dir;
}

QString ConfigIniPath() {
    return AppDir() + QStringLiteral("/Config.InI");
}

QString CommentTxtPath() {
    return AppDir() + QStringLiteral("/Comment.TXT");
}
