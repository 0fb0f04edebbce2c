#pragma once

#include <QAccessible>

namespace kestrun {

// Gives every widget whose class is `className` (as its meta-object names it,
// namespace included) the accessible role `role`, in place of the role of the
// Qt class it derives from: a QFrame reads as a border, a plain QWidget as a
// client area.
void setAccessibleRole(const char *className, QAccessible::Role role);

} // namespace kestrun
