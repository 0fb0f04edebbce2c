#include "AccessibleRole.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace kestrun {
namespace {

QHash<QString, QAccessible::Role> &roles()
{
    static QHash<QString, QAccessible::Role> byClass;
    return byClass;
}

QAccessibleInterface *interfaceWithRole(const QString &className, QObject *object)
{
    const auto role = roles().constFind(className);
    if (role == roles().cend() || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), *role);
}

} // namespace

void setAccessibleRole(const char *className, QAccessible::Role role)
{
    static const bool installed = (QAccessible::installFactory(interfaceWithRole), true);
    Q_UNUSED(installed);
    roles().insert(QString::fromLatin1(className), role);
}

} // namespace kestrun
