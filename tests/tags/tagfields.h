#pragma once
// Every text field of a tag by name, for comparing whole tags in tests.

#include "tags/mytag.h"

#include <QString>

#include <map>
#include <ostream>
#include <string>

// Failures show texts, not bytes.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using TagFields = std::map<std::string, QString>;

// The non-empty text fields (TagVersion included).
inline TagFields FieldsOf(const TMyCustomTag &t)
{
    const std::pair<const char *, const QString *> all[] = {
        {"TagVersion", &t.TagVersion}, {"Album", &t.Album}, {"AlbumArtist", &t.AlbumArtist},
        {"Artist", &t.Artist}, {"Composer", &t.Composer}, {"Conductor", &t.Conductor},
        {"Director", &t.Director}, {"Genre", &t.Genre}, {"OriginalAlbum", &t.OriginalAlbum},
        {"OriginalArtist", &t.OriginalArtist}, {"OriginalLyricist", &t.OriginalLyricist},
        {"Publisher", &t.Publisher}, {"Producer", &t.Producer},
        {"OriginalReleaseTime", &t.OriginalReleaseTime}, {"OriginalReleaseYear", &t.OriginalReleaseYear},
        {"ContentGroup", &t.ContentGroup}, {"PartOfSet", &t.PartOfSet}, {"Subtitle", &t.Subtitle},
        {"Title", &t.Title}, {"Track", &t.Track}, {"ModifiedBy", &t.ModifiedBy}, {"Writer", &t.Writer},
        {"Year", &t.Year}, {"UserText", &t.UserText}, {"Lyrics", &t.Lyrics}, {"Comment", &t.Comment},
        {"UserUrl", &t.UserUrl},
    };
    TagFields fields;
    for (const auto &[name, value] : all)
        if (!value->isEmpty())
            fields[name] = *value;
    return fields;
}

inline std::string Describe(const TagFields &fields)
{
    std::string s;
    for (const auto &[name, value] : fields) {
        QString shown = value;
        shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        s += name + "='" + shown.toStdString() + "' ";
    }
    return s.empty() ? "(none)" : s;
}
