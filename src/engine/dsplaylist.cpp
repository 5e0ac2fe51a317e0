#include "engine/dsplaylist.h"

#include "engine/dsplayer.h"

#include <algorithm>

TMyDSPlaylist::TMyDSPlaylist(TMyDSPlayer *player) : m_player(player) {}

TMyDSPlaylist::~TMyDSPlaylist() = default;

int TMyDSPlaylist::ItemIndexValue() const
{
    return m_player ? m_player->ItemIndex : -1;
}

void TMyDSPlaylist::SetItemIndex(int index)
{
    if (m_player)
        m_player->ItemIndex = index;
}

void TMyDSPlaylist::ForgetSerial(int index)
{
    if (InRange(index))
        if (const TObject *object = m_items[index].object)
            m_serials.remove(object);
}

quint64 TMyDSPlaylist::Serial(int index) const
{
    if (!InRange(index))
        return 0;
    const TObject *object = m_items[index].object;
    if (!object)
        return 0;
    auto it = m_serials.find(object);
    if (it == m_serials.end())
        it = m_serials.insert(object, m_nextSerial++);
    return it.value();
}

int TMyDSPlaylist::IndexOfSerial(quint64 serial) const
{
    if (serial == 0)
        return -1;
    for (int i = 0; i < Count(); ++i) {
        const TObject *object = m_items[i].object;
        if (object) {
            const auto it = m_serials.constFind(object);
            if (it != m_serials.constEnd() && it.value() == serial)
                return i;
        }
    }
    return -1;
}

void TMyDSPlaylist::Delete(int index)
{
    if (!InRange(index))
        return;
    ForgetSerial(index);
    TMyDSPlaylistBase::Delete(index);
    int current = ItemIndexValue();
    if (index < current)
        --current;
    // Deleting the current entry (or the last ones) must not leave the index past the end; an
    // emptied list has no current entry at all.
    if (current >= Count())
        current = Count() - 1;
    SetItemIndex(Count() == 0 ? -1 : current);
    if (m_player && m_player->OnMediaDeleted)
        m_player->OnMediaDeleted(m_player);
}

void TMyDSPlaylist::DeleteRange(int first, int count)
{
    first = std::max(first, 0);
    count = std::min(count, Count() - first);
    if (count <= 0)
        return;
    for (int i = first; i < first + count; ++i)
        ForgetSerial(i);
    TMyDSPlaylistBase::DeleteRange(first, count);
    int current = ItemIndexValue();
    if (current >= first + count)
        current -= count;
    else if (current >= first)
        current = first;
    if (current >= Count())
        current = Count() - 1;
    SetItemIndex(Count() == 0 ? -1 : current);
    if (m_player && m_player->OnMediaDeleted)
        m_player->OnMediaDeleted(m_player);
}

void TMyDSPlaylist::MoveRange(int first, int count, int to)
{
    first = std::max(first, 0);
    count = std::min(count, Count() - first);
    if (count <= 0)
        return;
    to = std::clamp(to, 0, Count() - count);
    const int current = ItemIndexValue();
    TMyDSPlaylistBase::MoveRange(first, count, to);
    if (current < 0)
        return;
    int moved = current;
    if (current >= first && current < first + count)
        moved = current - first + to;                   // inside the block
    else if (to < first && current >= to && current < first)
        moved = current + count;                        // passed by a block moving up
    else if (to > first && current >= first + count && current < to + count)
        moved = current - count;                        // passed by a block moving down
    SetItemIndex(moved);
}

void TMyDSPlaylist::Assign(const TMyWStrings &list)
{
    TMyDSPlaylistBase::Assign(list);
    SetItemIndex(-1);
}

void TMyDSPlaylist::AssignAnsiStrings(const QList<QByteArray> &narrow)
{
    TMyDSPlaylistBase::AssignAnsiStrings(narrow);
    SetItemIndex(-1);
}

void TMyDSPlaylist::Clear()
{
    m_serials.clear();
    TMyDSPlaylistBase::Clear();
    if (m_player)
        m_player->Close();
    SetItemIndex(-1);
}

void TMyDSPlaylist::KeepCurrent(const std::function<void()> &reorder)
{
    const int current = ItemIndexValue();
    if (!InRange(current)) {
        reorder();
        return;
    }
    const quint64 serial = Serial(current);
    // An entry without a tag record is followed by its text: the same occurrence of it.
    const QString text = Get(current);
    int occurrence = 0;
    if (serial == 0)
        for (int i = 0; i < current; ++i)
            if (m_items[i].text == text)
                ++occurrence;
    reorder();
    int found = -1;
    if (serial != 0) {
        found = IndexOfSerial(serial);
    } else {
        for (int i = 0, seen = 0; i < Count(); ++i)
            if (m_items[i].text == text && seen++ == occurrence) {
                found = i;
                break;
            }
    }
    if (found >= 0)
        SetItemIndex(found);
    else if (ItemIndexValue() >= Count())
        SetItemIndex(Count() - 1);
}

void TMyDSPlaylist::Sort()
{
    KeepCurrent([this] { TMyDSPlaylistBase::Sort(); });
}

void TMyDSPlaylist::CustomSort(const TMyWStringsCompare &compare)
{
    KeepCurrent([this, &compare] { TMyDSPlaylistBase::CustomSort(compare); });
}

void TMyDSPlaylist::SortFileNames()
{
    KeepCurrent([this] { TMyDSPlaylistBase::SortFileNames(); });
}

void TMyDSPlaylist::SortByPath(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByPath(ascending, first, last); });
}

void TMyDSPlaylist::SortByName(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByName(ascending, first, last); });
}

void TMyDSPlaylist::SortByFolder(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByFolder(ascending, first, last); });
}

void TMyDSPlaylist::SortByExt(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByExt(ascending, first, last); });
}

void TMyDSPlaylist::SortBySize(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortBySize(ascending, first, last); });
}

void TMyDSPlaylist::SortByWriteTime(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByWriteTime(ascending, first, last); });
}

void TMyDSPlaylist::SortByCreationTime(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByCreationTime(ascending, first, last); });
}

void TMyDSPlaylist::SortByDuration(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByDuration(ascending, first, last); });
}

void TMyDSPlaylist::SortByDurationSeconds(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByDurationSeconds(ascending, first, last); });
}

void TMyDSPlaylist::SortByVideoSize(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByVideoSize(ascending, first, last); });
}

void TMyDSPlaylist::SortByFrameRate(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByFrameRate(ascending, first, last); });
}

void TMyDSPlaylist::SortByAlbum(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByAlbum(ascending, first, last); });
}

void TMyDSPlaylist::SortByAlbumArtist(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByAlbumArtist(ascending, first, last); });
}

void TMyDSPlaylist::SortByArtist(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByArtist(ascending, first, last); });
}

void TMyDSPlaylist::SortByComposer(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByComposer(ascending, first, last); });
}

void TMyDSPlaylist::SortByConductor(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByConductor(ascending, first, last); });
}

void TMyDSPlaylist::SortByGenre(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByGenre(ascending, first, last); });
}

void TMyDSPlaylist::SortByTitle(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByTitle(ascending, first, last); });
}

void TMyDSPlaylist::SortByTrack(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByTrack(ascending, first, last); });
}

void TMyDSPlaylist::SortByWriter(bool ascending, int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::SortByWriter(ascending, first, last); });
}

void TMyDSPlaylist::Shuffle(int first, int last)
{
    KeepCurrent([&] { TMyDSPlaylistBase::Shuffle(first, last); });
}
