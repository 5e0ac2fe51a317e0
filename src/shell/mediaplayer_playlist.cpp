// The player window's side of the playlist window: the port through which that window reaches
// the player, its creation, and the openings' pause and resume of the tag work.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "platform/process.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playerport.h"
#include "shell/busycount.h"
#include "shell/paneltexts.h"
#include "shell/playerbinding.h"

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

void TApp_MEDIAPlayer::CreatePlaylistWindow()
{
    auto *port = new TMyMediaPlayerPort(this);
    PlaylistPort = port;
    App_MEDIAPlaylist = new TApp_MEDIAPlaylist(port);
    PlayerBinding->SetTagWork(App_MEDIAPlaylist);
    Commands->Attach(u"actList_Disp", [this](QObject *) {
        if (App_MEDIAPlaylist->isActiveWindow())
            App_MEDIAPlaylist->Execute(u"actWindow_Player");
        else
            App_MEDIAPlaylist->ShowList();
        plyMedia()->SetMessageDrain(false);
    });
    // An entry deleted elsewhere (the player's own delete, a media error): the grid follows
    // unless the deletion runs under the busy count.
    connect(this, &TApp_MEDIAPlayer::playlistChanged, port, &TMyPlayerPort::listChanged);
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
