#pragma once
// Handing a marked paper back: the checks a paper must pass before it is
// sent, in their order and with their messages, the per-sub-question scores
// text Submarks, and the values the SaveSymbol request carries. Free
// functions over the main view's layer, the sub-questions and the score
// edits' texts, so the window only gathers its controls and sends.

#include "ScoreTexts.h"

#include <QString>
#include <QStringList>

namespace marking {

// The tag may be at most this many GBK bytes; 500 and more are refused.
constexpr int kMaxTagBytes = 499;

// One entry per sub-question that has a score text, in sub-question order,
// each ended by "|": "?" gives "id:0|", a number gives "id:" + the number in
// the general number format + "|" (05 -> 5, 2.50 -> 2.5), any other text
// gives no entry. Example: "1:5|2:2.5|".
QString BuildSubmarks(const imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

// The 1-based numbers, joined by ",", of the score edits whose value lies
// outside their sub-question's LowestMark..HighestMark (bounds included);
// empty when all are in range. Only indexes present in both lists are
// visited. Throws EAppError when an edit's text does not read as a number
// (an empty edit included).
QString OutOfRangeList(const QList<TSubQuestion>& subQuestions, const QStringList& editTexts);

// False when some sub-question's score text is "?" or does not read as a
// number at all ("." or "1.2.3" typed into an edit). Such a score would
// otherwise drop silently out of Submarks and count nothing in the mark, so
// it is refused like an unscored one. A sub-question without a score text
// does not make it false.
bool AllScoredForSubmission(const imaging::VectorLayer& layer,
                            const QList<TSubQuestion>& subQuestions);

// The exception choice of ComboBoxException as the request carries it.
struct ExceptionChoice {
    QString Description; // the item's text when its index is above 0, else ""
    QString IsExceptional; // "1" for 答错位置, 切割问题 and 其他情况 (index 2 to 4), else "0"
};
ExceptionChoice ExceptionFor(int selectedIndex, const QString& selectedText);

// What SaveSymbol is given.
struct SubmissionValues {
    QString Submarks;
    QString Tag;
    QString Description;
    QString IsExceptional;
    double Mark = 0;
};

// Everything the checks look at.
struct SubmissionInput {
    const imaging::VectorLayer* layer = nullptr;
    const QList<TSubQuestion>* subQuestions = nullptr;
    QStringList editTexts; // texts of ScoreEdits, in order
    double FullScore = 0;
    int exceptionIndex = 0; // -1 when nothing is selected
    QString exceptionText;
};

// Runs the checks in their order, showing each refusal or failure through
// Messages():
//  1. every sub-question scored ("每道题必须打分!!", stop);
//  2. every score edit within its range ("第" + list + "知识点打分不满足其知识点的
//     上下限制!", stop); when the check itself fails (an edit that is not a
//     number) "判断本题知识点打分出错" and go on;
//  3. the total at most FullScore ("本题分数上限为" + FullScore, stop); when
//     the check fails "判断本题分数上限出错" and go on;
//  4. the tag at most 499 GBK bytes (stop with the too-many-marks message);
//     when building the tag fails a message and go on.
// Returns false when a check refused; otherwise true with `values` gathered
// (Description, Mark, IsExceptional, Tag, Submarks, in that order). `counts`
// receives the mark counts of the recount when given.
bool CheckAndGather(const SubmissionInput& input, SubmissionValues* values,
                    MarkCounts* counts = nullptr);

// Messages of the submission that the window shows itself.
extern const QString kSubmitTimingHead; // before the milliseconds of the clean-up
extern const QString kSubmitTimingTail; // after them
extern const QString kAutoLoadFailed;   // the automatic fetch after a submission failed

} // namespace marking
