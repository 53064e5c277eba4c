// Start-up: from the moment the client process is spawned until its first
// window (the sign-in window) is mapped on the X server, watched from
// outside the program; beside it the same for a bare Qt Widgets program
// that shows one empty window (the floor). Needs DISPLAY (Xvfb).
//
//   bench_startup --client build/marking-client [--rounds N]
//
// Prints figures; never fails on time.

#include "BenchSupport.h"

#include <QApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

class MapWatcher {
public:
    MapWatcher() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
        if (atom) {
            m_pidAtom = atom->atom;
            std::free(atom);
        }
        xcb_flush(m_connection);
        m_ok = m_pidAtom != XCB_NONE;
    }
    ~MapWatcher() {
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    bool ok() const { return m_ok; }

    // Milliseconds from spawning `argv` until a window of that process is
    // mapped; negative when none is within 10 s. The process is ended after.
    double timeToMap(const std::vector<std::string>& argv) {
        drain();
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const Clock::time_point start = Clock::now();
        // What the programs print is not the benchmark's.
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, args[0], &quiet, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0)
            return -1;
        double ms = -1;
        const Clock::time_point deadline = start + std::chrono::seconds(10);
        while (ms < 0 && Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
            if (!event) {
                pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
                poll(&fd, 1, 100);
                continue;
            }
            if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                const Clock::time_point mapped = Clock::now();
                if (windowPid(map->window) == uint32_t(pid))
                    ms = std::chrono::duration<double, std::milli>(mapped - start).count();
            }
            std::free(event);
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        return ms;
    }

private:
    uint32_t windowPid(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        uint32_t pid = 0;
        if (reply) {
            if (xcb_get_property_value_length(reply) == 4)
                std::memcpy(&pid, xcb_get_property_value(reply), 4);
            std::free(reply);
        }
        return pid;
    }
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_pidAtom = XCB_NONE;
    bool m_ok = false;
};

int BareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(360, 220);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    std::string client;
    int rounds = 12;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--bare-window")
            return BareWindow(argc, argv);
        if (arg == "--client" && i + 1 < argc)
            client = argv[++i];
        else if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(10, std::atoi(argv[++i]));
    }
    if (client.empty() || !std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_startup: --client PATH and a DISPLAY are needed\n");
        return 2;
    }
    MapWatcher watcher;
    if (!watcher.ok()) {
        std::fprintf(stderr, "bench_startup: cannot watch the X server\n");
        return 2;
    }
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 2;
    bench::Series clientMs, bareMs;
    for (int r = 0; r < rounds; ++r) {
        // Alternate which goes first; both see the same warm caches.
        for (int k = 0; k < 2; ++k) {
            const bool clientTurn = (r + k) % 2 == 0;
            const double ms = clientTurn ? watcher.timeToMap({client})
                                         : watcher.timeToMap({self, "--bare-window"});
            if (ms < 0)
                std::fprintf(stderr, "bench_startup: no window within 10 s\n");
            else
                (clientTurn ? clientMs : bareMs).ms.append(ms);
        }
    }
    std::printf("(f) start to the sign-in window mapped: min %.1f median %.1f ms; "
                "bare Qt window: min %.1f median %.1f ms; ratio %.2f (%.2f)\n",
                clientMs.min(), clientMs.median(), bareMs.min(), bareMs.median(),
                bareMs.median() > 0 ? clientMs.median() / bareMs.median() : 0.0,
                bareMs.min() > 0 ? clientMs.min() / bareMs.min() : 0.0);
    return 0;
}
