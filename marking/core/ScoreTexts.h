#pragma once
// Score bookkeeping on the main view's vector layer: the look of score texts
// and marks, finding a sub-question's score text, the running total with the
// mark counts, and the all-zero / full-mark fills. Free functions over the
// layer and the sub-questions, so the marking window and the review window
// can share them without either knowing the other.

#include "UntPublic.h"
#include "VectorLayer.h"

#include <QList>
#include <QString>

namespace marking {

// Numbers of line, box and ellipse objects on the layer.
struct MarkCounts {
    int LineCount = 0;
    int BoxCount = 0;
    int EllipseCount = 0;
};

// Font height of every text the marking window makes (image pixels).
constexpr int kTextHeight = 40;

// The texts of the cross and the tick marks.
inline const QString kCrossText = QStringLiteral("X");
inline const QString kTickText = QStringLiteral("√");
// A cross or a tick: a mark, never a score, wherever it lies.
inline bool IsSymbolMark(const QString& text) {
    return text == kCrossText || text == kTickText;
}

// A score text: "宋体" 40, red, half transparent over a white box, no frame,
// centred, not editable, visible and movable; width = GBK bytes of the text
// × 40, height 40. The view must render transparent objects once one exists.
imaging::VectorObject MakeScoreText(int left, int top, const QString& text);

// The score text of a sub-question, at its position: the score text's look,
// but not movable. The tag finds a sub-question's score by position and the
// submission's Submarks by the same search, so a score text dragged away
// would drop that score from Submarks while still counting in the total, and
// give its score to the next sub-question when the tag is read back.
imaging::VectorObject MakeSubQuestionScoreText(int left, int top, const QString& text);

// The "?" placeholder a freshly fetched paper gets: the score text's look,
// but 48 × 32, editable in place and visible only (neither movable nor
// resizable), so the marker cannot drag it away before scoring.
imaging::VectorObject MakePlaceholderScoreText(int left, int top);

// A cross or comment text: "Arial" 40 (or `fontHeight`), red, no frame, no
// fill, centred, not editable, visible and movable; width = GBK bytes × the
// font height, height = the font height.
imaging::VectorObject MakeSymbolText(int left, int top, const QString& text,
                                     int fontHeight = kTextHeight);

// A line, box or ellipse mark: solid red pen of width 1, no fill, visible
// and movable. Width and height are inclusive extents; a line keeps its
// direction, boxes and ellipses are normalised.
imaging::VectorObject MakeShapeMark(imaging::ObjectKind kind, int left, int top, int width,
                                    int height);

// Width a score text gets for `text` at `fontHeight`: GBK bytes × height.
int ScoreTextWidth(const QString& text, int fontHeight = kTextHeight);

// First text object, in layer order, at exactly (x, y) that is not a cross
// or a tick; kNoObject when there is none.
imaging::ObjectHandle FindScoreText(const imaging::VectorLayer& layer, int x, int y);

// True when some sub-question sits at exactly (x, y).
bool IsScorePosition(const QList<TSubQuestion>& subQuestions, int x, int y);

// Index of the first sub-question at exactly (x, y); -1 when none.
int ScoreIndexAt(const QList<TSubQuestion>& subQuestions, int x, int y);

// The running total: the sum of every text object whose whole text reads as
// a number (score texts, numeric comments and dragged-away score texts
// alike). Counts lines, boxes and ellipses into `counts` when given.
double RecountMarks(const imaging::VectorLayer& layer, MarkCounts* counts = nullptr);

// False when some sub-question's score text is exactly "?". A sub-question
// without a score text does not make it false.
bool AllScored(const imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

// Every sub-question's score text becomes "0", keeping its size (so a "?"
// placeholder stays 48 × 32); a missing one is created 40 × 40.
void SetAllScoresZero(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

// Every sub-question's score text becomes its HighestMark in the general
// number format with the width recomputed; a missing one is created.
// Returns those texts, one per sub-question, for the score edits.
QStringList SetAllScoresFull(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

} // namespace marking
