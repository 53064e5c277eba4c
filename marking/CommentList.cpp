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

// The text of the file's bytes. UTF-8 when they start with a byte-order
// mark, or when they are valid UTF-8 holding a character from U+0800 up
// (UTF-8 Chinese always does). Valid UTF-8 that goes no higher than U+07FF
// stays GBK: such two-byte sequences are just as much common GBK characters
// (录 is C2 BC, which UTF-8 reads as "¼").
QString DecodeCommentBytes(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.mid(kUtf8Bom.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    const bool wide =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x800; });
    if (!utf8.hasError() && wide)
        return text;
    return gbk::decode(bytes);
}

QStringList SplitCommentLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // The last line's CR LF leaves one empty piece behind it.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QStringList ReadCommentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SplitCommentLines(DecodeCommentBytes(file.readAll()));
}

bool WriteCommentFile(const QString& path, const QStringList& comments) {
    QStringList lines;
    QByteArray bytes;
    for (const QString& comment : comments) {
        lines.append(WithoutLineBreaks(comment));
        bytes += gbk::encode(lines.last()) + "\r\n";
    }
    // Written only when the GBK file reads back line for line: a character
    // GBK cannot hold would become "?", and it would be lost for good.
    const QStringList back = SplitCommentLines(DecodeCommentBytes(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i >= back.size() || back[i] != lines[i]) {
            Messages().showMessage(
                QStringLiteral("批注“%1”无法按GBK编码原样保存，批注文件%2未改写，以免丢失内容。")
                    .arg(lines[i], path));
            return false;
        }
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
