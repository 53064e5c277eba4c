// demo-server: a marking server for the demo, the tests and the benchmarks.

#include "DemoServer.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}
} // namespace

int main(int argc, char** argv) {
    // Drawing the sample sheets needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const ParsedOptions parsed = parseOptions(app.arguments().mid(1));
    if (parsed.help) {
        std::fputs(optionsHelp().toUtf8().constData(), stdout);
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "demo-server: %s\n\n%s", parsed.error.toUtf8().constData(),
                     optionsHelp().toUtf8().constData());
        return 2;
    }
    DemoServer server(parsed.options);
    if (!server.start()) {
        std::fprintf(stderr, "demo-server: %s\n", server.error().toUtf8().constData());
        return 1;
    }
    // The port comes first and alone, so scripts can read it.
    std::printf("%d\n", server.port());
    std::printf("demo-server listening on 127.0.0.1:%d, data in %s\n", server.port(),
                parsed.options.dataDir.toUtf8().constData());
    std::fflush(stdout);
    if (parsed.options.pregenerate) {
        QElapsedTimer timer;
        timer.start();
        const int count = server.pregenerate(2);
        std::printf("drew %d sample pictures in %lld ms\n", count, timer.elapsed());
        std::fflush(stdout);
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!g_stop)
        QThread::msleep(100);
    server.stop();
    return 0;
}
