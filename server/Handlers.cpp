#include "Handlers.h"

#include "Database.h"
#include "ExamLayout.h"
#include "SheetImages.h"
#include "Wire.h"
#include "Words.h"

#include <QFile>
#include <QHash>

#include <QRegularExpression>

#include <cmath>
#include <optional>
#include <variant>

namespace {

using wire::XmlReply;
using Fields = QList<QPair<QString, QString>>;

Reply xml(const XmlReply& reply) {
    return {200, reply.toGbkBytes(), "text/xml; charset=GBK", {}};
}

Reply success() {
    return {200, wire::successWord(), "text/plain; charset=GBK", {}};
}

Reply plainWord(const QString& word) {
    return {200, wire::toGbk(word), "text/plain; charset=GBK", {}};
}

// Checks that every named parameter is present; the refusal names the first missing one.
std::optional<Reply> missing(const Query& q, const QStringList& names) {
    for (const QString& name : names)
        if (!q.contains(name))
            return refusal(400, QStringLiteral("缺少参数 %1").arg(name));
    return std::nullopt;
}

QString number(double value) {
    return QString::number(value, 'g', 15);
}

struct PermissionRow {
    QString permissionId;
    QString questionId;
    int turn = 0;
    QString markingMode;
    const layout::Question* question = nullptr;
};

// The permission of a user, or the refusal to send.
std::variant<PermissionRow, Reply> userPermission(Database& db, const QString& userId,
                                                  const QString& permissionId) {
    const auto user =
        db.queryOne(QStringLiteral("SELECT enabled FROM users WHERE user_id=?1"), {userId});
    if (!user)
        return refusal(403, QStringLiteral("用户不存在：%1").arg(userId));
    if (user->value(0).toInt() == 0)
        return refusal(403, QStringLiteral("该帐号已停用：%1").arg(userId));
    const auto row = db.queryOne(
        QStringLiteral(
            "SELECT p.permission_id, p.question_id, p.turn, p.marking_mode FROM permissions p "
            "JOIN user_permissions u ON u.permission_id=p.permission_id "
            "WHERE u.user_id=?1 AND p.permission_id=?2"),
        {userId, permissionId});
    if (!row)
        return refusal(403, QStringLiteral("用户 %1 没有权限 %2").arg(userId, permissionId));
    PermissionRow p{row->value(0).toString(), row->value(1).toString(), row->value(2).toInt(),
                    row->value(3).toString(), layout::findQuestion(row->value(1).toString())};
    if (!p.question)
        return refusal(500, QStringLiteral("题组参数缺失：%1").arg(p.questionId));
    return p;
}

Reply validateUser(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("Password")}))
        return *r;
    XmlReply reply(QStringLiteral("User"));
    const auto user =
        c.db.queryOne(QStringLiteral("SELECT password, name, enabled FROM users WHERE user_id=?1"),
                      {q.value(QStringLiteral("UserId"))});
    auto refuse = [&](const QString& name, const QString& why) {
        reply.setAttribute(QStringLiteral("Name"), name);
        reply.setAttribute(QStringLiteral("Descrip"), why);
        reply.setAttribute(QStringLiteral("Login"), QStringLiteral("F"));
        return xml(reply);
    };
    if (!user)
        return refuse(QString(), QStringLiteral("用户不存在"));
    if (user->value(0).toString() != q.value(QStringLiteral("Password")))
        return refuse(user->value(1).toString(), QStringLiteral("密码错误"));
    if (user->value(2).toInt() == 0)
        return refuse(user->value(1).toString(), QStringLiteral("该帐号已停用，请联系管理员"));
    reply.setAttribute(QStringLiteral("Name"), user->value(1).toString());
    reply.setAttribute(QStringLiteral("Descrip"), QString());
    reply.setAttribute(QStringLiteral("Login"), QStringLiteral("T"));
    const QList<Row> rows = c.db.query(
        QStringLiteral("SELECT p.permission_id, p.name, u.mark_config FROM user_permissions u "
                       "JOIN permissions p ON p.permission_id=u.permission_id WHERE u.user_id=?1 "
                       "ORDER BY u.seq"),
        {q.value(QStringLiteral("UserId"))});
    for (const Row& r : rows)
        reply.addRecord(QStringLiteral("Permission"),
                        {{QStringLiteral("PermissionId"), r[0].toString()},
                         {QStringLiteral("PermissionName"), r[1].toString()},
                         {QStringLiteral("MarkConfig"), r[2].toString()}});
    return xml(reply);
}

