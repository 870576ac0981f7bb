#include "textarea/PlainAccessible.h"

#include "textarea/Text1.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tarnwick {

namespace {

QAccessibleInterface* plainAccessibleWhileInactive(const QString&, QObject* object) {
    if (QAccessible::isActive())
        return nullptr;
    if (auto* text = qobject_cast<Text1*>(object))
        return new QAccessibleWidget(text, QAccessible::EditableText);
    return nullptr;
}

} // namespace

void installPlainAccessibleWhileInactive() {
    QAccessible::installFactory(plainAccessibleWhileInactive);
}

} // namespace tarnwick
