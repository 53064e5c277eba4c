#include "Startup.h"

#include "BoxMessages.h"
#include "ImageView.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtTranslations() {
    // Every text of the program is Chinese, so Qt's own texts are too,
    // whatever locale the desktop runs in.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        qWarning("No qtbase_zh_CN translation in %s: Qt's own buttons and menus stay English.",
                 qUtf8Printable(folder));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void PrepareApplication() {
    InstallQtTranslations();
    // Desktops match the windows to the menu entry (its name and icon) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("marking-client"));
    // fontconfig does not map 宋体/SimSun to an installed CJK face here, so
    // the program maps them itself.
    imaging::InstallFontSubstitutions();
    InstallBoxMessages();
}
