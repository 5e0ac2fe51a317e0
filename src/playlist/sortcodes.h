#pragma once
// The sort commands of the playlist window and the rules of their codes and markers (any thread).

#include <QString>
#include <QStringView>

#include <span>

// Codes: 0 not sorted; 1 name, 2 folder (also the indexes of those grid columns); 100..104 file
// facts; 110..113 media facts; 210..218 tag fields; 300 shuffle; 1024 order changed by hand
// (also "strip the markers only").
constexpr int kSortNone = 0;
constexpr int kSortShuffle = 300;
constexpr int kSortRefresh = 1024;

struct TMySortCommand {
    QStringView Name;  // the command
    int Code;
};

// The twenty sort commands in the order of the sort menus (separators between the groups).
std::span<const TMySortCommand> SortCommands();
// True for codes whose keys come from tags (maybe still being read), false for those whose keys
// come from the path or the file itself.
bool SortNeedsTags(int code);
// The next sort state: the same code again turns ascending into descending and back; any other
// code (or after a shuffle, a hand move or a reload) starts ascending.
int NextSortCode(int sortCode, int code);
// " ▲" / " ▼" over the whole list, " △" / " ▽" over a part.
QString SortMarkerText(bool ascending, bool partial);
// The caption without a marker: cut before the first blank.
QString StripSortMarker(const QString &caption);