Reply resetBufferByUser(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId")}))
        return *r;
    const QString userId = q.value(QStringLiteral("UserId"));
    if (!c.db.queryOne(QStringLiteral("SELECT 1 FROM users WHERE user_id=?1"), {userId}))
        return refusal(403, QStringLiteral("用户不存在：%1").arg(userId));
    // Papers handed out but not submitted go back to the pool as well, so a
    // closed marking window never strands a paper.
    const bool ok = c.db.transaction([&] {
        return c.db.exec(QStringLiteral("DELETE FROM callback_buffer WHERE user_id=?1"),
                         {userId}) &&
               c.db.exec(QStringLiteral("DELETE FROM assignments WHERE user_id=?1"), {userId});
    });
    return ok ? success() : refusal(500, c.db.lastError());
}

Reply getParam(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("PermissionId")}))
        return *r;
    auto found = userPermission(c.db, q.value(QStringLiteral("UserId")),
                                q.value(QStringLiteral("PermissionId")));
    if (auto* refused = std::get_if<Reply>(&found))
        return *refused;
    const PermissionRow p = std::get<PermissionRow>(found);
    const layout::Question& question = *p.question;
    XmlReply reply(QStringLiteral("Param"));
    reply.addField(QStringLiteral("Basic"),
                   QStringList{number(question.lowest), number(question.full),
                               number(question.step), QString::number(question.subQuestions.size()),
                               QStringLiteral("0"), p.markingMode, QString::number(p.turn)}
                       .join(QLatin1Char(',')));
    reply.addField(QStringLiteral("Cut"), layout::cutWire(question, c.images.dpi()));
    reply.addField(QStringLiteral("SubQuestion"), layout::subQuestionWire(question));
    reply.addField(QStringLiteral("Paper"),
                   QStringList{layout::kImageRoot, QString::number(layout::kStudentFolderStart),
                               QString::number(layout::kStudentFolderLength),
                               QString::number(layout::kPageCount),
                               QString::number(layout::kPageCount), question.questionId,
                               question.cutMode, words::kYes, QStringLiteral("0")}
                       .join(QLatin1Char(',')));
    reply.addField(QStringLiteral("MarkDesc"), question.markDesc);
    return xml(reply);
}

Reply savePersonConfig(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("PermissionId"),
                             QStringLiteral("MarkConfig")}))
        return *r;
    auto found = userPermission(c.db, q.value(QStringLiteral("UserId")),
                                q.value(QStringLiteral("PermissionId")));
    if (auto* refused = std::get_if<Reply>(&found))
        return *refused;
    const QString config = q.value(QStringLiteral("MarkConfig"));
    if (config.size() > 2000)
        return refusal(400, QStringLiteral("常用分数过长"));
    if (!c.db.exec(
            QStringLiteral(
                "UPDATE user_permissions SET mark_config=?3 WHERE user_id=?1 AND permission_id=?2"),
            {q.value(QStringLiteral("UserId")), q.value(QStringLiteral("PermissionId")), config}))
        return refusal(500, c.db.lastError());
    return success();
}

