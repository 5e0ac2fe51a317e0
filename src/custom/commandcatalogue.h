#pragma once
// The command catalogue: one compiled-in table per command list.
//
// Every user-visible operation is a named command. The tables here hold what a command is
// before a window gives it a handler: name, category, caption, hint, image, keys and initial
// state. Windows turn a list into QActions with TMyActionBuilder (actionbuilder.h); settings,
// key bindings, gestures and command words name commands and find them here.
//
// Lists:
// - ActionList_Main: the player window's catalogue; key bindings, gestures, the command list
//   and the customisation pages enumerate it. Its first command, actSpc, is the separator
//   pseudo-command (category "区切り", caption "-", no effect).
// - ActionList_Exclude: player window commands that drive submenus or hidden state and stay
//   out of the customisation lists.
// - ActionList1 and ActionList_Edit: the playlist window's commands and its find box's.
//
// Image indexes are the program's own numbering into its shared image list: the commands of
// all lists, in list order, take consecutive numbers, and a toggle (AutoCheck) takes two, its
// base image and, after it, the image it shows while checked. actSpc and actEdit_Tab have none.
//
// Qt Core only; the tables are constant and any thread may read them.

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <span>

struct TMyCommandDef {
    QStringView Name;      // unique within its list; the name settings store
    QStringView Category;  // groups commands in customisation lists
    QStringView Caption;   // "&" marks the accelerator letter
    QStringView Hint;      // status and tool tip text; may be empty
    int ImageIndex = -1;   // -1 for none
    quint16 ShortCut = 0;  // stored key code (keycodes.h), 0 for none
    // Further keys, unused slots 0. In ActionList_Main these are plain keys that seed the
    // default key bindings (keybindings.h) and are no shortcuts of the command itself.
    std::array<quint16, 2> SecondaryShortCuts{};
    bool AutoCheck = false;  // running the command toggles Checked first
    int GroupIndex = 0;      // commands of one non-zero group are mutually exclusive
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    int Tag = 0;             // tells commands of a shared handler apart (play rates)

    QList<quint16> SecondaryKeys() const;  // the used slots, in order
    bool IsSeparator() const;              // the separator pseudo-command
};

enum class TMyCommandList { ActionList_Main, ActionList_Exclude, ActionList1, ActionList_Edit };

// The commands of a list, in list order.
std::span<const TMyCommandDef> CommandList(TMyCommandList list);
// "ActionList_Main" and so on.
QString CommandListName(TMyCommandList list);

// The command of ActionList_Main with that name, letters compared without regard to case;
// nullptr when no command has it (the caller skips the entry that named it).
const TMyCommandDef *FindCommand(QStringView name);
// The same search in any list.
const TMyCommandDef *FindCommandIn(TMyCommandList list, QStringView name);

// The caption without its accelerator marker: a single "&" is dropped and "&&" becomes "&";
// "(&P)" thus becomes "(P)".
QString RemoveAcceleratorMarker(QStringView caption);

// "%s/%s" of the command's category and its caption without accelerator marker; "区切り" for
// the separator pseudo-command; empty for no command.
QString CommandDisplayName(const TMyCommandDef *command);
// The same for a command of ActionList_Main named by name (empty when there is none).
QString CommandDisplayName(QStringView name);

// The number of images the lists use (the highest image index plus one).
int CommandImageCount();
