// The background tag work over the player's list: the walk that fills every entry's tags, its
// progress in the caption, and its pauses around edits, sorts and openings.
#include "playlist/mediaplaylist.h"

#include "engine/dsplaylist.h"
#include "playlist/playerport.h"
#include "tags/tagthreads.h"

namespace {

// The caption follows the walk at most this often (a walk over cached entries reports
// thousands of entries a second).
constexpr qint64 kProgressCaptionMs = 50;

} // namespace

void TApp_MEDIAPlaylist::StartTagRefresh()
{
    // A walk still measuring an entry is left to end on its own; its reports are dropped.
    m_refresh->Retire();
    TagsComplete = false;
    m_refresh->Start(List());
}

void TApp_MEDIAPlaylist::StopTagRefresh() { m_refresh->Retire(); }

void TApp_MEDIAPlaylist::ResumeTagRefresh()
{
    if (!TagsComplete && m_player->ReadTagEnabled())
        StartTagRefresh();
}

void TApp_MEDIAPlaylist::ShowTagProgress(int index)
{
    // The refresh has already checked that the entry still names the reported file and given
    // it the tag.
    if (!m_tagCaptionClock.isValid() || m_tagCaptionClock.elapsed() >= kProgressCaptionMs) {
        m_tagCaptionClock.restart();
        setWindowTitle(TagProgressText(index, List()->Count(), List()->Get(index)));
    }
    Q_EMIT entryTagsChanged(index);
}

void TApp_MEDIAPlaylist::MarkTagsComplete()
{
    TagsComplete = true;
    ResetStatusCaption();
}

void TApp_MEDIAPlaylist::UpdateThreadDestroyed()
{
    if (!Timer_Status->isActive())
        ResetStatusCaption();
}

void TApp_MEDIAPlaylist::ListLoaded()
{
    TagsComplete = false;
    ResetStatusCaption();  // the collection's progress ends here
    RefreshList(true);
    if (isVisible())
        celPlaylistClick();  // the panel shows an entry of the new list (else ShowList does)
    if (m_player->ReadTagEnabled())
        StartTagRefresh();
}
