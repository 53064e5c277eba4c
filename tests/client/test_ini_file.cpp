// Config.InI access: defaults, case-insensitive names, GBK values, kept content.
#include "AppError.h"
#include "AppPaths.h"
#include "GbkText.h"
#include "IniFile.h"
#include "RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST(IniFile, DefaultsWithoutAFile) {
    QTemporaryDir dir;
    const IniFile ini(dir.filePath(QStringLiteral("Config.InI")));
    EXPECT_EQ(ini.readString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                             QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"), 7), 7);
    EXPECT_TRUE(ini.readBool(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"), true));
    EXPECT_FALSE(QFile::exists(ini.path())); // reading never creates it
}

TEST(IniFile, ReadsCaseInsensitivelyAndDecodesGbk) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.InI"));
    writeAll(path, "; comment\r\n[Other]\r\nPermissionId=wrong\r\n[viewpaper]\r\n"
                   "permissionid = 12 \r\nAUTOLOADPAPER=1\nVidio=abc\nName=" +
                       gbk::encode(QStringLiteral("张三")) + "\r\nOff=0\r\n");
    const IniFile ini(path);
    const QString s = QStringLiteral("ViewPaper");
    EXPECT_EQ(ini.readString(s, QStringLiteral("PermissionId"), QString()), QStringLiteral("12"));
    EXPECT_EQ(ini.readInteger(s, QStringLiteral("PermissionId"), 0), 12);
    EXPECT_TRUE(ini.readBool(s, QStringLiteral("AutoLoadPaper"), false));
    EXPECT_FALSE(ini.readBool(s, QStringLiteral("Off"), true));
    EXPECT_EQ(ini.readInteger(s, QStringLiteral("Vidio"), 5), 5); // not an integer
    EXPECT_TRUE(ini.readBool(s, QStringLiteral("Vidio"), true));  // not an integer
    EXPECT_EQ(ini.readString(s, QStringLiteral("Name"), QString()), QStringLiteral("张三"));
    EXPECT_EQ(ini.readString(s, QStringLiteral("Missing"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(IniFile, FirstWriteCreatesTheFileWithGbkBytes) {
    QTemporaryDir dir;
    SetAppDir(dir.path());
    IniFile ini(ConfigIniPath());
    SetAppDir(QString());
    ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                    QStringLiteral("语文一"));
    ini.writeBool(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"), true);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("Config.InI"))),
              "[ViewPaper]\r\nPermissionId=" + gbk::encode(QStringLiteral("语文一")) +
                  "\r\nAutoLoadPaper=1\r\n");
    EXPECT_EQ(
        ini.readString(QStringLiteral("VIEWPAPER"), QStringLiteral("permissionid"), QString()),
        QStringLiteral("语文一"));
}

TEST(IniFile, WritingKeepsEverythingElseInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.InI"));
    writeAll(path, "; settings\n[First]\nA=1\n\n[viewpaper]\n; keep me\nPERMISSIONID=3\n"
                   "odd line\nVidio=1\n\n[Last]\nZ=9\n");
    IniFile ini(path);
    ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"),
                    QStringLiteral("44"));
    ini.writeBool(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"), false);
    ini.writeString(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("line\r\nbreak"));
    EXPECT_EQ(readAll(path),
              QByteArray("; settings\r\n[First]\r\nA=1\r\n\r\n[viewpaper]\r\n; keep me\r\n"
                         "PERMISSIONID=44\r\nodd line\r\nVidio=1\r\nAutoLoadPaper=0\r\n"
                         "\r\n[Last]\r\nZ=9\r\n\r\n[New]\r\nK=line  break\r\n"));
}

// A file that cannot be written is reported once (the zoom is written on
// every change), and each write says it failed.
TEST(IniFile, UnwritableFileIsReportedOncePerSession) {
    RecordingMessages messages;
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("missing/folder/Config.InI")));
    EXPECT_FALSE(ini.writeBool(QStringLiteral("ViewPaper"), QStringLiteral("AutoLoadPaper"), true));
    EXPECT_FALSE(ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"),
                                 QStringLiteral("150")));
    EXPECT_FALSE(ini.writeString(QStringLiteral("ViewPaper"), QStringLiteral("Vidio"),
                                 QStringLiteral("165")));
    EXPECT_EQ(messages.shown, QStringList{QStringLiteral("无法写入文件 %1").arg(ini.path())});
}

// An editor may save the file as UTF-8 with a byte-order mark. The mark is
// not part of the first section's header, and the values are UTF-8 then.
TEST(IniFile, ByteOrderMarkKeepsTheFirstSectionAndMeansUtf8) {
    const QByteArray bom = "\xEF\xBB\xBF";
    const QString fit = QStringLiteral("适应大小");
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"CR LF", bom + "[ViewPaper]\r\nPermissionId=010101\r\nVidio=" + fit.toUtf8() + "\r\n"},
        {"LF only", bom + "[ViewPaper]\nPermissionId=010101\nVidio=" + fit.toUtf8() + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.InI"));
        writeAll(path, c.content);
        IniFile ini(path);
        const QString s = QStringLiteral("ViewPaper");
        EXPECT_EQ(ini.readString(s, QStringLiteral("PermissionId"), QString()),
                  QStringLiteral("010101"));
        EXPECT_EQ(ini.readString(s, QStringLiteral("Vidio"), QString()), fit);

        // A write finds the section instead of appending a second one, and
        // the file stays UTF-8 with its mark.
        ASSERT_TRUE(ini.writeString(s, QStringLiteral("PermissionId"), QStringLiteral("语文")));
        ASSERT_TRUE(ini.writeBool(s, QStringLiteral("AutoLoadPaper"), true));
        EXPECT_EQ(readAll(path),
                  bom + "[ViewPaper]\r\nPermissionId=" + QStringLiteral("语文").toUtf8() +
                      "\r\nVidio=" + fit.toUtf8() + "\r\nAutoLoadPaper=1\r\n");
        EXPECT_EQ(ini.readString(s, QStringLiteral("PermissionId"), QString()),
                  QStringLiteral("语文"));
    }
}
