#include "Options.h"

Fault faultFromName(const QString& name) {
    static const QMap<QString, Fault> names{{QStringLiteral("status500"), Fault::Status500},
                                            {QStringLiteral("malformed"), Fault::Malformed},
                                            {QStringLiteral("empty"), Fault::Empty},
                                            {QStringLiteral("truncated"), Fault::Truncated},
                                            {QStringLiteral("close"), Fault::Close}};
    return names.value(name, Fault::None);
}

QString optionsHelp() {
    return QStringLiteral(
        "Usage: demo-server [options]\n"
        "A demo marking server on 127.0.0.1 with sample answer sheets.\n"
        "The first line of output is the port it listens on.\n\n"
        "  --port N          port to listen on (default 18080; 0 picks a free port)\n"
        "  --data DIR        data folder for images and database (default ./demo-data)\n"
        "  --db FILE         SQLite database file (default DIR/demo.sqlite)\n"
        "  --students N      students seeded into a new database (default 42)\n"
        "  --delay-ms N      wait N milliseconds before every reply\n"
        "  --delay-ms CMD=N  wait N milliseconds before each reply to command CMD\n"
        "                    (instead of the delay for every reply); may be repeated\n"
        "  --fault CMD=KIND  answer command CMD with a fault; KIND is one of\n"
        "                    status500, malformed, empty, truncated (images), close;\n"
        "                    may be repeated\n"
        "  --dpi N           resolution of the sample answer sheets (default 150; 75 to 400);\n"
        "                    the regions the server hands out scale with it\n"
        "  --pregenerate     draw every sample answer sheet at start (else on first request)\n"
        "  --help            show this text\n");
}

ParsedOptions parseOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    ServerOptions& o = parsed.options;
    o.dataDir = QStringLiteral("demo-data");
    auto fail = [&](const QString& message) {
        parsed.error = message;
        return parsed;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments[i];
        auto value = [&](QString* out) {
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments[++i];
            return true;
        };
        auto number = [&](int* out, int lowest, int highest) {
            QString text;
            bool ok = false;
            if (value(&text)) {
                const int n = text.toInt(&ok);
                ok = ok && n >= lowest && n <= highest;
                if (ok)
                    *out = n;
            }
            return ok;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            parsed.help = true;
        } else if (arg == QLatin1String("--port")) {
            if (!number(&o.port, 0, 65535))
                return fail(QStringLiteral("--port needs a number from 0 to 65535"));
        } else if (arg == QLatin1String("--data")) {
            if (!value(&o.dataDir))
                return fail(QStringLiteral("--data needs a folder"));
        } else if (arg == QLatin1String("--db")) {
            if (!value(&o.dbFile))
                return fail(QStringLiteral("--db needs a file"));
        } else if (arg == QLatin1String("--delay-ms")) {
            QString text;
            const bool given = i + 1 < arguments.size();
            if (given)
                text = arguments[i + 1];
            const qsizetype eq = text.indexOf(QLatin1Char('='));
            if (eq > 0) {
                ++i;
                bool ok = false;
                const int ms = text.mid(eq + 1).toInt(&ok);
                if (!ok || ms < 0 || ms > 600000)
                    return fail(
                        QStringLiteral("--delay-ms %1: expected COMMAND=milliseconds").arg(text));
                o.delays.insert(text.left(eq), ms);
            } else if (!number(&o.delayMs, 0, 600000)) {
                return fail(QStringLiteral("--delay-ms needs a number of milliseconds"));
            }
        } else if (arg == QLatin1String("--students")) {
            if (!number(&o.students, 1, 10000))
                return fail(QStringLiteral("--students needs a number from 1 to 10000"));
        } else if (arg == QLatin1String("--dpi")) {
            if (!number(&o.dpi, 75, 400))
                return fail(QStringLiteral("--dpi needs a number from 75 to 400"));
        } else if (arg == QLatin1String("--pregenerate")) {
            o.pregenerate = true;
        } else if (arg == QLatin1String("--fault")) {
            QString faultText;
            if (!value(&faultText))
                return fail(QStringLiteral("--fault needs COMMAND=KIND"));
            const qsizetype eq = faultText.indexOf(QLatin1Char('='));
            const Fault fault = eq > 0 ? faultFromName(faultText.mid(eq + 1)) : Fault::None;
            if (fault == Fault::None)
                return fail(
                    QStringLiteral(
                        "--fault %1: expected COMMAND=status500|malformed|empty|truncated|close")
                        .arg(faultText));
            o.faults.insert(faultText.left(eq), fault);
        } else {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    return parsed;
}
