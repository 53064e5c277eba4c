#pragma once
// The marking server's storage: one SQLite file holding users, permissions,
// students, papers handed out, submitted marks and the call-back buffer.
// Created and seeded from the demo exam on first open. All access is
// serialised by one mutex: the HTTP server answers on several threads.

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <mutex>
#include <optional>

struct sqlite3;

using Row = QList<QVariant>;

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (creating and seeding if new) the file; seeds `studentCount`
    // students. Returns false with a reason in `error`.
    bool open(const QString& file, int studentCount, QString* error);
    void close();

    // Rows of a query with positional parameters (?1, ?2 ...); empty on error,
    // with `ok` false.
    QList<Row> query(const QString& sql, const QVariantList& params = {}, bool* ok = nullptr);
    std::optional<Row> queryOne(const QString& sql, const QVariantList& params = {});
    bool exec(const QString& sql, const QVariantList& params = {});

    // Runs `work` in one transaction; rolled back when it returns false, so a
    // failure part-way never leaves half a submission behind.
    bool transaction(const std::function<bool()>& work);

    std::mutex& mutex() { return m_mutex; }
    QString lastError() const { return m_lastError; }

private:
    bool createSchema();
    bool seed(int studentCount);

    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
    QString m_lastError;
};
