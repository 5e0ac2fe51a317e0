#pragma once
// TMyCommandItem: a menu item or tool button's action bound to a command (user-interface thread).
//
// Every item of a menu and every button of a tool bar is an object of its own, named after its
// component (settings and the customisation store those names), so one can be hidden in one menu
// and stay in another. The item mirrors its command: caption, hint, image, checkable and checked,
// enabled, and visible (the command's visibility and the program's own flag, minus the user's
// hide from the customisation). Triggering the item runs the command once. The item never holds
// the command's shortcut, so a key fires the command once however many items show it; an item
// shows the shortcut after a tab in its text unless told not to.

#include <QAction>
#include <QPointer>

class TMyCommandItem : public QAction {
    Q_OBJECT
public:
    // An item bound to a command (null for an item with a caption of its own, such as a
    // sub-menu holder without a command).
    TMyCommandItem(const QString &componentName, QAction *command, QObject *parent = nullptr);

    QAction *Command() const { return m_command; }
    // Binds the item to another command (one made later than the item, replacing a stand-in);
    // the item mirrors it from now on.
    void SetCommand(QAction *command);

    // Hidden by the user (menu customisation); independent of the command's visibility.
    bool UserHidden() const { return m_userHidden; }
    void SetUserHidden(bool hidden);
    // Hidden by the program (a button the window keeps off its default layout and the like).
    bool ProgramHidden() const { return m_programHidden; }
    void SetProgramHidden(bool hidden);
    // Whether the text carries the command's shortcut after a tab (on by default).
    bool ShowsShortcut() const { return m_showShortcut; }
    void SetShowsShortcut(bool show);
    // A caption of the item's own in place of the command's (empty: the command's).
    void SetOwnCaption(const QString &caption);
    // Only the caption and image of the command, no check, state or run: a sub-menu holder.
    void SetHolder(bool holder);
    bool IsHolder() const { return m_holder; }

    // Copies the command's state now (also run whenever the command changes).
    void Sync();

private:
    void Run();

    QPointer<QAction> m_command;
    QString m_ownCaption;
    bool m_userHidden = false;
    bool m_programHidden = false;
    bool m_showShortcut = true;
    bool m_holder = false;
    bool m_syncing = false;
};

// A separator item of a menu or tool bar with its component name (so that customisation can
// hide it like any other item).
QAction *NewSeparatorItem(const QString &componentName, QObject *parent);
