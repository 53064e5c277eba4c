// The tag reader and writer.
//  - Any tag, and any marking history, as a server may hand them back: read
//    onto a layer (a bad record is an EAppError, never anything worse),
//    counted and written again.
//  - Marks as the program makes them (score texts, crosses, comments made
//    safe for the tag, lines, boxes, ellipses, anywhere): the tag written
//    for them reads back to the same marks, so writing it again gives the
//    same tag and the same mark counts.
#include "AppError.h"
#include "CommentList.h"
#include "CoordinateLimits.h"
#include "FuzzSupport.h"
#include "GbkText.h"
#include "PaperComposer.h"
#include "TagFormat.h"

#include <cmath>

using namespace marking;
using imaging::ObjectKind;
using imaging::VectorLayer;

namespace {

QList<TSubQuestion> SubQuestionsFrom(FuzzInput& in) {
    QList<TSubQuestion> list(in.below(6));
    for (TSubQuestion& q : list) {
        q.SubQuestionId = QString::number(in.byte());
        q.HighestMark = in.below(20);
        // As the client state reads them.
        q.PosX = imaging::ClampCoordinate(in.coordinate());
        q.PosY = imaging::ClampCoordinate(in.coordinate());
    }
    return list;
}

void ReadAnything(const QList<TSubQuestion>& subQuestions, const QString& tag) {
    VectorLayer layer;
    try {
        DrawTag(layer, subQuestions, tag,
                [&](int i, const QString&) { FUZZ_CHECK(i >= 0 && i < subQuestions.size()); });
    } catch (const EAppError&) {
        // A bad record stops the reading; what was read stays.
    }
    for (imaging::ObjectHandle h : layer.handles()) {
        const imaging::VectorObject* o = layer.object(h);
        FUZZ_CHECK(std::abs(qint64(o->left)) <= imaging::kMaxCoordinate);
        FUZZ_CHECK(std::abs(qint64(o->width)) <= imaging::kMaxCoordinate);
    }
    static_cast<void>(RecountMarks(layer));
    static_cast<void>(BuildTag(layer, subQuestions));
}

// Marks made the way the marking window makes them.
void BuildMarks(FuzzInput& in, VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    for (const TSubQuestion& q : subQuestions) {
        if (in.flag())
            layer.add(MakePlaceholderScoreText(q.PosX, q.PosY));
        else
            layer.add(MakeSubQuestionScoreText(q.PosX, q.PosY, FormatNumber(in.below(41) / 2.0)));
    }
    const int marks = in.below(12);
    for (int i = 0; i < marks && !in.empty(); ++i) {
        const int left = in.coordinate();
        const int top = in.coordinate();
        switch (in.below(5)) {
        case 0:
            layer.add(MakeShapeMark(ObjectKind::Line, left, top, in.coordinate(), in.coordinate()));
            break;
        case 1:
            layer.add(MakeShapeMark(ObjectKind::Box, left, top, in.coordinate(), in.coordinate()));
            break;
        case 2:
            layer.add(
                MakeShapeMark(ObjectKind::Ellipse, left, top, in.coordinate(), in.coordinate()));
            break;
        case 3:
            layer.add(MakeSymbolText(left, top, QStringLiteral("X")));
            break;
        case 4: {
            // A typed comment goes on the paper only made safe, never empty.
            const QString comment = SanitizeComment(gbk::decode(in.bytes(12)));
            if (!comment.isEmpty())
                layer.add(MakeSymbolText(left, top, comment));
            break;
        }
        }
    }
}

void CheckRoundTrip(FuzzInput& in) {
    const QList<TSubQuestion> subQuestions = SubQuestionsFrom(in);
    VectorLayer layer;
    BuildMarks(in, layer, subQuestions);
    const QString tag = BuildTag(layer, subQuestions);

    VectorLayer read;
    try {
        DrawTag(read, subQuestions, tag, {});
    } catch (const EAppError& e) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(e.text()), qPrintable(tag));
        FUZZ_CHECK(!"a written tag reads back");
    }
    if (BuildTag(read, subQuestions) != tag)
        std::fprintf(stderr, "%s\n%s\n", qPrintable(tag), qPrintable(BuildTag(read, subQuestions)));
    FUZZ_CHECK(BuildTag(read, subQuestions) == tag);
    // (The totals may differ: a comment that is a negative number counts
    // but is never written.)
    MarkCounts before;
    MarkCounts after;
    RecountMarks(layer, &before);
    RecountMarks(read, &after);
    FUZZ_CHECK(before.LineCount == after.LineCount && before.BoxCount == after.BoxCount &&
               before.EllipseCount == after.EllipseCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    FuzzInput in(data, size);
    if (in.flag()) {
        CheckRoundTrip(in);
        return 0;
    }
    const QList<TSubQuestion> subQuestions = SubQuestionsFrom(in);
    const QByteArray bytes = in.rest();
    const QString text = gbk::decode(bytes);
    ReadAnything(subQuestions, text);
    // The same text as a marking history: each turn's tag read in turn.
    for (const HistoryEntry& entry : SplitHistory(text))
        if (entry.valid)
            ReadAnything(subQuestions, entry.tag);
    return 0;
}
