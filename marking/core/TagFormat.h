#pragma once
// The tag: every score text and mark of a paper serialised into one string
// of records ended by "!", fields separated by ";". The writer turns the
// main view's layer into a tag; the reader rebuilds a layer from one. Both
// work on the layer and the sub-questions only, so the review window can
// redraw a stored paper with the same reader.
//
// Record kinds: "0" score or numeric text (kind;left;top;text), "1" line,
// "3" box, "4" ellipse (kind;left;top;width;height), "2" cross or comment
// text (kind;left;top;text). The score section (one "0" record per
// sub-question that has a score text, in sub-question order) comes first,
// then the mark section in layer order. Texts are written as stored, with no
// escaping: comment texts are made safe before they reach the layer.

#include "ScoreTexts.h"

#include <QString>
#include <functional>

namespace marking {

// The tag of the objects now on the layer.
QString BuildTag(const imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

// Called with (sub-question index, score text) for every score the reader
// takes from the score section. The callee decides whether score edit
// `index` exists; edits without a score record keep their text.
using ScoreEditSetter = std::function<void(int index, const QString& text)>;

// Replaces every object of the layer by those of `tag`.
//
// A record with fewer fields than its kind needs, or with a position or
// size that is not a decimal integer, stops the reading there with EAppError
// ("List index out of bounds (n)" with the 0-based field index asked for, or
// "'text' is not a valid integer value"). The objects made from the earlier
// records stay on the layer and the score edits set so far keep their new
// text. Records of an unknown kind are skipped.
//
// The caller must check first that a paper is loaded and the view's image
// has a height above 0 (otherwise nothing is to happen), and on every way
// out, the error included, refresh the status (total and mark counts) and
// resume painting before the error reaches the general error handler.
// DrawTagOnView does exactly that.
void DrawTag(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions,
             const QString& tag, const ScoreEditSetter& setScoreEdit);

// What the view around the layer must do while the tag reader runs.
struct TagReaderHooks {
    std::function<void()> suspendPainting;
    std::function<void()> resumePainting;
    // Status refresh: total and counts of the rebuilt layer, for ScorePanel
    // and the three counter labels.
    std::function<void(double total, const MarkCounts& counts)> refreshStatus;
};

// DrawTag with painting suspended; the status refresh and the resumption of
// painting happen also when a bad record stops the reading, after which the
// EAppError is rethrown for the caller's guard to report. Empty hooks are
// skipped. The paper-loaded / image-height check stays the caller's.
void DrawTagOnView(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions,
                   const QString& tag, const ScoreEditSetter& setScoreEdit,
                   const TagReaderHooks& hooks);

} // namespace marking
