#pragma once
// The player's own playlist: a media list that keeps the player's current entry in step when
// entries are deleted, the list is replaced or cleared, and across every sort and shuffle.

#include "tags/mymediastrings.h"

#include <QHash>

#include <cstdint>
#include <functional>

class TMyDSPlayer;

using TMyDSPlaylistBase = TMyMediaStrings;

class TMyDSPlaylist : public TMyDSPlaylistBase {
public:
    explicit TMyDSPlaylist(TMyDSPlayer *player);
    ~TMyDSPlaylist() override;

    TMyDSPlayer *Player() const { return m_player; }

    // Deleting keeps the same file current (and the index in range; an emptied list has none),
    // then the player's OnMediaDeleted fires.
    void Delete(int index) override;
    // A block in one pass: an index after the block moves up by its length; a current entry
    // inside it gives way to the entry now following the block (the last one when none
    // follows, none when the list is empty); OnMediaDeleted fires once.
    void DeleteRange(int first, int count) override;
    // The current entry moves with its block, or closes up with the entries the block passes.
    void MoveRange(int first, int count, int to) override;
    // Replacing the list leaves no current entry; clearing also closes the player.
    void Assign(const TMyWStrings &list) override;
    void AssignAnsiStrings(const QList<QByteArray> &narrow);
    void Clear() override;

    // Reorderings keep the current entry current at its new place.
    void Sort() override;
    void CustomSort(const TMyWStringsCompare &compare);
    void SortFileNames();
    void SortByPath(bool ascending = true, int first = 0, int last = -1) override;
    void SortByName(bool ascending = true, int first = 0, int last = -1) override;
    void SortByFolder(bool ascending = true, int first = 0, int last = -1) override;
    void SortByExt(bool ascending = true, int first = 0, int last = -1) override;
    void SortBySize(bool ascending = true, int first = 0, int last = -1) override;
    void SortByWriteTime(bool ascending = true, int first = 0, int last = -1) override;
    void SortByCreationTime(bool ascending = true, int first = 0, int last = -1) override;
    void Shuffle(int first = 0, int last = -1) override;
    void SortByDuration(bool ascending = true, int first = 0, int last = -1) override;
    void SortByDurationSeconds(bool ascending = true, int first = 0, int last = -1) override;
    void SortByVideoSize(bool ascending = true, int first = 0, int last = -1) override;
    void SortByFrameRate(bool ascending = true, int first = 0, int last = -1) override;
    void SortByAlbum(bool ascending = true, int first = 0, int last = -1) override;
    void SortByAlbumArtist(bool ascending = true, int first = 0, int last = -1) override;
    void SortByArtist(bool ascending = true, int first = 0, int last = -1) override;
    void SortByComposer(bool ascending = true, int first = 0, int last = -1) override;
    void SortByConductor(bool ascending = true, int first = 0, int last = -1) override;
    void SortByGenre(bool ascending = true, int first = 0, int last = -1) override;
    void SortByTitle(bool ascending = true, int first = 0, int last = -1) override;
    void SortByTrack(bool ascending = true, int first = 0, int last = -1) override;
    void SortByWriter(bool ascending = true, int first = 0, int last = -1) override;

    // The entry's serial: a number given to each entry the first time it is asked for, unique
    // among every entry the list ever held, and kept by the entry through every reordering.
    // 0 for an index out of range.
    quint64 Serial(int index) const;
    // The index of the entry with this serial, -1 when none has it.
    int IndexOfSerial(quint64 serial) const;

protected:
    // Runs a reordering and makes the entry that was current before it current again.
    void KeepCurrent(const std::function<void()> &reorder);

private:
    void ForgetSerial(int index);
    void SetItemIndex(int index);
    int ItemIndexValue() const;

    TMyDSPlayer *m_player;
    // Serials by entry object (the tag record every media entry carries); an entry without one
    // has no serial and is followed by its text.
    mutable QHash<const TObject *, quint64> m_serials;
    mutable quint64 m_nextSerial = 1;
};
