// The command words of the player window's message panel: every text another process or the
// window itself sends there.
#include "shell/mediaplayer.h"

#include "platform/appstate.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "widgets/heldmodifiers.h"

#include <QAction>

void TApp_MEDIAPlayer::HandleStartupCommandLine(const QString &restOfCommandLine)
{
    SendPanelText(restOfCommandLine, MyMessagePanel1);
}

void TApp_MEDIAPlayer::MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text)
{
    if (platform::IsTerminating())
        return;
    const TMyParam param(text);
    enum ListMode { OpenList, FolderList, ThisFolderList } mode = OpenList;
    QStringList lists[3];
    for (const TMyParamOption &o : param.Options) {
        if (!o.IsSwitch) {
            lists[mode].append(o.Text);
            continue;
        }
        if (o.NameIs(u"TO_SUBPLAYER"))
            SubPlayerPanel = o.ValueInt();
        else if (o.NameIs(u"OPEN"))
            mode = OpenList;
        else if (o.NameIs(u"FOLDER"))
            mode = FolderList;
        else if (o.NameIs(u"THISFOLDER"))
            mode = ThisFolderList;
    }
    const bool shift = ShiftHeld();
    auto openList = [&](const QStringList &paths) {
        if (paths.isEmpty())
            return;
        if (shift)
            OpenThisFolderOnly(paths);
        else
            OpenPaths(paths, true);
    };
    openList(lists[OpenList]);
    {
        // The later lists are added to the playlist; the setting comes back however they end.
        QAction *add = Command(u"actList_OpenAdd");
        struct Restore {
            QAction *action;
            bool saved;
            ~Restore() { action->setChecked(saved); }
        } restore{add, add->isChecked()};
        add->setChecked(true);
        openList(lists[FolderList]);
        if (!lists[ThisFolderList].isEmpty())
            OpenThisFolderOnly(lists[ThisFolderList]);
    }
    if (sender)
        sender->Tag = 0;
}
