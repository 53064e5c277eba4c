// Statistics and review commands: read-only answers computed from the
// stored marks.

#include "Database.h"
#include "ExamLayout.h"
#include "Handlers.h"
#include "SheetImages.h"
#include "Wire.h"
#include "Words.h"

#include <cmath>

namespace {

using wire::XmlReply;

Reply xml(const XmlReply& reply) {
    return {200, reply.toGbkBytes(), "text/xml; charset=GBK", {}};
}

QString number(double value) {
    return QString::number(value, 'g', 15);
}

QString numberOrEmpty(const QVariant& v) {
    return v.isNull() ? QString() : number(v.toDouble());
}

std::optional<Reply> require(const Query& q, const QString& name) {
    if (!q.contains(name))
        return refusal(400, QStringLiteral("缺少参数 %1").arg(name));
    return std::nullopt;
}

} // namespace

Reply staticUser(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("UserId")))
        return *r;
    const QString userId = q.value(QStringLiteral("UserId"));
    const auto user =
        c.db.queryOne(QStringLiteral("SELECT name FROM users WHERE user_id=?1"), {userId});
    if (!user)
        return refusal(403, QStringLiteral("用户不存在：%1").arg(userId));
    const QList<Row> rows = c.db.query(
        QStringLiteral(
            "SELECT p.name, (SELECT count(*) FROM marks m WHERE m.permission_id=u.permission_id "
            "AND m.user_id=u.user_id) FROM user_permissions u JOIN permissions p "
            "ON p.permission_id=u.permission_id WHERE u.user_id=?1 ORDER BY u.seq"),
        {userId});
    XmlReply reply(QStringLiteral("Stat"));
    for (const Row& r : rows)
        reply.addRecord(QStringLiteral("Row"),
                        {{QStringLiteral("UserName"), user->value(0).toString()},
                         {QStringLiteral("PermissionName"), r[0].toString()},
                         {QStringLiteral("StudentCount"), r[1].toString()}});
    return xml(reply);
}

Reply statSubject(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("Subject")))
        return *r;
    // One row per question group and turn of the subject. A later turn marks
    // only the papers the turn before it has marked, so those are its total.
    const QList<Row> rows = c.db.query(
        QStringLiteral(
            "SELECT p.name, CASE WHEN p.turn<=1 THEN (SELECT count(*) FROM students) ELSE "
            "(SELECT count(*) FROM marks m JOIN permissions e ON e.permission_id=m.permission_id "
            "WHERE e.question_id=p.question_id AND e.turn=p.turn-1) END, "
            "(SELECT count(*) FROM marks m WHERE m.permission_id=p.permission_id), "
            "(SELECT count(*) FROM assignments a WHERE a.permission_id=p.permission_id), "
            "(SELECT max(mark) FROM marks m WHERE m.permission_id=p.permission_id), "
            "(SELECT min(mark) FROM marks m WHERE m.permission_id=p.permission_id), "
            "(SELECT avg(mark) FROM marks m WHERE m.permission_id=p.permission_id) "
            "FROM permissions p JOIN questions qu ON qu.question_id=p.question_id "
            "WHERE qu.subject_id=?1 ORDER BY p.permission_id"),
        {q.value(QStringLiteral("Subject"))});
    XmlReply reply(QStringLiteral("Stat"));
    for (const Row& r : rows)
        reply.addRecord(QStringLiteral("Row"), {{QStringLiteral("QuestionName"), r[0].toString()},
                                                {QStringLiteral("TotalNum"), r[1].toString()},
                                                {QStringLiteral("CompNum"), r[2].toString()},
                                                {QStringLiteral("ToNum"), r[3].toString()},
                                                {QStringLiteral("MaxMark"), numberOrEmpty(r[4])},
                                                {QStringLiteral("MinMark"), numberOrEmpty(r[5])},
                                                {QStringLiteral("AvgMark"), numberOrEmpty(r[6])}});
    return xml(reply);
}

Reply queryStatUserCount(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("QuestionID")))
        return *r;
    const QList<Row> rows = c.db.query(
        QStringLiteral(
            "SELECT u.name, "
            "(SELECT count(*) FROM marks m JOIN permissions p ON p.permission_id=m.permission_id "
            " WHERE p.question_id=?1 AND m.user_id=u.user_id), "
            "(SELECT count(*) FROM assignments a JOIN permissions p ON "
            "p.permission_id=a.permission_id "
            " WHERE p.question_id=?1 AND a.user_id=u.user_id) "
            "FROM users u WHERE EXISTS (SELECT 1 FROM user_permissions up JOIN permissions p "
            "ON p.permission_id=up.permission_id WHERE up.user_id=u.user_id AND p.question_id=?1) "
            "ORDER BY u.user_id"),
        {q.value(QStringLiteral("QuestionID"))});
    XmlReply reply(QStringLiteral("Stat"));
    for (const Row& r : rows)
        reply.addRecord(QStringLiteral("Row"), {{QStringLiteral("UserName"), r[0].toString()},
                                                {QStringLiteral("StudentCount"), r[1].toString()},
                                                {QStringLiteral("DoingCount"), r[2].toString()}});
    return xml(reply);
}

