#include "CommentList.h"

#include "AppError.h"
#include "GbkText.h"

#include <QFile>
#include <QSaveFile>

namespace marking {

namespace {

QString WithoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

QStringList ReadCommentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = gbk::decode(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    // The last line's CR LF leaves one empty piece behind it.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void WriteCommentFile(const QString& path, const QStringList& comments) {
    QByteArray bytes;
    for (const QString& comment : comments)
        bytes += gbk::encode(WithoutLineBreaks(comment)) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        RaiseError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
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
