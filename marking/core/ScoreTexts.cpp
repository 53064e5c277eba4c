#include "ScoreTexts.h"

#include "CoordinateLimits.h"
#include "GbkText.h"

namespace marking {

using imaging::ObjectHandle;
using imaging::ObjectKind;
using imaging::VectorLayer;
using imaging::VectorObject;

namespace {

const QString kUnscored = QStringLiteral("?");

// Only plain text objects count as texts here; memos are another kind.
bool IsTextObject(const VectorObject& o) {
    return o.kind == ObjectKind::Text;
}

// What every text mark shares: red text, no frame, centred, not editable,
// visible and movable, width = GBK bytes x font height, height = font height.
VectorObject TextMark(int left, int top, const QString& text, const QString& font, int height) {
    VectorObject o;
    o.kind = ObjectKind::Text;
    o.left = left;
    o.top = top;
    o.text = text;
    o.fontName = font;
    o.fontHeight = height;
    o.penColor = imaging::kGdiRed;
    o.penStyle = imaging::PenStyle::Clear;
    o.align = imaging::TextAlign::Center;
    o.width = ScoreTextWidth(text, height);
    o.height = height;
    o.editable = false;
    o.visible = true;
    o.movable = true;
    o.resizable = false;
    return o;
}

} // namespace

int ScoreTextWidth(const QString& text, int fontHeight) {
    // A comment from a stored tag may be long enough to overflow the product.
    return imaging::ClampCoordinate(qint64(gbk::byteCount(text)) * fontHeight);
}

VectorObject MakeScoreText(int left, int top, const QString& text) {
    VectorObject o = TextMark(left, top, text, QStringLiteral("宋体"), kTextHeight);
    // Half transparent over a white box: the score stays readable over the
    // handwriting without hiding it.
    o.brushColor = imaging::kGdiWhite;
    o.brushStyle = imaging::BrushStyle::Solid;
    o.transparency = 128;
    o.highlighter = true;
    return o;
}

VectorObject MakeSubQuestionScoreText(int left, int top, const QString& text) {
    VectorObject o = MakeScoreText(left, top, text);
    o.movable = false;
    return o;
}

VectorObject MakePlaceholderScoreText(int left, int top) {
    VectorObject o = MakeScoreText(left, top, kUnscored);
    o.width = 48;
    o.height = 32;
    o.editable = true;
    o.movable = false;
    return o;
}

VectorObject MakeSymbolText(int left, int top, const QString& text, int fontHeight) {
    VectorObject o = TextMark(left, top, text, QStringLiteral("Arial"), fontHeight);
    o.penWidth = 1;
    o.brushColor = imaging::kGdiRed;
    o.brushStyle = imaging::BrushStyle::Clear;
    return o;
}

VectorObject MakeShapeMark(ObjectKind kind, int left, int top, int width, int height) {
    VectorObject o;
    o.kind = kind;
    // A stored tag may carry a box with a zero or negative extent; the two
    // corner points it names keep boxes and ellipses normalised. Clamped
    // first, so the far corner of any position and size is an int.
    left = imaging::ClampCoordinate(left);
    top = imaging::ClampCoordinate(top);
    width = imaging::ClampCoordinate(width);
    height = imaging::ClampCoordinate(height);
    imaging::SetExtentFromPoints(o, QPoint(left, top), QPoint(left + width - 1, top + height - 1));
    o.penColor = imaging::kGdiRed;
    o.penStyle = imaging::PenStyle::Solid;
    o.penWidth = 1;
    o.brushStyle = imaging::BrushStyle::Clear;
    o.visible = true;
    o.movable = true;
    o.resizable = false;
    return o;
}

ObjectHandle FindScoreText(const VectorLayer& layer, int x, int y) {
    for (ObjectHandle h : layer.handles()) {
        const VectorObject* o = layer.object(h);
        if (IsTextObject(*o) && o->left == x && o->top == y && !IsSymbolMark(o->text))
            return h;
    }
    return imaging::kNoObject;
}

bool IsScorePosition(const QList<TSubQuestion>& subQuestions, int x, int y) {
    return ScoreIndexAt(subQuestions, x, y) >= 0;
}

int ScoreIndexAt(const QList<TSubQuestion>& subQuestions, int x, int y) {
    for (int i = 0; i < subQuestions.size(); ++i) {
        if (subQuestions[i].PosX == x && subQuestions[i].PosY == y)
            return i;
    }
    return -1;
}

double RecountMarks(const VectorLayer& layer, MarkCounts* counts) {
    double total = 0;
    MarkCounts found;
    for (ObjectHandle h : layer.handles()) {
        const VectorObject* o = layer.object(h);
        switch (o->kind) {
        case ObjectKind::Text: {
            double value = 0;
            if (ReadNumber(o->text, &value))
                total += value;
            break;
        }
        case ObjectKind::Line:
            ++found.LineCount;
            break;
        case ObjectKind::Box:
            ++found.BoxCount;
            break;
        case ObjectKind::Ellipse:
            ++found.EllipseCount;
            break;
        case ObjectKind::Memo:
            break;
        }
    }
    if (counts)
        *counts = found;
    return total;
}

bool AllScored(const VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    bool scored = true;
    for (const TSubQuestion& q : subQuestions) {
        const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h != imaging::kNoObject && layer.object(h)->text == kUnscored)
            scored = false;
    }
    return scored;
}

void SetAllScoresZero(VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    const QString zero = QStringLiteral("0");
    for (const TSubQuestion& q : subQuestions) {
        const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h != imaging::kNoObject)
            layer.object(h)->text = zero;
        else
            layer.add(MakeSubQuestionScoreText(q.PosX, q.PosY, zero));
    }
}

QStringList SetAllScoresFull(VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    QStringList texts;
    for (const TSubQuestion& q : subQuestions) {
        const QString s = FormatNumber(q.HighestMark);
        const ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h != imaging::kNoObject) {
            VectorObject* o = layer.object(h);
            o->text = s;
            o->width = ScoreTextWidth(s);
        } else {
            layer.add(MakeSubQuestionScoreText(q.PosX, q.PosY, s));
        }
        texts.append(s);
    }
    return texts;
}

} // namespace marking
