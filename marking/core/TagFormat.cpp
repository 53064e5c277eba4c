#include "TagFormat.h"

#include "AppError.h"
#include "GbkText.h"

#include <QStringList>

namespace marking {

using imaging::ObjectHandle;
using imaging::ObjectKind;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

QString Num(int value) {
    return QString::number(value);
}

QString ShapeRecord(const QString& kind, const VectorObject& o) {
    return kind + u';' + Num(o.left) + u';' + Num(o.top) + u';' + Num(o.width) + u';' +
           Num(o.height) + u'!';
}

} // namespace

QString BuildTag(const VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    QString tag;
    for (const TSubQuestion& q : subQuestions) {
        const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h == imaging::kNoObject)
            continue;
        const VectorObject* o = layer.object(h);
        const QString score = o->text == QStringLiteral("?") ? QStringLiteral("0") : o->text;
        tag += QStringLiteral("0;") + Num(o->left) + u';' + Num(o->top) + u';' + score + u'!';
    }

    for (ObjectHandle h : layer.handles()) {
        const VectorObject* o = layer.object(h);
        switch (o->kind) {
        case ObjectKind::Text: {
            if (IsScorePosition(subQuestions, o->left, o->top))
                break;
            const QString t = TrimCtl(o->text);
            const QString at = Num(o->left) + u';' + Num(o->top) + u';';
            double value = 0;
            if (t == QStringLiteral("X"))
                tag += QStringLiteral("2;") + at + QStringLiteral("X!");
            else if (!ReadNumber(t, &value))
                tag += QStringLiteral("2;") + at + t + u'!';
            else if (value >= 0)
                tag += QStringLiteral("0;") + at + t + u'!';
            // A negative number gives no record (it still counts in the total).
            break;
        }
        case ObjectKind::Line:
            tag += ShapeRecord(QStringLiteral("1"), *o);
            break;
        case ObjectKind::Box:
            tag += ShapeRecord(QStringLiteral("3"), *o);
            break;
        case ObjectKind::Ellipse:
            tag += ShapeRecord(QStringLiteral("4"), *o);
            break;
        case ObjectKind::Memo:
            break;
        }
    }
    return tag;
}

const QString& TagRecord::text(int field) const {
    if (field < 0 || field >= m_fields.size())
        RaiseError(QStringLiteral("List index out of bounds (%1)").arg(field));
    return m_fields[field];
}

int TagRecord::integer(int field) const {
    const QString& t = text(field);
    int value = 0;
    if (!ReadInteger(t, &value))
        RaiseError(QStringLiteral("'%1' is not a valid integer value").arg(t));
    return value;
}

void ReadTagRecords(const QString& tag, const TagRecordMaker& make) {
    const QStringList records = SplitList(tag, QStringLiteral("!"));
    for (int i = 0; i < records.size(); ++i)
        make(TagRecord(i, SplitList(records[i], QStringLiteral(";"))));
}

std::optional<VectorObject> ShapeMarkFromRecord(const TagRecord& record) {
    const QString& kind = record.kind();
    ObjectKind shape;
    if (kind == QStringLiteral("1"))
        shape = ObjectKind::Line;
    else if (kind == QStringLiteral("3"))
        shape = ObjectKind::Box;
    else if (kind == QStringLiteral("4"))
        shape = ObjectKind::Ellipse;
    else
        return std::nullopt;
    // One field after the other, so a bad record names its first bad field.
    const int left = record.integer(1);
    const int top = record.integer(2);
    const int width = record.integer(3);
    const int height = record.integer(4);
    return MakeShapeMark(shape, left, top, width, height);
}

VectorObject SymbolTextFromRecord(const TagRecord& record, int fontHeight) {
    const int left = record.integer(1);
    const int top = record.integer(2);
    VectorObject o = MakeSymbolText(left, top, record.text(3));
    o.fontHeight = fontHeight;
    o.height = fontHeight;
    o.width = ScoreTextWidth(o.text, fontHeight);
    return o;
}

void DrawTag(VectorLayer& layer, const QList<TSubQuestion>& subQuestions, const QString& tag,
             const ScoreEditSetter& setScoreEdit) {
    layer.clear();
    ReadTagRecords(tag, [&](const TagRecord& record) {
        const QString& kind = record.kind();
        if (kind == QStringLiteral("0") && record.index() < subQuestions.size()) {
            // The section order makes the i-th record sub-question i's score,
            // whatever its own position says.
            const int i = record.index();
            const TSubQuestion& q = subQuestions[i];
            const QString& score = record.text(3);
            const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
            if (h != imaging::kNoObject)
                layer.object(h)->text = score;
            else
                layer.add(MakeSubQuestionScoreText(q.PosX, q.PosY, score));
            if (setScoreEdit)
                setScoreEdit(i, score);
        } else if (kind == QStringLiteral("0")) {
            const int left = record.integer(1);
            const int top = record.integer(2);
            layer.add(MakeScoreText(left, top, record.text(3)));
        } else if (kind == QStringLiteral("2")) {
            layer.add(SymbolTextFromRecord(record, kTextHeight));
        } else if (const std::optional<VectorObject> shape = ShapeMarkFromRecord(record)) {
            layer.add(*shape);
        }
    });
}

void DrawReviewMarks(VectorLayer& layer, const QString& tag) {
    layer.clear();
    ReadTagRecords(tag, [&](const TagRecord& record) {
        const QString& kind = record.kind();
        // A score is drawn like a comment: the review ties no record to a
        // sub-question and has no score edits or total to fill.
        if (kind == QStringLiteral("0") || kind == QStringLiteral("2"))
            layer.add(SymbolTextFromRecord(record, kReviewTextHeight));
        else if (const std::optional<VectorObject> shape = ShapeMarkFromRecord(record))
            layer.add(*shape);
    });
}

void DrawTagOnView(VectorLayer& layer, const QList<TSubQuestion>& subQuestions, const QString& tag,
                   const ScoreEditSetter& setScoreEdit, const TagReaderHooks& hooks) {
    const auto finish = [&] {
        if (hooks.refreshStatus) {
            MarkCounts counts;
            const double total = RecountMarks(layer, &counts);
            hooks.refreshStatus(total, counts);
        }
        if (hooks.resumePainting)
            hooks.resumePainting();
    };
    if (hooks.suspendPainting)
        hooks.suspendPainting();
    try {
        DrawTag(layer, subQuestions, tag, setScoreEdit);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace marking
