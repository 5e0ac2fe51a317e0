#include "shell/mediaopening.h"

#include "lists/fileutils.h"
#include "lists/mywstrings.h"
#include "platform/appdirs.h"
#include "tags/mymediastrings.h"
#include "tags/playlistfiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

const QStringList &BaseMediaExtensions()
{
    static const QStringList list{u".avi"_s, u".cda"_s, u".m3u"_s, u".m3u8"_s, u".mid"_s,
                                  u".mp3"_s, u".wav"_s, u".wma"_s, u".wmv"_s};
    return list;
}

const QStringList &ExcludedExtensions()
{
    static const QStringList list{
        u".bin"_s, u".cur"_s, u".dat"_s, u".db"_s,  u".iso"_s, u".doc"_s, u".log"_s, u".inf"_s,
        u".ini"_s, u".txt"_s, u".cng"_s, u".hlp"_s, u".htm"_s, u".html"_s, u".css"_s, u".xml"_s,
        u".pdf"_s, u".cgi"_s, u".pl"_s,  u".bas"_s, u".frm"_s, u".vbw"_s, u".c"_s,   u".cpp"_s,
        u".h"_s,   u".hpp"_s, u".inc"_s, u".cs"_s,  u".js"_s,  u".dfm"_s, u".dpr"_s, u".res"_s,
        u".rc"_s,  u".pas"_s, u".dcu"_s, u".lib"_s, u".obj"_s, u".7z"_s,  u".cab"_s, u".gz"_s,
        u".lzh"_s, u".zip"_s, u".bat"_s, u".com"_s, u".dll"_s, u".exe"_s, u".pif"_s};
    return list;
}

const QStringList &DefaultAllowedExtensions()
{
    static const QStringList list = [] {
        QStringList l = BaseMediaExtensions();
        l << u".divx"_s << u".flv"_s << u".fll"_s << u".mkv"_s << u".mov"_s << u".mp4"_s << u".mpeg"_s
          << u".mpg"_s << u".pls"_s << u".wpl"_s;
        // Formats a Linux desktop's music and video folders are full of.
        l << u".flac"_s << u".ogg"_s << u".oga"_s << u".opus"_s << u".m4a"_s << u".aac"_s << u".webm"_s
          << u".ts"_s << u".m2ts"_s;
        return l;
    }();
    return list;
}

QStringList MergeAllowedExtensions(const QStringList &lines)
{
    QStringList merged;
    for (const QString &line : lines) {
        const QString ext = line.trimmed();
        if (!ext.isEmpty())
            merged.append(ext);
    }
    merged += BaseMediaExtensions();
    std::sort(merged.begin(), merged.end());
    merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
    return merged;
}

bool IsProgramFile(const QString &path)
{
    static const QStringList programs{u".bat"_s, u".com"_s, u".exe"_s, u".lnk"_s, u".pif"_s, u".desktop"_s};
    if (!programs.contains(ExtractFileExt(path).toLower()))
        return false;
    return QFileInfo(path).isFile();
}

QStringList WithoutProgramFiles(const QStringList &paths)
{
    QStringList result = paths;
    for (qsizetype i = result.size() - 1; i >= 0; --i)
        if (IsProgramFile(result.at(i)))
            result.removeAt(i);
    return result;
}

int ChooseStartIndex(const TMyStartChoice &c, const std::function<int(int bound)> &random)
{
    const int added = c.count - c.startCount;
    if (added <= 0)
        return -1;
    if (c.savedIndex >= 0)
        return c.savedIndex;
    if (!c.adding)
        return c.nextIndex;
    if (c.random)
        return c.startCount + random(added);
    return c.startCount;
}

bool SaveListAs(const TMyWStrings &entries, const QString &fileName, int filterIndex, bool relative)
{
    TMyWStrings list;
    list.Assign(entries);
    if (relative)
        MakeEntriesRelative(list, fileName);
    switch (filterIndex) {
    case 1:
        return SaveM3U8(list, fileName, false);
    case 2:
        return SaveM3U(list, fileName);
    case 3:
        return SavePLS(list, fileName);
    case 4:
        return SaveWPL(list, fileName);
    default:
        return SavePlaylistByExtension(list, fileName);
    }
}

QString ResumeListPath() { return ChangeFileExt(platform::DataPathBase(), u".resume.m3u8"); }

bool WriteResumeList(const TMyWStrings &entries)
{
    const QString path = ResumeListPath();
    if (entries.Count() == 0)
        return !QFileInfo::exists(path) || QFile::remove(path);
    TMyWStrings list;
    list.Assign(entries);
    return list.SaveToFileEncoding(path, TextEncoding::Utf8);
}