Reply getQuestion(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("PermissionId")}))
        return *r;
    const QString userId = q.value(QStringLiteral("UserId"));
    auto found = userPermission(c.db, userId, q.value(QStringLiteral("PermissionId")));
    if (auto* refused = std::get_if<Reply>(&found))
        return *refused;
    const PermissionRow p = std::get<PermissionRow>(found);
    QString studentId;
    const bool ok = c.db.transaction([&] {
        // A paper already handed to this user and not submitted comes first,
        // so fetching again (e.g. after a call-back) never loses it.
        if (const auto held = c.db.queryOne(
                QStringLiteral(
                    "SELECT student_id FROM assignments WHERE permission_id=?1 AND user_id=?2 "
                    "ORDER BY student_id LIMIT 1"),
                {p.permissionId, userId})) {
            studentId = held->value(0).toString();
            return true;
        }
        bool queried = false;
        const QList<Row> next = c.db.query(
            QStringLiteral("SELECT s.student_id FROM students s WHERE "
                           "NOT EXISTS (SELECT 1 FROM marks m WHERE m.permission_id=?1 AND "
                           "m.student_id=s.student_id) "
                           "AND NOT EXISTS (SELECT 1 FROM assignments a WHERE a.permission_id=?1 "
                           "AND a.student_id=s.student_id) "
                           "AND (?3<=1 OR EXISTS (SELECT 1 FROM marks m JOIN permissions e ON "
                           "e.permission_id=m.permission_id "
                           "WHERE e.question_id=?2 AND e.turn=?3-1 AND m.student_id=s.student_id)) "
                           "ORDER BY s.student_id LIMIT 1"),
            {p.permissionId, p.questionId, p.turn}, &queried);
        if (!queried)
            return false;
        if (next.isEmpty())
            return true;
        studentId = next.first().value(0).toString();
        return c.db.exec(QStringLiteral("INSERT INTO assignments VALUES(?1,?2,?3)"),
                         {p.permissionId, studentId, userId});
    });
    XmlReply reply(QStringLiteral("Question"));
    if (!ok) {
        reply.addField(QStringLiteral("StudentId"), QStringLiteral("error"));
        reply.addField(QStringLiteral("AllTurnInfo"), QString());
    } else if (studentId.isEmpty()) {
        reply.addField(QStringLiteral("StudentId"), QStringLiteral("none"));
        reply.addField(QStringLiteral("AllTurnInfo"), QString());
    } else {
        reply.addField(QStringLiteral("StudentId"), studentId);
        reply.addField(QStringLiteral("AllTurnInfo"),
                       turnHistory(c.db, p.questionId, studentId, p.turn));
    }
    return xml(reply);
}

// The whole of a text reads as a number (optional sign, digits, fraction,
// exponent); anything else does not.
std::optional<double> readNumber(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^ *[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return text.trimmed().toDouble();
}

Reply saveSymbol(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("PermissionId"),
                             QStringLiteral("StudentId"), QStringLiteral("Mark"),
                             QStringLiteral("Submarks"), QStringLiteral("Tag")}))
        return *r;
    const QString userId = q.value(QStringLiteral("UserId"));
    const QString studentId = q.value(QStringLiteral("StudentId"));
    auto found = userPermission(c.db, userId, q.value(QStringLiteral("PermissionId")));
    if (auto* refused = std::get_if<Reply>(&found))
        return *refused;
    const PermissionRow p = std::get<PermissionRow>(found);
    const QString markText = q.value(QStringLiteral("Mark")).trimmed();
    const std::optional<double> mark = readNumber(markText);
    if (!mark || !std::isfinite(*mark) || *mark < p.question->lowest || *mark > p.question->full)
        return refusal(400,
                       QStringLiteral("分数无效：%1（应在 %2 到 %3 之间）")
                           .arg(markText, number(p.question->lowest), number(p.question->full)));
    const bool assigned =
        c.db.queryOne(QStringLiteral("SELECT 1 FROM assignments WHERE permission_id=?1 AND "
                                     "student_id=?2 AND user_id=?3"),
                      {p.permissionId, studentId, userId})
            .has_value();
    const bool inBuffer =
        c.db.queryOne(QStringLiteral("SELECT 1 FROM callback_buffer WHERE permission_id=?1 AND "
                                     "student_id=?2 AND user_id=?3"),
                      {p.permissionId, studentId, userId})
            .has_value();
    if (!assigned && !inBuffer)
        return refusal(409, QStringLiteral("试卷 %1 没有分给用户 %2").arg(studentId, userId));
    const bool ok = c.db.transaction([&] {
        return c.db.exec(QStringLiteral(
                             "INSERT OR REPLACE INTO marks VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9)"),
                         {p.permissionId, studentId, userId, *mark, number(*mark),
                          q.value(QStringLiteral("Submarks")), q.value(QStringLiteral("Tag")),
                          q.value(QStringLiteral("IsExceptional")),
                          q.value(QStringLiteral("Description"))}) &&
               c.db.exec(QStringLiteral(
                             "DELETE FROM assignments WHERE permission_id=?1 AND student_id=?2"),
                         {p.permissionId, studentId}) &&
               c.db.exec(
                   QStringLiteral(
                       "INSERT OR IGNORE INTO callback_buffer(user_id, permission_id, student_id) "
                       "VALUES(?1,?2,?3)"),
                   {userId, p.permissionId, studentId});
    });
    return ok ? success() : refusal(500, c.db.lastError());
}

