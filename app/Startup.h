#pragma once
// The three objects every window shares for the whole run: the HTTP client,
// the XML document and the client-state object, created in that order.

#include "HttpGet.h"
#include "UntPublic.h"
#include "XmlReply.h"

struct SharedObjects {
    QtHttpGet http;
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
};

// Application-wide set-up done once before the first window: Qt's own
// Chinese texts, fonts that render Chinese under the faces the windows ask
// for, and the message boxes.
void PrepareApplication();

// Loads Qt's Chinese translation (qtbase_zh_CN) from Qt's translations folder
// so standard buttons and edit menus speak Chinese like the rest of the
// program. False when the file is missing; the program then carries on with
// Qt's English texts.
bool InstallQtTranslations();
