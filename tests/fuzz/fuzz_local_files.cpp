// The local files as a user's editor or a broken disk may leave them.
//  - Config.InI: every setting read; a value written reads back as written,
//    and a setting of another key keeps its value.
//  - Comment.TXT: the comments read; when the list is written back, it
//    reads back line for line (or nothing is written).
#include "CommentList.h"
#include "FuzzSupport.h"
#include "GbkText.h"
#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString FilePath(const char* name) {
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

void Store(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

// A value as the program writes one: a permission id, a zoom, "1" or "0",
// "适应大小".
QString PlainValue(FuzzInput& in) {
    static const QString chosen[] = {QStringLiteral("适应大小"), QStringLiteral("1"),
                                     QStringLiteral("0"), QStringLiteral("000000000")};
    if (in.flag())
        return chosen[in.below(4)];
    return QString::number(in.int32());
}

void CheckIni(FuzzInput& in, const QByteArray& content) {
    const QString path = FilePath("Config.InI");
    Store(path, content);
    IniFile ini(path);
    const QString section = QStringLiteral("ViewPaper");
    const QString keys[] = {QStringLiteral("PermissionId"), QStringLiteral("AutoLoadPaper"),
                            QStringLiteral("Vidio")};
    for (const QString& key : keys) {
        static_cast<void>(ini.readString(section, key, QStringLiteral("d")));
        static_cast<void>(ini.readInteger(section, key, 7));
        static_cast<void>(ini.readBool(section, key, true));
    }
    const int written = in.below(3);
    const int other = (written + 1 + in.below(2)) % 3;
    const QString before = ini.readString(section, keys[other], QStringLiteral("none"));
    const QString value = PlainValue(in);
    FUZZ_CHECK(ini.writeString(section, keys[written], value));
    FUZZ_CHECK(ini.readString(section, keys[written], QString()) == value);
    FUZZ_CHECK(ini.readString(section, keys[other], QStringLiteral("none")) == before);
}

void CheckComments(const QByteArray& content) {
    const QString path = FilePath("Comment.TXT");
    Store(path, content);
    const QStringList comments = marking::ReadCommentFile(path);
    if (marking::WriteCommentFile(path, comments))
        FUZZ_CHECK(marking::ReadCommentFile(path) == comments);
    else
        FUZZ_CHECK(QFile(path).size() == content.size()); // left as it was
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    FuzzInput in(data, size);
    const bool comments = in.flag();
    FuzzInput values(data, size > 8 ? 8 : size);
    const QByteArray content = in.rest();
    if (comments)
        CheckComments(content);
    else
        CheckIni(values, content);
    return 0;
}
