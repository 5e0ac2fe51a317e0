#pragma once
// TMyActionBuilder: the QActions of a window's command lists, made from the catalogue
// (commandcatalogue.h), with handlers attached by command name.
//
// Each command becomes one QAction: objectName = the command's name, text = its caption,
// status and tool tip = its hint, data = its Tag, checkable when it toggles or belongs to a
// group, with its initial Checked, Enabled and Visible state and its shortcut. Commands of one
// group share an exclusive QActionGroup; group 1 (wallpaper video, full screen, max zoom) lets
// all of its commands be off. actSpc becomes a separator action.
//
// Handlers take the sender: a menu, tool button, shortcut or gesture runs the QAction
// (QAction::trigger, which respects Enabled and toggles checkable actions first) and the
// handler gets the QAction; program code calls Execute(name), and the handler gets nullptr
// (meaning "no dialog" or "the current state"). The shortcuts act once the window adds the
// actions to a widget (QWidget::addActions).
//
// Uses Qt Gui; user-interface thread only.

#include "custom/commandcatalogue.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QActionGroup;

using TMyCommandHandler = std::function<void(QObject *sender)>;

class TMyActionBuilder : public QObject {
    Q_OBJECT
public:
    explicit TMyActionBuilder(QObject *parent = nullptr);
    ~TMyActionBuilder() override;

    // Makes the QActions of a list (children of this object) and returns them in list order;
    // a list added before is not made again.
    // The plain keys of ActionList_Main seed the key bindings (keybindings.h) and do not
    // become shortcuts; other lists' further keys do.
    QList<QAction *> AddList(TMyCommandList list);

    // The action of a command made here, by name without regard to case; nullptr when none.
    QAction *Action(QStringView name) const;
    // The actions of a list made here, in list order.
    QList<QAction *> Actions(TMyCommandList list) const;
    // The catalogue entry of an action made here; nullptr for other actions.
    const TMyCommandDef *Definition(const QAction *action) const;
    // The action group of a group index, nullptr when no command of it was made.
    QActionGroup *Group(int groupIndex) const;

    // Sets the handler of a command (replacing an earlier one); false when no such command.
    bool Attach(QStringView name, TMyCommandHandler handler);
    // Calls the command's handler as program code does (sender nullptr unless given), without
    // looking at Enabled and without toggling; false when the command or its handler is missing.
    bool Execute(QStringView name, QObject *sender = nullptr) const;
    // Names of the commands made here that have no handler (the separator not counted), in
    // list order.
    QStringList Unhandled() const;

private:
    struct Entry {
        QAction *action = nullptr;
        const TMyCommandDef *def = nullptr;
        TMyCommandList list = TMyCommandList::ActionList_Main;
        TMyCommandHandler handler;
    };
    Entry *Find(QStringView name);
    const Entry *Find(QStringView name) const;
    void Run(qsizetype index);

    QList<Entry> m_entries;
    QHash<QString, qsizetype> m_byName;  // lower-case name -> index in m_entries
    QHash<int, QActionGroup *> m_groups;
};