Reply callBack(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("PermissionId"),
                             QStringLiteral("CallbackSerial")}))
        return *r;
    const QString userId = q.value(QStringLiteral("UserId"));
    auto found = userPermission(c.db, userId, q.value(QStringLiteral("PermissionId")));
    if (auto* refused = std::get_if<Reply>(&found))
        return *refused;
    const PermissionRow p = std::get<PermissionRow>(found);
    bool isInt = false;
    const int serial = q.value(QStringLiteral("CallbackSerial")).trimmed().toInt(&isInt);
    if (!isInt || serial < 1)
        return refusal(400, QStringLiteral("CallbackSerial 应为正整数"));
    XmlReply reply(QStringLiteral("CallBack"));
    // The n-th most recent paper this user submitted under this permission.
    const auto row = c.db.queryOne(
        QStringLiteral(
            "SELECT b.student_id, m.tag, m.mark_text FROM callback_buffer b JOIN marks m "
            "ON m.permission_id=b.permission_id AND m.student_id=b.student_id "
            "WHERE b.user_id=?1 AND b.permission_id=?2 ORDER BY b.id DESC LIMIT 1 OFFSET ?3"),
        {userId, p.permissionId, serial - 1});
    if (!row) {
        reply.addField(QStringLiteral("StudentId"), QStringLiteral("none"));
        reply.addField(QStringLiteral("AllTurnInfo"), QString());
        reply.addField(QStringLiteral("Tag"), QString());
        reply.addField(QStringLiteral("Mark"), QString());
        return xml(reply);
    }
    const QString studentId = row->value(0).toString();
    reply.addField(QStringLiteral("StudentId"), studentId);
    reply.addField(QStringLiteral("AllTurnInfo"),
                   turnHistory(c.db, p.questionId, studentId, p.turn));
    reply.addField(QStringLiteral("Tag"), row->value(1).toString());
    reply.addField(QStringLiteral("Mark"), row->value(2).toString());
    return xml(reply);
}

Reply getInfoParam(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("StudentId"), QStringLiteral("QuestionId")}))
        return *r;
    if (!c.db.queryOne(QStringLiteral("SELECT 1 FROM students WHERE student_id=?1"),
                       {q.value(QStringLiteral("StudentId"))}))
        return refusal(
            404, QStringLiteral("没有这个考生：%1").arg(q.value(QStringLiteral("StudentId"))));
    XmlReply reply(QStringLiteral("Info"));
    const QRect box = layout::scaled(layout::kInfoBox, c.images.dpi());
    reply.addField(QStringLiteral("InfoStartX"), QString::number(box.x()));
    reply.addField(QStringLiteral("InfoStartY"), QString::number(box.y()));
    reply.addField(QStringLiteral("InfoEndX"), QString::number(box.width()));
    reply.addField(QStringLiteral("InfoEndY"), QString::number(box.height()));
    return xml(reply);
}

