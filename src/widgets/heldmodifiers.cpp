#include "widgets/heldmodifiers.h"

#include <QGuiApplication>

#include <optional>

namespace {
std::optional<Qt::KeyboardModifiers> &Override()
{
    static std::optional<Qt::KeyboardModifiers> value;
    return value;
}
} // namespace

Qt::KeyboardModifiers HeldModifiers()
{
    if (Override())
        return *Override();
    return QGuiApplication::queryKeyboardModifiers();
}

void SetHeldModifiers(Qt::KeyboardModifiers modifiers) { Override() = modifiers; }
void ClearHeldModifiers() { Override().reset(); }
