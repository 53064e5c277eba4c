#include "MarkUndo.h"

#include <QSet>

namespace marking {

int MarkIds::idOf(imaging::ObjectHandle handle) {
    const auto found = m_ids.constFind(handle);
    if (found != m_ids.constEnd())
        return *found;
    const int id = m_next++;
    bind(id, handle);
    return id;
}

void MarkIds::bind(int id, imaging::ObjectHandle handle) {
    m_ids.insert(handle, id);
    m_handles.insert(id, handle);
}

void MarkIds::forget(int id) {
    m_ids.remove(m_handles.value(id, imaging::kNoObject));
    m_handles.remove(id);
}

void MarkIds::clear() {
    m_ids.clear();
    m_handles.clear();
}

MarkState CaptureMarks(const imaging::VectorLayer& layer, MarkIds& ids, const QStringList& edits) {
    MarkState state;
    state.edits = edits;
    for (const imaging::ObjectHandle h : layer.handles())
        state.objects.append({ids.idOf(h), *layer.object(h)});
    return state;
}

bool MarksDiffer(const MarkState& a, const MarkState& b) {
    return a.objects != b.objects || a.edits != b.edits;
}

void TurnMarks(imaging::VectorLayer& layer, MarkIds& ids, const MarkState& from,
               const MarkState& to) {
    QHash<int, imaging::VectorObject> before;
    for (const auto& [id, object] : from.objects)
        before.insert(id, object);
    QSet<int> kept;
    for (const auto& [id, object] : to.objects) {
        const auto was = before.constFind(id);
        if (was == before.constEnd()) {
            ids.bind(id, layer.add(object));
            continue;
        }
        kept.insert(id);
        if (*was != object) {
            if (imaging::VectorObject* o = layer.object(ids.handleOf(id)))
                *o = object;
        }
    }
    for (const auto& [id, object] : from.objects) {
        if (kept.contains(id))
            continue;
        layer.remove(ids.handleOf(id));
        ids.forget(id);
    }
}

MarkChange::MarkChange(MarkState before, MarkState after, Apply apply, const QString& text)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
      m_apply(std::move(apply)) {}

void MarkChange::undo() {
    m_apply(m_after, m_before);
    m_done = false;
}

void MarkChange::redo() {
    if (m_done)
        return; // the change itself was just made by the marker
    m_apply(m_before, m_after);
    m_done = true;
}

} // namespace marking
