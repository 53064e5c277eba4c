#include "Submission.h"

#include "AppError.h"
#include "GbkText.h"
#include "Messages.h"
#include "TagFormat.h"

namespace marking {

namespace {

const QString kNotAllScored = QStringLiteral("每道题必须打分!!");
const QString kRangeHead = QStringLiteral("第");
const QString kRangeTail = QStringLiteral("知识点打分不满足其知识点的上下限制!");
const QString kRangeCheckFailed = QStringLiteral("判断本题知识点打分出错");
const QString kFullScoreHead = QStringLiteral("本题分数上限为");
const QString kFullScoreCheckFailed = QStringLiteral("判断本题分数上限出错");
const QString kTagTooLong =
    QStringLiteral("您的标记大于系统所能承受的最大数,请删除一些无用的标记!!");
// Building the tag for the length check failed; the submission goes on.
const QString kTagCheckFailed = QStringLiteral("判断本题标记长度出错");

const QString kUnscored = QStringLiteral("?");

} // namespace

const QString kSubmitTimingHead = QStringLiteral("交卷操作耗时:");
const QString kSubmitTimingTail = QStringLiteral("毫秒");
const QString kAutoLoadFailed = QStringLiteral("自动提卷出错");

QString BuildSubmarks(const imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions) {
    QString submarks;
    for (const TSubQuestion& q : subQuestions) {
        const imaging::ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h == imaging::kNoObject)
            continue;
        const QString& text = layer.object(h)->text;
        double value = 0;
        if (text == kUnscored)
            submarks += q.SubQuestionId + QStringLiteral(":0|");
        else if (ReadNumber(text, &value))
            submarks += q.SubQuestionId + QLatin1Char(':') + FormatNumber(value) + QLatin1Char('|');
    }
    return submarks;
}

QString OutOfRangeList(const QList<TSubQuestion>& subQuestions, const QStringList& editTexts) {
    QString list;
    const qsizetype n = std::min(subQuestions.size(), editTexts.size());
    for (qsizetype i = 0; i < n; ++i) {
        const double value = NumberOrRaise(editTexts[i]);
        if (value > subQuestions[i].HighestMark || value < subQuestions[i].LowestMark) {
            if (!list.isEmpty())
                list += QLatin1Char(',');
            list += QString::number(i + 1);
        }
    }
    return list;
}

bool AllScoredForSubmission(const imaging::VectorLayer& layer,
                            const QList<TSubQuestion>& subQuestions) {
    bool all = true;
    for (const TSubQuestion& q : subQuestions) {
        const imaging::ObjectHandle h = FindScoreText(layer, q.PosX, q.PosY);
        if (h == imaging::kNoObject)
            continue;
        const QString& text = layer.object(h)->text;
        if (text == kUnscored || !ReadNumber(text))
            all = false;
    }
    return all;
}

ExceptionChoice ExceptionFor(int selectedIndex, const QString& selectedText) {
    ExceptionChoice choice;
    choice.Description = selectedIndex > 0 ? selectedText : QString();
    // 典型考卷 (1) marks a paper worth showing, not a faulty one.
    choice.IsExceptional = selectedIndex >= 2 ? QStringLiteral("1") : QStringLiteral("0");
    return choice;
}

bool CheckAndGather(const SubmissionInput& input, SubmissionValues* values, MarkCounts* counts) {
    const imaging::VectorLayer& layer = *input.layer;
    const QList<TSubQuestion>& subQuestions = *input.subQuestions;

    if (!AllScoredForSubmission(layer, subQuestions)) {
        Messages().showMessage(kNotAllScored);
        return false;
    }

    try {
        const QString list = OutOfRangeList(subQuestions, input.editTexts);
        if (!list.isEmpty()) {
            Messages().showMessage(kRangeHead + list + kRangeTail);
            return false;
        }
    } catch (const std::exception&) {
        Messages().showMessage(kRangeCheckFailed);
    }

    try {
        // The total is compared as it is shown and sent (general number
        // format), so sums such as 0.1 + 0.2 are not refused against a full
        // score of 0.3 for a rounding residue the marker never sees.
        double shown = 0;
        ReadNumber(FormatNumber(RecountMarks(layer)), &shown);
        if (shown > input.FullScore) {
            Messages().showMessage(kFullScoreHead + FormatNumber(input.FullScore));
            return false;
        }
    } catch (const std::exception&) {
        Messages().showMessage(kFullScoreCheckFailed);
    }

    try {
        if (gbk::byteCount(BuildTag(layer, subQuestions)) > kMaxTagBytes) {
            Messages().showMessage(kTagTooLong);
            return false;
        }
    } catch (const std::exception&) {
        Messages().showMessage(kTagCheckFailed);
    }

    const ExceptionChoice exception = ExceptionFor(input.exceptionIndex, input.exceptionText);
    values->Description = exception.Description;
    values->Mark = RecountMarks(layer, counts);
    values->IsExceptional = exception.IsExceptional;
    values->Tag = BuildTag(layer, subQuestions);
    values->Submarks = BuildSubmarks(layer, subQuestions);
    return true;
}

} // namespace marking
