#pragma once
// Small pieces shared by the marking window's handler files.

#include "ImageView.h"
#include "UntPublic.h"

#include "PaintSuspension.h"
#include <QList>
#include <QStringList>

#include <QWidget>

namespace marking {

// Painting of the views a paper changes is held until the paper is whole,
// so the marker never sees a half-built paper and each view paints once;
// resumed on every way out.
class ViewsHeld {
public:
    explicit ViewsHeld(QList<imaging::ImageView*> views) : m_views(std::move(views)) {
        for (imaging::ImageView* v : m_views)
            v->suspendPainting();
    }
    ~ViewsHeld() {
        for (imaging::ImageView* v : m_views)
            v->resumePainting();
    }
    ViewsHeld(const ViewsHeld&) = delete;
    ViewsHeld& operator=(const ViewsHeld&) = delete;

private:
    QList<imaging::ImageView*> m_views;
};

// The history group is shown for the marking modes "02" to "05" from the
// second marking turn on.
inline bool ShowsHistory(const TPublicFuctionObject& state) {
    static const QStringList modes = {QStringLiteral("02"), QStringLiteral("03"),
                                      QStringLiteral("04"), QStringLiteral("05")};
    return modes.contains(state.MarkingMode) && state.MarkingTurn > 1;
}

} // namespace marking
