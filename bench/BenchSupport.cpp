#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QThread>
#include <QThreadPool>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace bench {

double TimeMs(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

double Series::min() const {
    return ms.isEmpty() ? 0 : *std::min_element(ms.begin(), ms.end());
}

double Series::median() const {
    if (ms.isEmpty())
        return 0;
    QList<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

QList<Series> Interleaved(int rounds, const QList<std::function<void()>>& paths) {
    QList<Series> series(paths.size());
    for (int r = 0; r < rounds; ++r) {
        for (qsizetype k = 0; k < paths.size(); ++k) {
            const qsizetype i = (r + k) % paths.size();
            series[i].ms.append(TimeMs(paths[i]));
        }
    }
    return series;
}

BareFloor::BareFloor() {
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

QByteArray BareFloor::get(const QByteArray& address) {
    QNetworkReply* reply = m_manager.get(QNetworkRequest(QUrl::fromEncoded(address)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QByteArray body;
    if (reply->error() == QNetworkReply::NoError)
        body = reply->readAll();
    delete reply;
    return body;
}

void BareFloor::sequential(const QByteArray& first, const QList<QByteArray>& pictures) {
    if (!first.isEmpty() && get(first).isEmpty())
        ++m_failures;
    for (const QByteArray& address : pictures) {
        QImage image;
        if (!image.loadFromData(get(address)))
            ++m_failures;
    }
}

void BareFloor::parallel(const QByteArray& first, const QList<QByteArray>& pictures) {
    if (!first.isEmpty() && get(first).isEmpty())
        ++m_failures;
    QEventLoop loop;
    std::atomic<int> pending{int(pictures.size())};
    std::atomic<int> failures{0};
    QObject context;
    const auto oneDone = [&] {
        if (--pending == 0)
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    };
    for (const QByteArray& address : pictures) {
        QNetworkReply* reply = m_manager.get(QNetworkRequest(QUrl::fromEncoded(address)));
        QObject::connect(reply, &QNetworkReply::finished, &context, [&, reply] {
            QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : "";
            reply->deleteLater();
            QThreadPool::globalInstance()->start([&, body = std::move(body)] {
                QImage image;
                if (!image.loadFromData(body))
                    ++failures;
                oneDone();
            });
        });
    }
    if (!pictures.isEmpty())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QThreadPool::globalInstance()->waitForDone();
    m_failures += failures;
}

int BareFloor::takeFailures() {
    const int n = m_failures;
    m_failures = 0;
    return n;
}

double ResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

QString MachineLine() {
    QString model;
    QFile cpu(QStringLiteral("/proc/cpuinfo"));
    if (cpu.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cpu.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                model = QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
        }
    }
    QString load;
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        load = QString::fromLatin1(loadavg.readAll().split(' ').mid(0, 3).join(' '));
    return QStringLiteral("%1, %2 cores, Qt %3, load average %4")
        .arg(model)
        .arg(QThread::idealThreadCount())
        .arg(QString::fromLatin1(qVersion()), load);
}

void PrintHeader() {
    std::printf("%-44s %15s %15s %15s %13s %13s\n", "", "client ms", "seq floor ms", "par floor ms",
                "client/par", "client/seq");
    std::printf("%-44s %15s %15s %15s %13s %13s\n", "case", "min   median", "min   median",
                "min   median", "median (min)", "median (min)");
}

void PrintRow(const QString& name, const Series& client, const Series& sequential,
              const Series& parallel) {
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("%-44s %6.1f %7.1f  %6.1f %7.1f  %6.1f %7.1f  %5.2f (%4.2f)  %5.2f (%4.2f)\n",
                name.toUtf8().constData(), client.min(), client.median(), sequential.min(),
                sequential.median(), parallel.min(), parallel.median(),
                ratio(client.median(), parallel.median()), ratio(client.min(), parallel.min()),
                ratio(client.median(), sequential.median()), ratio(client.min(), sequential.min()));
    std::fflush(stdout);
}

} // namespace bench
