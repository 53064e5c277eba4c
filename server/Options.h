#pragma once
// Command-line options of the demo server.

#include <QMap>
#include <QString>
#include <QStringList>

enum class Fault { None, Status500, Malformed, Empty, Truncated, Close };

struct ServerOptions {
    int port = 18080;            // 0 = pick a free port
    QString dataDir;             // images and, by default, the database
    QString dbFile;              // empty = <dataDir>/demo.sqlite
    int delayMs = 0;             // before every reply
    QMap<QString, int> delays;   // command -> delay before its replies, instead of delayMs
    int students = 42;           // seeded into a new database
    bool pregenerate = false;    // draw every sample sheet at start
    int dpi = 150;               // resolution of the sample sheets
    QMap<QString, Fault> faults; // command -> fault
};

struct ParsedOptions {
    ServerOptions options;
    bool help = false;
    QString error; // non-empty when the command line is wrong
};

ParsedOptions parseOptions(const QStringList& arguments); // without argv[0]
QString optionsHelp();
// "status500", "malformed", "empty", "truncated", "close"; Fault::None if unknown.
Fault faultFromName(const QString& name);
