// Where Config.InI and Comment.TXT live when the program's folder is not
// writable (an installed package): the user's configuration folder, read
// first, seeded from the files shipped beside the program.
#include "AppPaths.h"
#include "IniFile.h"
#include "RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The process works with an unprivileged effective user while this lives,
// when it runs as root: root may write into any folder whatever its mode,
// and the point is a folder that refuses new files.
class Unprivileged {
public:
    Unprivileged() {
        if (geteuid() == 0)
            m_switched = seteuid(kNobody) == 0;
    }
    ~Unprivileged() {
        if (m_switched)
            static_cast<void>(seteuid(0));
    }
    bool ok() const { return geteuid() != 0; }
    static constexpr uid_t kNobody = 65534;

private:
    bool m_switched = false;
};

const QString kSection = QStringLiteral("ViewPaper");

class AppPaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program.isValid() && user.isValid());
        // Both folders reachable by the unprivileged user; the user's
        // configuration folder below is created on demand.
        QFile::setPermissions(program.path(), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(user.path(), QFileDevice::Permissions(0x7777));
        userDir = user.filePath(QStringLiteral("config/网上评卷"));
        SetAppDir(program.path());
        SetUserConfigDir(userDir);
    }
    void TearDown() override {
        // Writable again, so the temporary folder can go.
        QFile::setPermissions(program.path(), QFileDevice::Permissions(0x7777));
        SetAppDir(QString());
        SetUserConfigDir(QString());
    }
    void makeProgramFolderReadOnly() {
        ASSERT_TRUE(QFile::setPermissions(program.path(),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther));
    }

    QTemporaryDir program;
    QTemporaryDir user;
    QString userDir;
};

} // namespace

TEST_F(AppPaths, AWritableProgramFolderHoldsBothFiles) {
    EXPECT_EQ(ConfigIniPath(), program.filePath(QStringLiteral("Config.InI")));
    EXPECT_EQ(CommentTxtPath(), program.filePath(QStringLiteral("Comment.TXT")));
    EXPECT_FALSE(QDir(userDir).exists());
}

TEST_F(AppPaths, TheUserFolderByDefaultIsTheApplicationsConfigurationFolder) {
    SetUserConfigDir(QString());
    EXPECT_EQ(UserConfigDir(), QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

// A read-only program folder with the files shipped in it: they are copied
// to the user's folder, read from there, and every write lands there, so a
// zoom change or a new comment no longer fails.
TEST_F(AppPaths, AReadOnlyProgramFolderMovesBothFilesToTheUsersFolder) {
    const QByteArray shippedIni = "[ViewPaper]\r\nPermissionId=010101\r\nVidio=150\r\n";
    const QByteArray shippedComments = "Good\r\n";
    ASSERT_TRUE(WriteAll(program.filePath(QStringLiteral("Config.InI")), shippedIni));
    ASSERT_TRUE(WriteAll(program.filePath(QStringLiteral("Comment.TXT")), shippedComments));
    makeProgramFolderReadOnly();
    RecordingMessages messages;
    const Unprivileged unprivileged;
    ASSERT_TRUE(unprivileged.ok());

    const QString ini = ConfigIniPath();
    EXPECT_EQ(ini, userDir + QStringLiteral("/Config.InI"));
    EXPECT_EQ(IniFile(ini).readString(kSection, QStringLiteral("PermissionId"), QString()),
              QStringLiteral("010101"));
    EXPECT_TRUE(IniFile(ini).writeString(kSection, QStringLiteral("Vidio"), QStringLiteral("75")));
    EXPECT_TRUE(IniFile(ConfigIniPath())
                    .writeString(kSection, QStringLiteral("Vidio"), QStringLiteral("82")));
    // Read first from the user's copy: it holds the shipped keys and the new value.
    const IniFile again(ConfigIniPath());
    EXPECT_EQ(again.readString(kSection, QStringLiteral("Vidio"), QString()), QStringLiteral("82"));
    EXPECT_EQ(again.readString(kSection, QStringLiteral("PermissionId"), QString()),
              QStringLiteral("010101"));

    const QString comments = CommentTxtPath();
    EXPECT_EQ(comments, userDir + QStringLiteral("/Comment.TXT"));
    EXPECT_EQ(ReadAll(comments), shippedComments);

    EXPECT_EQ(ReadAll(program.filePath(QStringLiteral("Config.InI"))), shippedIni);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(AppPaths, WithoutShippedFilesTheFirstWriteCreatesThemInTheUsersFolder) {
    makeProgramFolderReadOnly();
    RecordingMessages messages;
    const Unprivileged unprivileged;
    ASSERT_TRUE(unprivileged.ok());

    EXPECT_EQ(
        IniFile(ConfigIniPath()).readString(kSection, QStringLiteral("Vidio"), QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_TRUE(IniFile(ConfigIniPath())
                    .writeString(kSection, QStringLiteral("Vidio"), QStringLiteral("120")));
    EXPECT_EQ(ReadAll(userDir + QStringLiteral("/Config.InI")), "[ViewPaper]\r\nVidio=120\r\n");
    EXPECT_FALSE(QFile::exists(program.filePath(QStringLiteral("Config.InI"))));
    EXPECT_TRUE(messages.shown.isEmpty());
}

// Neither folder takes a file: every zoom change still writes, but the user
// is told once.
TEST_F(AppPaths, AWriteThatStillFailsIsReportedOnce) {
    const QString blocker = user.filePath(QStringLiteral("a-file"));
    ASSERT_TRUE(WriteAll(blocker, "x"));
    SetAppDir(blocker + QStringLiteral("/program"));
    SetUserConfigDir(blocker + QStringLiteral("/config"));
    RecordingMessages messages;

    for (const char* zoom : {"110", "121", "133"})
        EXPECT_FALSE(
            IniFile(ConfigIniPath())
                .writeString(kSection, QStringLiteral("Vidio"), QString::fromLatin1(zoom)));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(QStringLiteral("无法写入文件")));
}
