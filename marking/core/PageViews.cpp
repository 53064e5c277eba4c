#include "PageViews.h"

#include <QVBoxLayout>

namespace marking {

void ResizePageViews(QTabWidget& workArea, QList<QWidget*>& sheets,
                     QList<imaging::ImageView*>& views, int pages) {
    pages = qMax(0, pages);
    while (sheets.size() < pages) {
        const int i = int(sheets.size());
        auto* sheet = new QWidget(&workArea);
        auto* fill = new QVBoxLayout(sheet);
        fill->setContentsMargins(0, 0, 0, 0);
        auto* view = new imaging::ImageView(sheet);
        view->setBackgroundColor(QColor(235, 242, 255));
        view->setScrollBarsVisible(false);
        view->viewport()->setCursor(Qt::PointingHandCursor);
        view->setFocusPolicy(Qt::NoFocus);
        fill->addWidget(view);
        const int tab = workArea.addTab(sheet, QString::number(i + 1));
        workArea.setTabToolTip(tab, QString::number(i));
        sheets.append(sheet);
        views.append(view);
    }
    while (sheets.size() > pages) {
        delete views.takeLast();
        delete sheets.takeLast();
    }
    if (workArea.count() > 0)
        workArea.setCurrentIndex(0);
}

} // namespace marking
