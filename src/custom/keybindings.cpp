#include "custom/keybindings.h"

#include "custom/commandcatalogue.h"

namespace {

TMyKeyBindingList BuildDefaults()
{
    TMyKeyBindingList bindings;
    for (const TMyCommandDef &c : CommandList(TMyCommandList::ActionList_Main)) {
        quint16 previous = 0;
        for (quint16 key : c.SecondaryKeys()) {
            if (key != previous)
                bindings.append({key, c.Name.toString()});
            previous = key;
        }
    }
    return bindings;
}

} // namespace

const TMyKeyBindingList &DefaultKeyBindings()
{
    static const TMyKeyBindingList defaults = BuildDefaults();
    return defaults;
}

TMyKeyBindingList &KeyBindings()
{
    static TMyKeyBindingList live = DefaultKeyBindings();
    return live;
}

QString BoundCommand(const TMyKeyBindingList &bindings, quint16 keyCode)
{
    for (const T_ShortCutAction &b : bindings) {
        if (b.KeyCode == keyCode)
            return b.Command;
    }
    return QString();
}
