#include "shell/playerbinding.h"

#include "engine/dsplayer.h"
#include "playlist/mediaplaylist.h"
#include "playlist/playerport.h"
#include "shell/appinfo.h"
#include "shell/apptitle.h"
#include "shell/videoarea.h"
#include "tags/mytag.h"
#include "tags/tagthreads.h"

#include <QFileInfo>
#include <QMainWindow>

QString PlayerCaption(bool hasEntry, const TMyShownTags &tags)
{
    if (!hasEntry)
        return AppTitle();
    if (tags.Artist.isEmpty())
        return tags.Title;
    return tags.Title + QStringLiteral(" / ") + tags.Artist;
}

QString PlayerHint(const TMyShownTags &tags)
{
    QString hint = tags.Title;
    for (const QString *line : {&tags.Artist, &tags.Album})
        if (!line->isEmpty())
            hint += QLatin1Char('\n') + *line;
    return hint;
}

TMyShownTags CurrentEntryTags(const TMyDSPlayer &player)
{
    const TMyDSPlaylist *list = player.Playlist();
    const int index = player.ItemIndex;
    if (index < 0 || index >= list->Count())
        return {};
    const QString fileName = list->Get(index);
    const auto *tag = dynamic_cast<const TMyCustomTag *>(list->GetObject(index));
    // A tag with a title of its own was read from the file or the library; one made from the
    // folder listing only knows the name.
    if (tag && tag->FileName == fileName && !tag->Texts().Title.isEmpty())
        return {tag->TitleOrName(), tag->Texts().Artist, tag->Texts().Album};
    if (player.IsOpen() && player.FileName() == fileName)
        return {player.TitleOrName, player.Artist, player.Album};
    if (tag && tag->FileName == fileName)
        return {tag->TitleOrName(), {}, {}};
    return {QFileInfo(fileName).completeBaseName(), {}, {}};
}

TMyPlayerBinding::TMyPlayerBinding(QMainWindow *window, TMyVideoArea *area)
    : QObject(window), m_window(window), m_area(area)
{
    // The player and its list go with the area: the tag work over the list stops first.
    area->OnListReplacing = [this] { StopTagRefresh(); };
}

TMyPlayerBinding::~TMyPlayerBinding()
{
    StopTagRefresh();
    if (!m_area)
        return;
    m_area->OnListReplacing = nullptr;
}

void TMyPlayerBinding::SetTagWork(TApp_MEDIAPlaylist *playlist)
{
    m_playlist = playlist;
    if (playlist)
        connect(playlist, &TApp_MEDIAPlaylist::entryTagsChanged, this, &TMyPlayerBinding::TagProgress);
}

TMyTagRefresh *TMyPlayerBinding::TagRefresh() const { return m_playlist ? m_playlist->TagRefresh() : nullptr; }

bool TMyPlayerBinding::TagsComplete() const { return m_playlist && m_playlist->TagsComplete; }

void TMyPlayerBinding::SetReadTag(bool on)
{
    if (on == m_readTag)
        return;
    m_readTag = on;
    if (on)
        StartTagRefresh();
    else
        StopTagRefresh();
}

void TMyPlayerBinding::StopTagRefresh()
{
    if (m_playlist)
        m_playlist->StopTagRefresh();
}

void TMyPlayerBinding::StartTagRefresh()
{
    if (m_readTag && m_playlist)
        m_playlist->StartTagRefresh();
}

void TMyPlayerBinding::TagProgress(int index)
{
    if (m_area && m_area->Player() && index == m_area->Player()->ItemIndex)
        ShowCurrentMedia();
}

void TMyPlayerBinding::ShowCurrentMedia()
{
    if (!m_window || !m_area || !m_area->Player())
        return;
    const TMyDSPlayer &player = *m_area->Player();
    const bool hasEntry = player.ItemIndex >= 0 && player.ItemIndex < player.EntryCount();
    const TMyShownTags tags = CurrentEntryTags(player);
    SetApplicationTitle(hasEntry ? tags.Title : AppTitle());
    m_window->setWindowTitle(PlayerCaption(hasEntry, tags));
    m_window->setToolTip(hasEntry ? PlayerHint(tags) : QString());
    // The playlist window's grid marks the playing entry.
    if (m_playlist)
        Q_EMIT m_playlist->Player()->playingChanged();
}
