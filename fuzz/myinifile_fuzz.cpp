// The settings reader over arbitrary bytes: encoding detection, line splitting, headers, the
// cache, typed reads, rewrites and the written file read back.
#include "custom/myinifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

const QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Folder().filePath(QStringLiteral("f.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    TMyIniFile ini(path);
    TMyWStrings sections;
    ini.ReadSections(sections);
    TMyWStrings list;
    for (int i = 0; i < sections.Count() && i < 8; ++i) {
        const QString section = sections.Get(i);
        ini.ReadSection(section, list);
        for (int k = 0; k < list.Count() && k < 16; ++k) {
            (void)ini.ReadInteger(section, list.Get(k), 1);
            (void)ini.ReadFloat(section, list.Get(k), 0.5);
            (void)LenientStrToInt(ini.ReadString(section, list.Get(k), QString()));
        }
        ini.ReadSectionLines(section, list);
    }
    if (sections.Count() > 0) {
        const QString first = sections.Get(0);
        ini.WriteString(first, QStringLiteral("fuzz"), QString::fromLatin1(reinterpret_cast<const char *>(data),
                                                                          qsizetype(std::min<size_t>(size, 32))));
        ini.ReadSectionValues(first, list);
        ini.WriteSectionValues(QStringLiteral("copy"), list);
        ini.EraseSection(sections.Get(sections.Count() - 1));
        ini.EnsureSection(QStringLiteral("ensured"));
        if (ini.UpdateFile()) {
            TMyIniFile back(path);
            back.ReadSections(list);
        }
    }
    return 0;
}
