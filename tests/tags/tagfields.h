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
        {"TagVersion", &t.TagVersion}, {"Album", &t.Texts().Album}, {"AlbumArtist", &t.Texts().AlbumArtist},
        {"Artist", &t.Texts().Artist}, {"Composer", &t.Texts().Composer}, {"Conductor", &t.Texts().Conductor},
        {"Director", &t.Texts().Director}, {"Genre", &t.Texts().Genre}, {"OriginalAlbum", &t.Texts().OriginalAlbum},
        {"OriginalArtist", &t.Texts().OriginalArtist}, {"OriginalLyricist", &t.Texts().OriginalLyricist},
        {"Publisher", &t.Texts().Publisher}, {"Producer", &t.Texts().Producer},
        {"OriginalReleaseTime", &t.Texts().OriginalReleaseTime}, {"OriginalReleaseYear", &t.Texts().OriginalReleaseYear},
        {"ContentGroup", &t.Texts().ContentGroup}, {"PartOfSet", &t.Texts().PartOfSet}, {"Subtitle", &t.Texts().Subtitle},
        {"Title", &t.Texts().Title}, {"Track", &t.Texts().Track}, {"ModifiedBy", &t.Texts().ModifiedBy}, {"Writer", &t.Texts().Writer},
        {"Year", &t.Texts().Year}, {"UserText", &t.Texts().UserText}, {"Lyrics", &t.Texts().Lyrics}, {"Comment", &t.Texts().Comment},
        {"UserUrl", &t.Texts().UserUrl},
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
