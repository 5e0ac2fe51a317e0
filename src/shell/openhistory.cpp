#include "shell/openhistory.h"

#include "custom/myinifile.h"

namespace {

QStringView WithoutTrailingSlash(QStringView path)
{
    return path.endsWith(u'/') ? path.chopped(1) : path;
}

} // namespace

void TMyOpenHistory::AddHistory(const QString &path)
{
    if (path.isEmpty())
        return;
    const QStringView key = WithoutTrailingSlash(path);
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        if (WithoutTrailingSlash(m_items.at(i)) == key)
            m_items.removeAt(i);
    m_items.prepend(path);
    while (m_items.size() > kMaxItems)
        m_items.removeLast();
}

void TMyOpenHistory::Load(TMyIniFile &ini)
{
    TMyWStrings lines;
    ini.ReadSectionLines(m_section, lines);
    for (int i = lines.Count() - 1; i >= 0; --i) {
        const QString line = lines.Get(i);
        if (!line.trimmed().isEmpty())
            AddHistory(line);
    }
}

void TMyOpenHistory::Save(TMyIniFile &ini) const
{
    if (m_items.isEmpty()) {
        ini.EraseSection(m_section);
        return;
    }
    TMyWStrings lines;
    for (const QString &item : m_items)
        lines.Add(item);
    ini.WriteSectionLines(m_section, lines);
}

QString HistoryMenuCaption(const QString &path)
{
    QString caption = path;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