Reply changePassword(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("UserId"), QStringLiteral("OldPassword"),
                             QStringLiteral("NewPassword")}))
        return *r;
    const auto user = c.db.queryOne(QStringLiteral("SELECT password FROM users WHERE user_id=?1"),
                                    {q.value(QStringLiteral("UserId"))});
    if (!user)
        return plainWord(QStringLiteral("用户不存在"));
    if (user->value(0).toString() != q.value(QStringLiteral("OldPassword")))
        return plainWord(QStringLiteral("原密码错误"));
    if (q.value(QStringLiteral("NewPassword")).isEmpty())
        return plainWord(QStringLiteral("新密码不能为空"));
    if (!c.db.exec(QStringLiteral("UPDATE users SET password=?2 WHERE user_id=?1"),
                   {q.value(QStringLiteral("UserId")), q.value(QStringLiteral("NewPassword"))}))
        return refusal(500, c.db.lastError());
    return success();
}

Reply getImageFile(HandlerContext& c, const Query& q) {
    if (auto r = missing(q, {QStringLiteral("File")}))
        return *r;
    const SheetImages::Lookup found = c.images.lookup(q.value(QStringLiteral("File")));
    if (found.status != 200)
        return refusal(found.status, found.reason);
    return {200, {}, "image/jpeg", found.filePath};
}

} // namespace

// Statistics and review commands live in HandlersQuery.cpp.
Reply staticUser(HandlerContext& c, const Query& q);
Reply statSubject(HandlerContext& c, const Query& q);
Reply queryStatUserCount(HandlerContext& c, const Query& q);
Reply queryQuality(HandlerContext& c, const Query& q);
Reply querySubject(HandlerContext& c, const Query& q);
Reply queryClass(HandlerContext& c, const Query& q);
Reply queryQuestion(HandlerContext& c, const Query& q);
Reply getCutParam(HandlerContext& c, const Query& q);
Reply queryStQuestion(HandlerContext& c, const Query& q);

QString turnHistory(Database& db, const QString& questionId, const QString& studentId,
                    int beforeTurn) {
    const QList<Row> rows = db.query(
        QStringLiteral(
            "SELECT p.turn, m.mark_text, m.tag FROM marks m JOIN permissions p "
            "ON p.permission_id=m.permission_id WHERE p.question_id=?1 AND m.student_id=?2 "
            "AND (?3=0 OR p.turn<?3) ORDER BY p.turn"),
        {questionId, studentId, beforeTurn});
    QStringList entries;
    for (const Row& r : rows)
        entries.append(r[0].toString() + QLatin1Char('$') + r[1].toString() + QLatin1Char('$') +
                       r[2].toString());
    return entries.join(QLatin1Char('|'));
}

Reply refusal(int status, const QString& reason) {
    return {status, wire::toGbk(reason), "text/plain; charset=GBK", {}};
}

Handler handlerFor(const QString& command) {
    static const QHash<QString, Handler> handlers{
        {QStringLiteral("ValidateUser"), validateUser},
        {QStringLiteral("ResetBufferByUser"), resetBufferByUser},
        {QStringLiteral("GetParam"), getParam},
        {QStringLiteral("SavePersonConfig"), savePersonConfig},
        {QStringLiteral("GetQuestion"), getQuestion},
        {QStringLiteral("SaveSymbol"), saveSymbol},
        {QStringLiteral("CallBack"), callBack},
        {QStringLiteral("GetInfoParam"), getInfoParam},
        {QStringLiteral("ChangePassword"), changePassword},
        {QStringLiteral("GetImageFile"), getImageFile},
        {QStringLiteral("StaticUser"), staticUser},
        {QStringLiteral("StatSubject"), statSubject},
        {QStringLiteral("QueryStatUserCount"), queryStatUserCount},
        {QStringLiteral("QueryQuality"), queryQuality},
        {QStringLiteral("QuerySubject"), querySubject},
        {QStringLiteral("QueryClass"), queryClass},
        {QStringLiteral("QueryQuestion"), queryQuestion},
        {QStringLiteral("GetCutParam"), getCutParam},
        {QStringLiteral("QueryStQuestion"), queryStQuestion},
    };
    return handlers.value(command);
}
