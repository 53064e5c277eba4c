#pragma once
// Undo and redo of the marker's changes to the marks of the open paper.
//
// A change (a mark placed, moved or deleted, scores set from the pop-up
// menu, 全零, 满分) is kept as data: the marks and the score edits' texts
// before and after it. Undoing turns exactly the marks the change touched
// back, and leaves alone what the marker did by hand in between (typed
// scores, other marks). Marks are told apart by an id of their own, because
// a mark taken away and put back gets a new handle in the layer.

#include "VectorLayer.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QUndoCommand>

#include <functional>

namespace marking {

// Ids for the marks of one paper, stable across removal and re-adding.
class MarkIds {
public:
    int idOf(imaging::ObjectHandle handle);
    imaging::ObjectHandle handleOf(int id) const { return m_handles.value(id, imaging::kNoObject); }
    void bind(int id, imaging::ObjectHandle handle);
    void forget(int id);
    void clear();

private:
    QHash<imaging::ObjectHandle, int> m_ids;
    QHash<int, imaging::ObjectHandle> m_handles;
    int m_next = 0;
};

// The marks in layer order with their ids, and the score edits' texts.
struct MarkState {
    QList<QPair<int, imaging::VectorObject>> objects;
    QStringList edits;
};

MarkState CaptureMarks(const imaging::VectorLayer& layer, MarkIds& ids, const QStringList& edits);

// True when the two states differ in a mark or a score edit.
bool MarksDiffer(const MarkState& a, const MarkState& b);

// Turns the layer from `from` to `to`: marks only in `from` are removed,
// marks only in `to` are added (at the end of the order), marks in both
// whose data differ take their data from `to`; nothing else is touched.
void TurnMarks(imaging::VectorLayer& layer, MarkIds& ids, const MarkState& from,
               const MarkState& to);

// One change of the marks on the undo stack. `apply` turns the paper from
// the first state to the second and refreshes what shows it.
class MarkChange : public QUndoCommand {
public:
    using Apply = std::function<void(const MarkState& from, const MarkState& to)>;
    MarkChange(MarkState before, MarkState after, Apply apply, const QString& text);
    void undo() override;
    void redo() override;

private:
    MarkState m_before;
    MarkState m_after;
    Apply m_apply;
    bool m_done = true; // pushed after the change was made
};

} // namespace marking
