// The player window's side of the playlist window: the port through which that window reaches
// the player, its creation, and the openings' pause and resume of the tag work.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "platform/process.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playerport.h"
#include "shell/busycount.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"
#include "shell/playermenus.h"
#include "widgets/commanditem.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

class TMyMediaPlayerPort : public TMyPlayerPort {
public:
    explicit TMyMediaPlayerPort(TApp_MEDIAPlayer *window) : TMyPlayerPort(window), w(window) {}

    TMyDSPlaylist *Playlist() const override { return w->plyMedia()->Playlist(); }
    int ItemIndex() const override { return w->plyMedia()->ItemIndex; }
    void SetItemIndex(int index) override { w->plyMedia()->ItemIndex = index; }
    int PlayState() const override { return w->plyMedia()->GetPlayState(); }
    void PlayIndex(int index) override { w->plyMedia()->PlayIndex(index); }
    void Close() override { w->plyMedia()->Close(); }
    void OpenAndPlay(const QString &fileName) override { w->plyMedia()->OpenAndPlay(fileName); }
    int NextIndex(int step) const override { return w->plyMedia()->NextIndex(step); }
    void EnterBusy() override { w->Busy->Enter(); }
    bool LeaveBusy() override { return w->Busy->Leave(); }
    bool IsBusy() const override { return w->Busy->IsBusy(); }
    void DropFiles(const QStringList &paths) override { w->DropFiles(paths); }
    bool TargetsPlayingMedia() const override { return w->TargetsPlayingMedia(); }
    TMyPlayingTags PlayingTags() const override
    {
        const TMyDSPlayer *p = w->plyMedia();
        return {p->TitleOrName, p->Artist, p->Album, p->Writer, p->Composer, p->Conductor};
    }
    bool ReadTagEnabled() const override { return w->PlayerBinding->ReadTag(); }
    int SavedIndex() const override { return w->SavedIndex; }
    double SavedPosition() const override { return w->SavedPosition; }
    void SetResumePoint(int index, double seconds) override
    {
        w->SavedIndex = index;
        w->SavedPosition = seconds;
    }
    void RefreshPlayerState() override { w->mnuPopupPopup(); }
    void PopupPlayerMenu(const QPoint &globalPos) override
    {
        if (QMenu *menu = w->MenuNamed(QStringLiteral("mnuPopup")))
            menu->popup(globalPos);
    }
    void PopupWindowMenu(const QPoint &globalPos) override
    {
        if (QMenu *menu = w->MenuNamed(QStringLiteral("mnuWindow")))
            menu->popup(globalPos);
    }
    void ShowPlayer() override
    {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
    }
    void ShowProperty(const QString &fileName) override
    {
        const QString program = TApp_MEDIAPlayer::PropertyProgram();
        if (!program.isEmpty())
            platform::StartProgram(program, PropertyArguments(fileName));
    }

private:
    TApp_MEDIAPlayer *w;
};

} // namespace

void TApp_MEDIAPlayer::CreatePlaylistPort()
{
    auto *port = new TMyMediaPlayerPort(this);
    PlaylistPort = port;
    Commands->Attach(u"actList_Disp", [this](QObject *) {
        TApp_MEDIAPlaylist *list = PlaylistWindow();
        if (list->isActiveWindow())
            list->Execute(u"actWindow_Player");
        else
            list->ShowList();
        plyMedia()->SetMessageDrain(false);
    });
    // An entry deleted elsewhere (the player's own delete, a media error): the grid follows
    // unless the deletion runs under the busy count.
    connect(this, &TApp_MEDIAPlayer::playlistChanged, port, &TMyPlayerPort::listChanged);
}

TApp_MEDIAPlaylist *TApp_MEDIAPlayer::PlaylistWindow()
{
    if (!App_MEDIAPlaylist)
        CreatePlaylistWindow();
    return App_MEDIAPlaylist;
}

void TApp_MEDIAPlayer::CreatePlaylistWindow()
{
    // Making the window takes a good part of a start, so the player window appears first.
    App_MEDIAPlaylist = new TApp_MEDIAPlaylist(PlaylistPort);
    PlayerBinding->SetTagWork(App_MEDIAPlaylist);
    // Menu items and tool buttons made before the window stand in for its commands: they take
    // the window's own commands now.
    QList<QAction *> standIns;
    for (TMyCommandItem *item : findChildren<TMyCommandItem *>()) {
        QAction *standIn = item->Command();
        if (!standIn || standIn->parent() != this || !standIn->objectName().startsWith(kPlaylistCommandPrefix))
            continue;
        if (QAction *own = App_MEDIAPlaylist->Command(QStringView(standIn->objectName()).mid(kPlaylistCommandPrefix.size()))) {
            item->SetCommand(own);
            if (!standIns.contains(standIn))
                standIns << standIn;
        }
    }
    qDeleteAll(standIns);
    if (m_pendingPlaylistSettings) {
        const std::unique_ptr<TMyIniFile> settings = std::move(m_pendingPlaylistSettings);
        settings->RestoreFormBounds(QString(), App_MEDIAPlaylist);
        App_MEDIAPlaylist->LoadSettings(*settings);
    }
    // The list may have been loaded before the window was there (a start with files).
    App_MEDIAPlaylist->ListLoaded();
}

void TApp_MEDIAPlayer::PlaylistListReplacing()
{
    if (App_MEDIAPlaylist)
        App_MEDIAPlaylist->StopTagRefresh();
}

void TApp_MEDIAPlayer::PlaylistListLoaded()
{
    PlayerBinding->ShowCurrentMedia();
    if (App_MEDIAPlaylist)
        App_MEDIAPlaylist->ListLoaded();
}
