#pragma once
// A client against a scripted loopback server: the program's shared objects
// (HTTP client, XML document, client state with ServerUrl pointing at the
// server), a recorder of message boxes, and Config.InI / Comment.TXT in a
// temporary folder for the life of the object.

#include "AppPaths.h"
#include "HttpGet.h"
#include "RecordingMessages.h"
#include "ScriptedServer.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QTemporaryDir>
#include <stdexcept>

class ScriptedClient {
public:
    ScriptedClient() {
        if (!appDir.isValid())
            throw std::runtime_error("scripted client: no temporary folder");
        SetAppDir(appDir.path());
        // Never the real user's folder, should a test make the program's
        // folder unwritable.
        SetUserConfigDir(appDir.filePath(QStringLiteral("user-config")));
        state.ServerUrl = QStringLiteral("http://") + server.address();
    }
    ~ScriptedClient() {
        SetAppDir(QString());
        SetUserConfigDir(QString());
    }
    ScriptedClient(const ScriptedClient&) = delete;
    ScriptedClient& operator=(const ScriptedClient&) = delete;

    QTemporaryDir appDir;
    RecordingMessages messages;
    ScriptedServer server;
    QtHttpGet http{5000};
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
};
