#pragma once
// One function per command of the marking protocol, from the server side.
// Each takes the decoded query and answers with a reply; none throws.

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

class Database;
class SheetImages;

struct Reply {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/xml; charset=GBK";
    QString filePath; // when set, the body is this file's content (images)
};

struct HandlerContext {
    Database& db;
    SheetImages& images;
};

using Query = QMap<QString, QString>;
using Handler = std::function<Reply(HandlerContext&, const Query&)>;

// The handler of a command name ("GetQuestion"), or an empty function.
Handler handlerFor(const QString& command);

// The marking turns of a paper in one question group before `beforeTurn`
// (all turns when 0), oldest first: "<turn>$<mark>$<tag>" joined by "|".
QString turnHistory(Database& db, const QString& questionId, const QString& studentId,
                    int beforeTurn);

// A refusal in plain GBK text with an error status.
Reply refusal(int status, const QString& reason);
