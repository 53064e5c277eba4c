#include "IniFile.h"

#include "AppPaths.h"
#include "GbkText.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

namespace {

const QByteArray kUtf8Bom = "\xEF\xBB\xBF";

// The file as lines of bytes without their line ends, and its encoding: GBK,
// or UTF-8 when it starts with a byte-order mark (an editor saved it so).
// The mark is not part of the first line, so the first section stays one.
struct IniText {
    QList<QByteArray> lines;
    bool utf8 = false;

    QString decode(const QByteArray& bytes) const {
        return utf8 ? QString::fromUtf8(bytes) : gbk::decode(bytes);
    }
    QByteArray encode(const QString& text) const {
        return utf8 ? text.toUtf8() : gbk::encode(text);
    }
};

IniText readText(const QString& path) {
    IniText text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return text;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Bom)) {
        bytes.remove(0, kUtf8Bom.size());
        text.utf8 = true;
    }
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line end does not open another line
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    text.lines = std::move(lines);
    return text;
}

QByteArray trimBlanks(const QByteArray& bytes) {
    return bytes.trimmed();
}

// Name of a "[Section]" line, or a null string when the line is none.
QString sectionName(const IniText& text, const QByteArray& line) {
    const QByteArray t = trimBlanks(line);
    if (t.size() < 2 || !t.startsWith('[') || !t.endsWith(']'))
        return QString();
    return text.decode(trimBlanks(t.mid(1, t.size() - 2)));
}

bool isComment(const QByteArray& t) {
    return t.startsWith(';') || t.startsWith('#');
}

// Key of a "key=value" line (null when the line is none) and its value.
QString keyOf(const IniText& text, const QByteArray& line, QByteArray* value = nullptr) {
    const QByteArray t = trimBlanks(line);
    if (t.isEmpty() || isComment(t))
        return QString();
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return QString();
    if (value)
        *value = trimBlanks(t.mid(eq + 1));
    return text.decode(trimBlanks(t.left(eq)));
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the "[section]" line, or -1.
qsizetype findSection(const IniText& text, const QString& section) {
    const QList<QByteArray>& lines = text.lines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(text, lines.at(i));
        if (!name.isNull() && same(name, section))
            return i;
    }
    return -1;
}

// One past the last line of the section that starts at `header`.
qsizetype sectionEnd(const IniText& text, qsizetype header) {
    qsizetype i = header + 1;
    while (i < text.lines.size() && sectionName(text, text.lines.at(i)).isNull())
        ++i;
    return i;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const IniText text = readText(m_path);
    const qsizetype header = findSection(text, section);
    if (header < 0)
        return def;
    const qsizetype end = sectionEnd(text, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        QByteArray value;
        const QString name = keyOf(text, text.lines.at(i), &value);
        if (!name.isNull() && same(name, key))
            return text.decode(value);
    }
    return def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    int value = 0;
    return ReadInteger(readString(section, key, QString()), &value) ? value : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A line break in a value would end its line and plant new lines in the
    // file; it is written as a space instead.
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    IniText text = readText(m_path);
    QList<QByteArray>& lines = text.lines;
    const QByteArray entry = text.encode(key) + '=' + text.encode(flat);
    const qsizetype header = findSection(text, section);
    if (header < 0) {
        if (!lines.isEmpty() && !trimBlanks(lines.last()).isEmpty())
            lines.append(QByteArray());
        lines.append('[' + text.encode(section) + ']');
        lines.append(entry);
    } else {
        const qsizetype end = sectionEnd(text, header);
        qsizetype found = -1;
        for (qsizetype i = header + 1; i < end && found < 0; ++i) {
            const QString name = keyOf(text, lines.at(i));
            if (!name.isNull() && same(name, key))
                found = i;
        }
        if (found >= 0) {
            // Keep the key as it is spelt in the file; only the value changes.
            const QByteArray& line = lines.at(found);
            lines[found] = trimBlanks(line.left(line.indexOf('='))) + '=' + text.encode(flat);
        } else {
            // After the section's last non-blank line, so the blank line that
            // separates it from the next section stays where it is.
            qsizetype at = end;
            while (at > header + 1 && trimBlanks(lines.at(at - 1)).isEmpty())
                --at;
            lines.insert(at, entry);
        }
    }

    // A file that came with a byte-order mark keeps it, and stays UTF-8.
    QByteArray content = text.utf8 ? kUtf8Bom : QByteArray();
    for (const QByteArray& line : lines)
        content += line + "\r\n";

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        ReportLocalFileWriteFailure(m_path, QStringLiteral("无法写入文件 %1").arg(m_path));
        return false;
    }
    return true;
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
