#pragma once
// The hidden page views of a window: one tab page and one off-screen image
// view per page image of a paper, from which the composer cuts the regions.
// The marking and the review window keep them the same way.

#include "ImageView.h"

#include <QList>
#include <QTabWidget>
#include <QWidget>

namespace marking {

// Makes `views` (each on its own tab page of `workArea`, kept in `sheets`)
// `pages` long: views that exist stay, new ones are added (tab caption the
// 1-based position, hint the 0-based one; light blue, no scroll bars, hand
// cursor), surplus ones are freed, each view before its tab page. The first
// tab page is made the current one.
void ResizePageViews(QTabWidget& workArea, QList<QWidget*>& sheets,
                     QList<imaging::ImageView*>& views, int pages);

} // namespace marking
