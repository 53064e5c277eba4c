#pragma once
// Small pieces shared by the review window's handler files.

#include "HttpGet.h"
#include "RequestAddress.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include "PaintSuspension.h"
#include <QString>

#include <QWidget>

namespace review {

// Sends one of the window's requests and loads the reply into the shared XML
// document: false when the GET failed, or the reply is empty once trimmed
// or not well-formed XML. Never raises, shows nothing.
inline bool LoadReply(TPublicFuctionObject& state, const RequestAddress& address) {
    const HttpResult result = state.http().get(address.encoded());
    return result.ok && state.xml().load(result.body);
}

// The id of a subject or class item: the text before the first ":"; empty
// when the text has none.
inline QString ItemId(const QString& itemText) {
    const qsizetype colon = itemText.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : itemText.left(colon);
}

} // namespace review
