#pragma once
// Bounds that no real exam meets but a hostile or broken server might send.
// Parameters beyond them are refused before anything of them is stored, so
// the windows never build thousands of page views or edits from one reply.

#include <QtGlobal>

// Page images of one paper (one page view each); -1 is a valid count (no
// page at all).
constexpr qint32 kMaxPageCount = 64;
// Cut regions of one question group.
constexpr qsizetype kMaxCutCount = 256;
// Sub-questions of one question group (one score edit each).
constexpr qsizetype kMaxSubQuestionCount = 64;

inline bool PageCountWithinLimits(qint32 pageCount) {
    return pageCount >= -1 && pageCount <= kMaxPageCount;
}
