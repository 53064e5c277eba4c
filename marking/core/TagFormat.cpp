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

// Reads the fields of one record the way the stored data was always read:
// asking for a field that is not there, or reading a non-integer as a
// position, is an error that ends the reading.
class RecordFields {
public:
    explicit RecordFields(QStringList fields) : m_fields(std::move(fields)) {}

    const QString& text(int index) const {
        if (index < 0 || index >= m_fields.size())
            RaiseError(QStringLiteral("List index out of bounds (%1)").arg(index));
        return m_fields[index];
    }

    int integer(int index) const {
        const QString& t = text(index);
        int value = 0;
        if (!ReadInteger(t, &value))
            RaiseError(QStringLiteral("'%1' is not a valid integer value").arg(t));
        return value;
    }

private:
    QStringList m_fields;
};

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

void DrawTag(VectorLayer& layer, const QList<TSubQuestion>& subQuestions, const QString& tag,
             const ScoreEditSetter& setScoreEdit) {
    layer.clear();
    const QStringList records = SplitList(tag, QStringLiteral("!"));
    for (int i = 0; i < records.size(); ++i) {
        const RecordFields f(SplitList(records[i], QStringLiteral(";")));
        const QString kind = f.text(0);
        if (kind == QStringLiteral("0") && i < subQuestions.size()) {
            // The section order makes the i-th record sub-question i's score,
            // whatever its own position says.
            const TSubQuestion& q = subQuestions[i];
            const QString& score = f.text(3);
            const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
            if (h != imaging::kNoObject)
                layer.object(h)->text = score;
            else
                layer.add(MakeSubQuestionScoreText(q.PosX, q.PosY, score));
            if (setScoreEdit)
                setScoreEdit(i, score);
        } else if (kind == QStringLiteral("0")) {
            const int left = f.integer(1);
            const int top = f.integer(2);
            layer.add(MakeScoreText(left, top, f.text(3)));
        } else if (kind == QStringLiteral("1") || kind == QStringLiteral("3") ||
                   kind == QStringLiteral("4")) {
            const ObjectKind shape = kind == QStringLiteral("1")   ? ObjectKind::Line
                                     : kind == QStringLiteral("3") ? ObjectKind::Box
                                                                   : ObjectKind::Ellipse;
            const int left = f.integer(1);
            const int top = f.integer(2);
            const int width = f.integer(3);
            const int height = f.integer(4);
            layer.add(MakeShapeMark(shape, left, top, width, height));
        } else if (kind == QStringLiteral("2")) {
            const int left = f.integer(1);
            const int top = f.integer(2);
            layer.add(MakeSymbolText(left, top, f.text(3)));
        }
    }
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
