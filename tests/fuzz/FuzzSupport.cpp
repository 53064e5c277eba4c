#include "FuzzSupport.h"

#include "Messages.h"

#include <QGuiApplication>

namespace {

class SilentMessages : public IMessages {
public:
    void showMessage(const QString&) override {}
    bool askOkCancel(const QString&) override { return false; }
};

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

void PrepareFuzzing() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropMessage);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    static SilentMessages messages;
    SetMessages(&messages);
}
