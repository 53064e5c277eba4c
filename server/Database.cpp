#include "Database.h"

#include "ExamLayout.h"

#include <sqlite3.h>

namespace {

const char* const kSchema = R"sql(
CREATE TABLE users(
  user_id TEXT PRIMARY KEY, password TEXT NOT NULL, name TEXT NOT NULL,
  enabled INTEGER NOT NULL);
CREATE TABLE subjects(subject_id TEXT PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE classes(class_id TEXT PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE students(
  student_id TEXT PRIMARY KEY, name TEXT NOT NULL, class_id TEXT NOT NULL,
  seq INTEGER NOT NULL);
CREATE TABLE questions(
  question_id TEXT PRIMARY KEY, subject_id TEXT NOT NULL, name TEXT NOT NULL);
CREATE TABLE permissions(
  permission_id TEXT PRIMARY KEY, question_id TEXT NOT NULL,
  turn INTEGER NOT NULL, marking_mode TEXT NOT NULL, name TEXT NOT NULL);
CREATE TABLE user_permissions(
  user_id TEXT NOT NULL, permission_id TEXT NOT NULL, mark_config TEXT NOT NULL,
  seq INTEGER NOT NULL, PRIMARY KEY(user_id, permission_id));
-- Papers handed out and not yet submitted.
CREATE TABLE assignments(
  permission_id TEXT NOT NULL, student_id TEXT NOT NULL, user_id TEXT NOT NULL,
  PRIMARY KEY(permission_id, student_id));
-- One mark per paper and permission (question group in a turn).
CREATE TABLE marks(
  permission_id TEXT NOT NULL, student_id TEXT NOT NULL, user_id TEXT NOT NULL,
  mark REAL NOT NULL, mark_text TEXT NOT NULL, submarks TEXT NOT NULL,
  tag TEXT NOT NULL, is_exceptional TEXT NOT NULL, description TEXT NOT NULL,
  PRIMARY KEY(permission_id, student_id));
-- Papers a user may still call back, most recent last.
CREATE TABLE callback_buffer(
  id INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL,
  permission_id TEXT NOT NULL, student_id TEXT NOT NULL,
  UNIQUE(user_id, permission_id, student_id));
)sql";

} // namespace

Database::~Database() {
    close();
}

void Database::close() {
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

bool Database::open(const QString& file, int studentCount, QString* error) {
    close();
    if (sqlite3_open_v2(file.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("cannot open database %1: %2")
                         .arg(file, QString::fromUtf8(sqlite3_errmsg(m_db)));
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const auto tables =
        queryOne(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='users'"));
    if (!tables) {
        if (error)
            *error = m_lastError;
        return false;
    }
    if (tables->value(0).toInt() == 0) {
        const bool created = transaction([&] { return createSchema() && seed(studentCount); });
        if (!created) {
            if (error)
                *error = QStringLiteral("cannot seed database %1: %2").arg(file, m_lastError);
            return false;
        }
    }
    return true;
}

static void bindAll(sqlite3_stmt* stmt, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        const int index = i + 1;
        if (v.isNull()) {
            sqlite3_bind_null(stmt, index);
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, index, v.toDouble());
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                   v.typeId() == QMetaType::Bool) {
            sqlite3_bind_int64(stmt, index, v.toLongLong());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
}

QList<Row> Database::query(const QString& sql, const QVariantList& params, bool* ok) {
    QList<Row> rows;
    if (ok)
        *ok = false;
    if (!m_db) {
        m_lastError = QStringLiteral("database not open");
        return rows;
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
        return rows;
    }
    bindAll(stmt, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                row.append(QVariant());
                break;
            case SQLITE_INTEGER:
                row.append(qlonglong(sqlite3_column_int64(stmt, c)));
                break;
            case SQLITE_FLOAT:
                row.append(sqlite3_column_double(stmt, c));
                break;
            default:
                row.append(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                      sqlite3_column_bytes(stmt, c)));
            }
        }
        rows.append(row);
    }
    if (rc != SQLITE_DONE) {
        m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        return {};
    }
    sqlite3_finalize(stmt);
    if (ok)
        *ok = true;
    return rows;
}

std::optional<Row> Database::queryOne(const QString& sql, const QVariantList& params) {
    bool ok = false;
    const QList<Row> rows = query(sql, params, &ok);
    if (!ok || rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

bool Database::exec(const QString& sql, const QVariantList& params) {
    if (params.isEmpty() && m_db) {
        // Several statements (the schema) go through sqlite3_exec.
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            m_lastError = QString::fromUtf8(message ? message : "exec failed");
            sqlite3_free(message);
            return false;
        }
        return true;
    }
    bool ok = false;
    query(sql, params, &ok);
    return ok;
}

bool Database::transaction(const std::function<bool()>& work) {
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (!work()) {
        const QString reason = m_lastError;
        exec(QStringLiteral("ROLLBACK"));
        m_lastError = reason;
        return false;
    }
    if (!exec(QStringLiteral("COMMIT"))) {
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool Database::createSchema() {
    return exec(QString::fromUtf8(kSchema));
}

bool Database::seed(int studentCount) {
    using namespace layout;
    bool ok = true;
    for (const Subject& s : subjects())
        ok = ok && exec(QStringLiteral("INSERT INTO subjects VALUES(?1,?2)"), {s.id, s.name});
    for (const auto& [id, name] : classes())
        ok = ok && exec(QStringLiteral("INSERT INTO classes VALUES(?1,?2)"), {id, name});
    const QList<Student> all = students(studentCount);
    for (const Student& s : all)
        ok = ok && exec(QStringLiteral("INSERT INTO students VALUES(?1,?2,?3,?4)"),
                        {s.studentId, s.name, s.classId, s.index});
    for (const Question& q : questions())
        ok = ok && exec(QStringLiteral("INSERT INTO questions VALUES(?1,?2,?3)"),
                        {q.questionId, q.subjectId, q.name});
    for (const Permission& p : permissions())
        ok = ok && exec(QStringLiteral("INSERT INTO permissions VALUES(?1,?2,?3,?4,?5)"),
                        {p.permissionId, p.questionId, p.turn, p.markingMode, p.name});
    for (const User& u : users()) {
        ok = ok && exec(QStringLiteral("INSERT INTO users VALUES(?1,?2,?3,?4)"),
                        {u.userId, u.password, u.name, u.enabled ? 1 : 0});
        int seq = 0;
        for (const auto& [permission, config] : u.permissions)
            ok = ok && exec(QStringLiteral("INSERT INTO user_permissions VALUES(?1,?2,?3,?4)"),
                            {u.userId, permission, config, seq++});
    }
    // Earlier turns with real tags, so the turn-2 marker sees history and the
    // review and statistics have something to show from the start.
    const Question* seeded = findQuestion(kSeededQuestion);
    for (const Student& s : all) {
        for (int turn = 1; turn <= 2; ++turn) {
            if (!hasSeededTurn(s, turn))
                continue;
            const SeededMarking m = seededMarking(*seeded, s.index, turn);
            ok = ok &&
                 exec(QStringLiteral("INSERT INTO marks VALUES(?1,?2,?3,?4,?5,?6,?7,'0','')"),
                      {seeded->questionId + QStringLiteral("%1").arg(turn, 2, 10, QLatin1Char('0')),
                       s.studentId, kSeedMarker, m.total, QString::number(m.total, 'g', 15),
                       m.submarks, m.tag});
        }
    }
    return ok;
}
