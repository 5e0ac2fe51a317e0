#include "playlist/sortcodes.h"

#include <array>

namespace {

constexpr std::array<TMySortCommand, 20> kSortCommands{{
    {u"actSort_Track", 210},
    {u"actSort_Artist", 211},
    {u"actSort_Album", 212},
    {u"actSort_AlbumArtist", 213},
    {u"actSort_Title", 214},
    {u"actSort_Composer", 215},
    {u"actSort_Writer", 216},
    {u"actSort_Conductor", 217},
    {u"actSort_Genre", 218},
    {u"actSort_Length", 110},
    {u"actSort_VideoSize", 112},
    {u"actSort_VideoFrameRate", 113},
    {u"actSort_FileName", 100},
    {u"actSort_MediaPath", 2},
    {u"actSort_MediaName", 1},
    {u"actSort_MediaExt", 101},
    {u"actSort_FileSize", 102},
    {u"actSort_FileWriteTime", 103},
    {u"actSort_FileCreateTime", 104},
    {u"actSort_Shuffle", kSortShuffle},
}};

} // namespace

std::span<const TMySortCommand> SortCommands() { return kSortCommands; }

bool SortNeedsTags(int code)
{
    switch (code) {
    case 0: case 1: case 2: case 100: case 101: case 102: case 103: case 104: case kSortShuffle: case kSortRefresh:
        return false;
    default:
        return true;
    }
}

int NextSortCode(int sortCode, int code)
{
    if (sortCode <= 0)
        return code;
    return sortCode == code ? -code : code;
}

QString SortMarkerText(bool ascending, bool partial)
{
    if (partial)
        return ascending ? QStringLiteral(" △") : QStringLiteral(" ▽");
    return ascending ? QStringLiteral(" ▲") : QStringLiteral(" ▼");
}

QString StripSortMarker(const QString &caption)
{
    const qsizetype blank = caption.indexOf(QLatin1Char(' '));
    return blank < 0 ? caption : caption.left(blank);
}
