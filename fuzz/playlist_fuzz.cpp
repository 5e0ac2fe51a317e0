// The playlist readers (M3U, PLS, WPL) over arbitrary bytes, decoded as the readers decode
// files, with the entries resolved as the media list resolves them; and two properties that
// must hold for any text: WPL escapes read back unchanged, and entries written as WPL read back.
#include "lists/fileutils.h"
#include "lists/textencoding.h"
#include "tags/playlistfiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Resolve(const QStringList &entries)
{
    for (const QString &raw : entries) {
        const QStringView trimmed = TrimEntry(raw);
        if (trimmed.isEmpty())
            continue;
        const QString path = ExpandRelativePath(trimmed, u"/base/folder/");
        (void)IsPlaylistFile(path);
        (void)MakeRelativePath(path, u"/base/list.m3u8");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // ".m3u" and ".pls" are detected; ".m3u8" and ".wpl" are UTF-8 whatever they hold.
    const QString detected = DecodeText(bytes, DetectEncoding(bytes));
    const QString utf8 = DecodeText(bytes, TextEncoding::Utf8);

    Resolve(ParseM3UText(detected));
    Resolve(ParseM3UText(utf8));
    Resolve(ParsePLSText(detected));
    const QStringList wpl = ParseWPLText(utf8);
    Resolve(wpl);

    if (UnescapeWplText(EscapeWplText(utf8)) != utf8)
        std::abort();

    // Entries without line breaks survive a WPL file.
    TMyWStrings entries;
    for (const QString &e : wpl)
        if (!e.contains(u'\r') && !e.contains(u'\n'))
            entries.Add(e);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= detected.size(); ++i) {
        if (i == detected.size() || detected[i] == u'\r' || detected[i] == u'\n') {
            entries.Add(detected.sliced(start, i - start));
            start = i + 1;
        }
    }
    const QStringList back = ParseWPLText(WPLText(entries));
    if (back != entries.ToStringList())
        std::abort();
    return 0;
}
