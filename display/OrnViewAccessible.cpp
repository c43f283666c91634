#include "display/OrnViewAccessible.h"

#include "display/OrnView.h"

OrnViewAccessible::OrnViewAccessible(OrnView* view)
    : QAccessibleWidget(view, QAccessible::Canvas) {}

QString OrnViewAccessible::text(QAccessible::Text which) const {
    if (which == QAccessible::Description) {
        const auto* view = static_cast<const OrnView*>(widget());
        const QString cell = view->spokenCell();
        return cell.isEmpty() ? view->accessibleDescription() : cell;
    }
    return QAccessibleWidget::text(which);
}

void OrnViewAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(&OrnViewAccessible::factory);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* OrnViewAccessible::factory(const QString& className, QObject* object) {
    auto* view = className == QLatin1String("OrnView") ? qobject_cast<OrnView*>(object) : nullptr;
    return view != nullptr ? new OrnViewAccessible(view) : nullptr;
}
