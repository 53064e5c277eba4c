#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

QString Caption(const QWidget* w) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().remove(QLatin1Char('&'));
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title().trimmed();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (w->isWindow())
        return w->windowTitle();
    return QString();
}

void Name(QWidget* w) {
    if (!w->accessibleName().isEmpty())
        return;
    QString name = Caption(w);
    if (name.isEmpty())
        name = w->toolTip();
    if (name.isEmpty())
        name = w->objectName();
    // A part Qt makes inside a control (a combo box's edit and list, a
    // table's corner) speaks for the control.
    for (const QWidget* owner = w->parentWidget(); name.isEmpty() && owner;
         owner = owner->parentWidget())
        name = owner->accessibleName().isEmpty() ? owner->objectName() : owner->accessibleName();
    if (!name.isEmpty())
        w->setAccessibleName(name);
}

} // namespace

void NameControls(QWidget* window) {
    // A label that stands for a control names it (the sign-in's "用户帐号",
    // a score edit's sub-question).
    for (QLabel* label : window->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy && buddy->accessibleName().isEmpty() && !label->text().isEmpty())
            buddy->setAccessibleName(label->text().remove(QLatin1Char('&')));
    }
    Name(window);
    // Parents come before their children in the list, so a part finds its
    // control already named.
    for (QWidget* w : window->findChildren<QWidget*>())
        Name(w);
}