Reply queryQuality(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("QuestionID")))
        return *r;
    // Population standard deviation from the sums: sqrt(E[x^2] - E[x]^2).
    const QList<Row> rows = c.db.query(
        QStringLiteral(
            "SELECT u.user_id, u.name, max(m.mark), min(m.mark), avg(m.mark), avg(m.mark*m.mark) "
            "FROM marks m JOIN permissions p ON p.permission_id=m.permission_id "
            "JOIN users u ON u.user_id=m.user_id WHERE p.question_id=?1 "
            "GROUP BY u.user_id ORDER BY u.user_id"),
        {q.value(QStringLiteral("QuestionID"))});
    XmlReply reply(QStringLiteral("Stat"));
    for (const Row& r : rows) {
        const double mean = r[4].toDouble();
        const double stddev = std::sqrt(std::max(0.0, r[5].toDouble() - mean * mean));
        reply.addRecord(QStringLiteral("Row"), {{QStringLiteral("UserId"), r[0].toString()},
                                                {QStringLiteral("UserName"), r[1].toString()},
                                                {QStringLiteral("MaxMark"), numberOrEmpty(r[2])},
                                                {QStringLiteral("MinMark"), numberOrEmpty(r[3])},
                                                {QStringLiteral("AvgMark"), numberOrEmpty(r[4])},
                                                {QStringLiteral("StddevMark"), number(stddev)}});
    }
    return xml(reply);
}

Reply querySubject(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("UserId")))
        return *r;
    if (!c.db.queryOne(QStringLiteral("SELECT 1 FROM users WHERE user_id=?1"),
                       {q.value(QStringLiteral("UserId"))}))
        return refusal(403,
                       QStringLiteral("用户不存在：%1").arg(q.value(QStringLiteral("UserId"))));
    XmlReply reply(QStringLiteral("Subjects"));
    for (const Row& r :
         c.db.query(QStringLiteral("SELECT subject_id, name FROM subjects ORDER BY subject_id")))
        reply.addRecord(
            QStringLiteral("Row"),
            {{QStringLiteral("Subject"), r[0].toString() + QLatin1Char(':') + r[1].toString()}});
    return xml(reply);
}

Reply queryClass(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("SubjectId")))
        return *r;
    XmlReply reply(QStringLiteral("Classes"));
    // Every class sat every subject in the demo exam.
    if (c.db.queryOne(QStringLiteral("SELECT 1 FROM subjects WHERE subject_id=?1"),
                      {q.value(QStringLiteral("SubjectId"))}))
        for (const Row& r :
             c.db.query(QStringLiteral("SELECT class_id, name FROM classes ORDER BY class_id")))
            reply.addRecord(
                QStringLiteral("Row"),
                {{QStringLiteral("Class"), r[0].toString() + QLatin1Char(':') + r[1].toString()}});
    return xml(reply);
}

Reply queryQuestion(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("SubjectId")))
        return *r;
    XmlReply reply(QStringLiteral("Questions"));
    for (const Row& r : c.db.query(QStringLiteral("SELECT question_id, name FROM questions WHERE "
                                                  "subject_id=?1 ORDER BY question_id"),
                                   {q.value(QStringLiteral("SubjectId"))}))
        reply.addRecord(QStringLiteral("Row"), {{QStringLiteral("QuestionId"), r[0].toString()},
                                                {QStringLiteral("QuestionName"), r[1].toString()}});
    return xml(reply);
}

Reply getCutParam(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("Questionid")))
        return *r;
    const layout::Question* question = layout::findQuestion(q.value(QStringLiteral("Questionid")));
    if (!question)
        return refusal(
            404, QStringLiteral("没有这个题组：%1").arg(q.value(QStringLiteral("Questionid"))));
    XmlReply reply(QStringLiteral("CutParam"));
    reply.addField(QStringLiteral("Cut"), layout::cutWire(*question, c.images.dpi()));
    // The review's form of the paper layout: eight items, no ninth.
    reply.addField(QStringLiteral("Paper"),
                   QStringList{layout::kImageRoot, QString::number(layout::kStudentFolderStart),
                               QString::number(layout::kStudentFolderLength),
                               QString::number(layout::kPageCount),
                               QString::number(layout::kPageCount), question->questionId,
                               question->cutMode, words::kYes}
                       .join(QLatin1Char(',')));
    return xml(reply);
}

Reply queryStQuestion(HandlerContext& c, const Query& q) {
    if (auto r = require(q, QStringLiteral("Questionid")))
        return *r;
    if (auto r = require(q, QStringLiteral("ClassId")))
        return *r;
    const QString questionId = q.value(QStringLiteral("Questionid"));
    const QList<Row> students = c.db.query(
        QStringLiteral(
            "SELECT student_id, name FROM students WHERE class_id=?1 ORDER BY student_id"),
        {q.value(QStringLiteral("ClassId"))});
    XmlReply reply(QStringLiteral("Students"));
    for (const Row& s : students) {
        const QString studentId = s[0].toString();
        const QString history = turnHistory(c.db, questionId, studentId, 0);
        const auto last = c.db.queryOne(
            QStringLiteral(
                "SELECT m.mark_text FROM marks m JOIN permissions p ON "
                "p.permission_id=m.permission_id "
                "WHERE p.question_id=?1 AND m.student_id=?2 ORDER BY p.turn DESC LIMIT 1"),
            {questionId, studentId});
        const QString lastMark = last ? last->value(0).toString() : QString();
        reply.addRecord(QStringLiteral("Row"), {{QStringLiteral("StudentId"), studentId},
                                                {QStringLiteral("Name"), s[1].toString()},
                                                {QStringLiteral("Lastmark"), lastMark},
                                                {QStringLiteral("AllTurnInfo"), history}});
    }
    return xml(reply);
}
