#pragma once
// What the paper benchmarks share: timing rounds with min and median, the
// floors (the same GETs over a bare QNetworkAccessManager plus QImage
// decodes of the same bytes, one after another and in parallel), resident
// memory and a description of the machine the figures come from.

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QString>

#include <functional>

namespace bench {

// Milliseconds of one call of `work`.
double TimeMs(const std::function<void()>& work);

// Figures of one measured path over several rounds.
struct Series {
    QList<double> ms;
    double min() const;
    double median() const;
};

// Runs `rounds` rounds of every path; within a round the paths take turns in
// a rotating order, so a slow spell of the shared machine hits them alike.
QList<Series> Interleaved(int rounds, const QList<std::function<void()>>& paths);

// The floors of a paper: the same GETs done bare.
class BareFloor {
public:
    BareFloor();
    // One GET, waited for in a local event loop; empty on failure.
    QByteArray get(const QByteArray& address);
    // `first` (the paper request, when not empty), then every picture GET
    // with its decode, one after another.
    void sequential(const QByteArray& first, const QList<QByteArray>& pictures);
    // `first`, then all picture GETs at once, each decoded on a pool thread
    // as it arrives; returns when every decode is done.
    void parallel(const QByteArray& first, const QList<QByteArray>& pictures);
    // Pictures that failed to arrive or decode since the last call.
    int takeFailures();

private:
    QNetworkAccessManager m_manager;
    int m_failures = 0;
};

// Resident memory of this process in MB (VmRSS).
double ResidentMb();

// CPU model, cores, Qt version and load average, one line.
QString MachineLine();

// One result line: name, client min/median, each floor's min/median and
// the client's ratio to each floor's median (and min).
void PrintHeader();
void PrintRow(const QString& name, const Series& client, const Series& sequential,
              const Series& parallel);

} // namespace bench
