#pragma once
// INI file access for Config.InI: section and key case-insensitive, values in
// GBK (UTF-8 in a file that starts with a UTF-8 byte-order mark, which is
// kept), defaults for missing file or key, file created on first write,
// written atomically (QSaveFile); other sections, keys and lines are kept.

#include <QString>

class IniFile {
public:
    explicit IniFile(QString path);

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal integer; `def` when missing or not an integer.
    int readInteger(const QString& section, const QString& key, int def) const;
    // Read as an integer: 0 false, other number true, anything else `def`.
    bool readBool(const QString& section, const QString& key, bool def) const;

    // False when the file cannot be written; the user is told the first time
    // in a session (ReportLocalFileWriteFailure), and the caller carries on
    // with the setting in memory.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeBool(const QString& section, const QString& key, bool value); // "1" / "0"

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
