#pragma once
// The demo marking server: storage, sample sheets and the HTTP listener on
// 127.0.0.1, startable in-process (tests) or from main().

#include "Options.h"

#include <QString>

#include <memory>

class DemoServer {
public:
    explicit DemoServer(ServerOptions options);
    ~DemoServer(); // stops

    // Opens (seeding if new) the database and starts listening on
    // options.port (0 = a free port). False with a reason in error().
    bool start();
    void stop();
    int port() const;
    QString error() const;

    // Fault injection while running (Fault::None clears it).
    void setFault(const QString& command, Fault fault);
    // Delay before every reply, or before the replies to one command (which
    // then replaces the delay for every reply; 0 clears it). stop() cuts
    // every delay short.
    void setDelayMs(int ms);
    void setDelayMs(const QString& command, int ms);

    // Draws every sample sheet now; returns the number of pictures.
    int pregenerate(int threads);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
