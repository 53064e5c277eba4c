#include "CommentList.h"

#include "AppPaths.h"
#include "GbkText.h"
#include "Messages.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace marking {

namespace {

QString WithoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

const QByteArray kUtf8Bom = "\xEF\xBB\xBF";

QString DecodeCommentBytes(QByteArray bytes) {
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.mid(kUtf8Bom.size()));
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return gbk::decode(bytes);
}

} // namespace

QStringList ReadCommentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = DecodeCommentBytes(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // The last line's CR LF leaves one empty piece behind it.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool WriteCommentFile(const QString& path, const QStringList& comments) {
    QByteArray bytes;
    for (const QString& comment : comments) {
        const QString line = WithoutLineBreaks(comment);
        if (!gbk::canEncode(line)) {
            Messages().showMessage(
                QStringLiteral("批注“%1”含有无法以GBK保存的字符，批注文件%2未改写，以免丢失内容。")
                    .arg(line, path));
            return false;
        }
        bytes += gbk::encode(line) + "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ReportLocalFileWriteFailure(
            path, QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool ContainsComment(const QStringList& comments, const QString& text) {
    return comments.contains(text, Qt::CaseInsensitive);
}

QString SanitizeComment(const QString& text) {
    QString s = WithoutLineBreaks(text);
    s.replace(QLatin1Char('!'), QStringLiteral("！"));
    s.replace(QLatin1Char(';'), QStringLiteral("；"));
    s.replace(QLatin1Char('"'), QStringLiteral("＂"));
    s.replace(QLatin1Char('\''), QStringLiteral("＇"));
    // The server returns earlier turns joined by "|" with their fields joined
    // by "$", which the client reads as "&": any of the three in a comment
    // would cut that turn's history apart.
    s.replace(QLatin1Char('|'), QStringLiteral("｜"));
    s.replace(QLatin1Char('$'), QStringLiteral("＄"));
    s.replace(QLatin1Char('&'), QStringLiteral("＆"));
    return TrimCtl(s);
}

} // namespace marking
