#pragma once
// Fixed words of the protocol, shared by the handlers and the seed data.

#include <QString>

namespace words {

// Cut mode in which the client cuts regions out of whole page images.
inline const QString kCutModeAutomatic = QStringLiteral("自动");
// Ready-cut mode whose full-sheet images live under "info" with an "F" suffix.
inline const QString kCutModeCustom = QStringLiteral("定制");
// "Yes", e.g. for covering the information box of the full sheet.
inline const QString kYes = QStringLiteral("是");
// The bare word of success.
inline const QString kSuccess = QStringLiteral("成功");

} // namespace words
