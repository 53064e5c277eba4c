#pragma once
// The tag: every score text and mark of a paper serialised into one string
// of records ended by "!", fields separated by ";". The writer turns the
// main view's layer into a tag; the readers rebuild a layer from one. The
// marking window's reader (DrawTag) and the review window's
// (DrawReviewMarks) run the same record reader (ReadTagRecords) with the
// same field reading and errors; only how they draw scores differs.
//
// Record kinds: "0" score or numeric text (kind;left;top;text), "1" line,
// "3" box, "4" ellipse (kind;left;top;width;height), "2" cross or comment
// text (kind;left;top;text). The score section (one "0" record per
// sub-question that has a score text, in sub-question order) comes first,
// then the mark section in layer order. Texts are written as stored, with no
// escaping: comment texts are made safe before they reach the layer.

#include "ScoreTexts.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace marking {

// The tag of the objects now on the layer.
QString BuildTag(const imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions);

// One record of a tag with its fields, read the way stored tags were always
// read: asking for a field that is not there, or reading a text that is not
// a decimal integer as a position or size, raises EAppError ("List index out
// of bounds (n)" with the 0-based field index asked for, or "'text' is not a
// valid integer value").
class TagRecord {
public:
    TagRecord(int index, QStringList fields) : m_index(index), m_fields(std::move(fields)) {}

    // Position among the tag's records, 0-based (empty records are dropped
    // before counting).
    int index() const { return m_index; }
    // Field 0 (raises for a record without fields).
    const QString& kind() const { return text(0); }
    const QString& text(int field) const;
    int integer(int field) const;

private:
    int m_index;
    QStringList m_fields;
};

// Makes the objects of one record; reading its fields may raise EAppError.
using TagRecordMaker = std::function<void(const TagRecord& record)>;

// Splits a tag into records at "!" and each record into fields at ";" (the
// list-splitting rule: CR and LF also cut, quoted stretches stay whole,
// empty pieces are dropped) and hands the records in order to `make`. An
// error raised for a record ends the reading there; what `make` made from
// the earlier records stays.
void ReadTagRecords(const QString& tag, const TagRecordMaker& make);

// The line, box or ellipse of a "1", "3" or "4" record (left, top, width and
// height read in that order); nullopt for every other kind.
std::optional<imaging::VectorObject> ShapeMarkFromRecord(const TagRecord& record);

// The cross or comment text of a record (left and top, then the text): the
// look of MakeSymbolText at `fontHeight`, as high as the font and GBK bytes
// x height wide.
imaging::VectorObject SymbolTextFromRecord(const TagRecord& record, int fontHeight);

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

// Font height of the marks the review window redraws (image pixels).
constexpr int kReviewTextHeight = 36;

// The review window's reader: replaces every object of the layer by the
// marks of `tag`. Scores ("0") and crosses or comments ("2") alike become
// SymbolTextFromRecord texts of kReviewTextHeight, whatever their place in
// the tag (no sub-question is looked at); lines, boxes and ellipses are made
// as DrawTag makes them; other kinds are skipped. A bad record stops the
// reading with EAppError as in DrawTag, the marks before it staying. The
// caller checks that the view has a picture and suspends and resumes its
// painting around the call.
void DrawReviewMarks(imaging::VectorLayer& layer, const QString& tag);

} // namespace marking
