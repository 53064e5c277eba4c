#include "ExamLayout.h"

#include "Words.h"

#include <QRandomGenerator>

#include <cmath>

namespace layout {

const QList<Subject>& subjects() {
    static const QList<Subject> list{
        {QStringLiteral("01"), QStringLiteral("语文"),
         QStringLiteral("2026年春季学期期末考试  语文")},
        {QStringLiteral("02"), QStringLiteral("数学"),
         QStringLiteral("2026年春季学期期末考试  数学")},
    };
    return list;
}

const QList<QPair<QString, QString>>& classes() {
    static const QList<QPair<QString, QString>> list{
        {QStringLiteral("01"), QStringLiteral("高一(1)班")},
        {QStringLiteral("02"), QStringLiteral("高一(2)班")},
        {QStringLiteral("03"), QStringLiteral("高一(3)班")},
    };
    return list;
}

const QList<Question>& questions() {
    const QString automatic = words::kCutModeAutomatic;
    // Regions lie inside the 1240 x 1754 pages; sub-question positions lie
    // inside the composed image (regions stacked, width of the widest).
    static const QList<Question> list{
        {QStringLiteral("0101"),
         QStringLiteral("01"),
         QStringLiteral("基础知识"),
         0,
         10,
         1,
         automatic,
         {{1, QRect(60, 400, 1120, 600), 0,
           QStringLiteral(
               "一、基础知识（10分）1. 给加点的字注音（4分）  2. 默写古诗词名句（6分）")}},
         {{QStringLiteral("1"), QStringLiteral("注音"), 0, 4, 900, 80},
          {QStringLiteral("2"), QStringLiteral("默写"), 0, 6, 900, 330}},
         QStringLiteral("注音每字1分；默写每句2分，错字不得分。")},
        {QStringLiteral("0102"),
         QStringLiteral("01"),
         QStringLiteral("阅读理解"),
         0,
         20,
         1,
         automatic,
         {{1, QRect(60, 1030, 1120, 660), 0,
           QStringLiteral("二、阅读《背影》选段，回答问题（20分）3. 概括选段内容（5分） 4. "
                          "赏析划线句（5分）")},
          {2, QRect(60, 80, 1120, 620), 0,
           QStringLiteral("5. 结合全文谈谈你对父爱的理解（10分）")}},
         {{QStringLiteral("3"), QStringLiteral("概括"), 0, 5, 900, 80},
          {QStringLiteral("4"), QStringLiteral("赏析"), 0, 5, 900, 370},
          {QStringLiteral("5"), QStringLiteral("理解"), 0, 10, 900, 760}},
         QStringLiteral("要点齐全得满分，言之成理可酌情给分。")},
        {QStringLiteral("0103"),
         QStringLiteral("01"),
         QStringLiteral("作文"),
         0,
         50,
         1,
         automatic,
         {{2, QRect(60, 740, 1120, 960), 0,
           QStringLiteral("三、作文（50分）以“成长的足迹”为题，写一篇不少于600字的记叙文。")},
          {3, QRect(60, 80, 1120, 1600), 0, QStringLiteral("（作文续写）")}},
         {{QStringLiteral("6"), QStringLiteral("内容"), 0, 30, 950, 80},
          {QStringLiteral("7"), QStringLiteral("表达"), 0, 20, 950, 200}},
         QStringLiteral("内容30分，表达20分；偏题酌情扣分。")},
        {QStringLiteral("0201"),
         QStringLiteral("02"),
         QStringLiteral("计算题"),
         0,
         10,
         0.5,
         automatic,
         {{1, QRect(60, 400, 1120, 300), 0,
           QStringLiteral("一、计算（10分）1. 解方程 3x + 5 = 20（5分）")},
          {1, QRect(60, 720, 1120, 300), 0, QStringLiteral("2. 化简 (a + b)² − (a − b)²（5分）")}},
         {{QStringLiteral("1"), QStringLiteral("解方程"), 0, 5, 900, 80},
          {QStringLiteral("2"), QStringLiteral("化简"), 0, 5, 900, 380}},
         QStringLiteral("步骤分与结果分各占一半。")},
        {QStringLiteral("0202"),
         QStringLiteral("02"),
         QStringLiteral("解答题"),
         0,
         20,
         1,
         words::kCutModeCustom,
         {{2, QRect(60, 80, 1120, 820), 21,
           QStringLiteral("二、解答题（20分）3. 已知函数 f(x) = x² − 4x + 3，求其最小值（8分）")},
          {3, QRect(60, 80, 1120, 820), 22,
           QStringLiteral("4. 证明：三角形内角和等于180°（12分）")}},
         {{QStringLiteral("3"), QStringLiteral("函数"), 0, 8, 900, 80},
          {QStringLiteral("4"), QStringLiteral("证明"), 0, 12, 900, 900}},
         QStringLiteral("按步骤给分。")},
    };
    return list;
}

const QList<Permission>& permissions() {
    static const QList<Permission> list = [] {
        QList<Permission> out;
        const QString firstTurn = QStringLiteral("一评");
        for (const Question& q : questions())
            out.append({q.questionId + QStringLiteral("01"), q.questionId, 1, QStringLiteral("01"),
                        findSubject(q.subjectId)->name + QLatin1Char(' ') + q.name +
                            QLatin1Char(' ') + firstTurn});
        const Question* seeded = findQuestion(kSeededQuestion);
        out.append({seeded->questionId + QStringLiteral("02"), seeded->questionId, 2,
                    QStringLiteral("02"),
                    QStringLiteral("语文 ") + seeded->name + QStringLiteral(" 二评")});
        return out;
    }();
    return list;
}

const QList<User>& users() {
    static const QList<User> list = [] {
        QList<User> out;
        QList<QPair<QString, QString>> all;
        for (const Permission& p : permissions())
            all.append({p.permissionId, QString()});
        // t01 starts with a few chosen common scores on the first group.
        QList<QPair<QString, QString>> t01 = all;
        t01[0].second = QStringLiteral("|0|1|2|4|6|8|10|");
        out.append(
            {QStringLiteral("t01"), QStringLiteral("1"), QStringLiteral("张老师"), true, t01});
        out.append(
            {QStringLiteral("t02"), QStringLiteral("2"), QStringLiteral("李老师"), true, all});
        out.append(
            {kSeedMarker,
             QStringLiteral("3"),
             QStringLiteral("王老师"),
             true,
             {{QStringLiteral("010101"), QString()}, {QStringLiteral("010102"), QString()}}});
        // The review teacher needs one permission, or sign-in refuses.
        out.append({QStringLiteral("r01"),
                    QStringLiteral("1"),
                    QStringLiteral("赵主任"),
                    true,
                    {{QStringLiteral("010301"), QString()}}});
        out.append(
            {QStringLiteral("t09"), QStringLiteral("9"), QStringLiteral("停用帐号"), false, all});
        out.append(
            {QStringLiteral("t08"), QStringLiteral("8"), QStringLiteral("无权限教师"), true, {}});
        return out;
    }();
    return list;
}

QList<Student> students(int count) {
    static const QStringList surnames{
        QStringLiteral("王"), QStringLiteral("李"), QStringLiteral("张"), QStringLiteral("刘"),
        QStringLiteral("陈"), QStringLiteral("杨"), QStringLiteral("黄"), QStringLiteral("赵"),
        QStringLiteral("吴"), QStringLiteral("周"), QStringLiteral("徐"), QStringLiteral("孙"),
        QStringLiteral("马"), QStringLiteral("朱"), QStringLiteral("胡"), QStringLiteral("郭")};
    static const QStringList given{
        QStringLiteral("子涵"), QStringLiteral("欣怡"), QStringLiteral("浩然"),
        QStringLiteral("梓萱"), QStringLiteral("宇轩"), QStringLiteral("雨桐"),
        QStringLiteral("俊杰"), QStringLiteral("思远"), QStringLiteral("佳琪"),
        QStringLiteral("明哲"), QStringLiteral("晓东"), QStringLiteral("诗雨"),
        QStringLiteral("天佑"), QStringLiteral("嘉怡"), QStringLiteral("博文"),
        QStringLiteral("若曦"), QStringLiteral("一鸣"), QStringLiteral("可欣")};
    QList<Student> out;
    const int classCount = int(classes().size());
    for (int i = 0; i < count; ++i) {
        const QString classId = classes()[i % classCount].first;
        const int seq = i / classCount + 1;
        QRandomGenerator rng(quint32(7919 * (i + 1)));
        const QString name =
            surnames[rng.bounded(int(surnames.size()))] + given[rng.bounded(int(given.size()))];
        out.append({QStringLiteral("26") + classId +
                        QStringLiteral("%1").arg(seq, 2, 10, QLatin1Char('0')),
                    name, classId, i});
    }
    return out;
}

const Question* findQuestion(const QString& questionId) {
    for (const Question& q : questions())
        if (q.questionId == questionId)
            return &q;
    return nullptr;
}

const Subject* findSubject(const QString& subjectId) {
    for (const Subject& s : subjects())
        if (s.id == subjectId)
            return &s;
    return nullptr;
}

QSize composedSize(const Question& question) {
    int width = 0;
    int height = 0;
    for (const Region& r : question.regions) {
        width = std::max(width, r.rect.width());
        height += r.rect.height();
    }
    return {width, height};
}

QSize pageSize(int dpi) {
    // 210 x 297 mm.
    return {int(std::lround(210.0 * dpi / 25.4)), int(std::lround(297.0 * dpi / 25.4))};
}

QRect scaled(const QRect& rect, int dpi) {
    if (dpi == kLayoutDpi)
        return rect;
    const auto edge = [dpi](int v) { return int(std::lround(double(v) * dpi / kLayoutDpi)); };
    const int left = edge(rect.left());
    const int top = edge(rect.top());
    return {left, top, edge(rect.left() + rect.width()) - left,
            edge(rect.top() + rect.height()) - top};
}

QString cutWire(const Question& question, int dpi) {
    QStringList records;
    int cutNo = 1;
    for (const Region& r : question.regions) {
        const QRect rect = scaled(r.rect, dpi);
        // Right and bottom lie just outside the region: the client selects
        // (X1, Y1)-(X2, Y2) with X2 - X1 columns, as it selects a whole
        // picture with (0, 0)-(width, height).
        records.append(QStringLiteral("(%1,%2,%3,%4,%5,%6,%7)")
                           .arg(cutNo++)
                           .arg(r.page)
                           .arg(rect.left())
                           .arg(rect.top())
                           .arg(rect.left() + rect.width())
                           .arg(rect.top() + rect.height())
                           .arg(r.imageNo));
    }
    return records.join(QLatin1Char(','));
}

QString formatNumber(double value) {
    return QString::number(value, 'g', 15);
}

QString subQuestionWire(const Question& question) {
    QStringList records;
    for (const SubQuestion& s : question.subQuestions)
        records.append(QStringLiteral("(%1,%2,%3,%4,%5,%6)")
                           .arg(s.id, s.name, formatNumber(s.lowest), formatNumber(s.highest))
                           .arg(s.posX)
                           .arg(s.posY));
    return records.join(QLatin1Char(','));
}

SeededMarking seededMarking(const Question& question, int studentIndex, int turn) {
    QRandomGenerator rng(quint32(104729 * (studentIndex + 1) + turn * 31));
    SeededMarking m{0, QString(), QString()};
    QString marks;
    for (const SubQuestion& s : question.subQuestions) {
        const int steps = int((s.highest - s.lowest) / question.step);
        const double score = s.lowest + rng.bounded(steps + 1) * question.step;
        m.total += score;
        const QString text = formatNumber(score);
        m.submarks += s.id + QLatin1Char(':') + text + QLatin1Char('|');
        m.tag += QStringLiteral("0;%1;%2;%3!").arg(s.posX).arg(s.posY).arg(text);
        // A cross beside a lost point, a box around the first answer line.
        if (score < s.highest)
            marks += QStringLiteral("2;%1;%2;X!").arg(s.posX - 300).arg(s.posY + 40);
    }
    const QSize size = composedSize(question);
    marks += QStringLiteral("3;40;40;%1;%2!").arg(size.width() / 2).arg(120);
    marks += QStringLiteral("1;60;%1;%2;1!").arg(200).arg(400);
    if (rng.bounded(2) == 0)
        marks += QStringLiteral("2;%1;%2;好!").arg(size.width() / 2).arg(60);
    m.tag += marks;
    return m;
}

bool hasSeededTurn(const Student& student, int turn) {
    // Every other student has a first marking; the first few of those also
    // a second, so the review shows two turns for them.
    if (turn == 1)
        return student.index % 2 == 0;
    if (turn == 2)
        return student.index % 2 == 0 && student.index < 8;
    return false;
}

} // namespace layout
