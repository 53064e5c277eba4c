// The reply reader: any body a server may send, read the way every request
// reads its reply (fields, attributes, records by position).
#include "FuzzSupport.h"
#include "XmlReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    XmlReply xml;
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!xml.load(body)) {
        FUZZ_CHECK(xml.recordCount() == 0);
        return 0;
    }
    FUZZ_CHECK(xml.topLevelCount() >= 1);
    FUZZ_CHECK(xml.recordCount() <= kMaxReplyElements);
    for (const char* name : {"StudentId", "AllTurnInfo", "Tag", "Basic", "Cut", "InfoStartX"}) {
        bool found = false;
        const QString raw = xml.rawField(QString::fromLatin1(name), &found);
        FUZZ_CHECK(found || raw.isEmpty());
        static_cast<void>(xml.field(QString::fromLatin1(name)));
    }
    QString value;
    for (const char* name : {"Name", "Descrip", "Login"})
        static_cast<void>(xml.attribute(QString::fromLatin1(name), &value));
    for (int i = -1; i <= xml.recordCount(); ++i)
        static_cast<void>(xml.recordField(i, QStringLiteral("PermissionId")));
    return 0;
}
