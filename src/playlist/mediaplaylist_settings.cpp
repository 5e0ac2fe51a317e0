// The window's part of the settings file.
#include "playlist/mediaplaylist.h"

#include "custom/myinifile.h"
#include "lists/mywstrings.h"

void TApp_MEDIAPlaylist::LoadSettings(TMyIniFile &ini)
{
    for (int column : {1, 2}) {
        const int width = ini.ReadInteger(QStringLiteral("LIST"), QStringLiteral("Item_%1").arg(column), 0);
        if (width > 0)
            SetColumnWidth(column, width);
    }
    QFont font = GridFont();
    ini.ReadFont(QStringLiteral("VIEW"), QStringLiteral("ListFont"), font);
    SetGridFont(font);
    SetFindTarget(FindTargetFromSetting(ini.ReadInteger(QStringLiteral("LIST"), QStringLiteral("Find"), 2)));
    TMyWStrings lines;
    ini.ReadSectionLines(QStringLiteral("HISTORY_FIIND"), lines);
    LoadFindHistory(lines.ToStringList());
}

void TApp_MEDIAPlaylist::SaveSettings(TMyIniFile &ini)
{
    for (int column : {1, 2})
        ini.WriteInteger(QStringLiteral("LIST"), QStringLiteral("Item_%1").arg(column), ColumnWidth(column));
    ini.WriteFont(QStringLiteral("VIEW"), QStringLiteral("ListFont"), GridFont());
    ini.WriteInteger(QStringLiteral("LIST"), QStringLiteral("Find"), FindTargetSetting(FindTarget()));
    // The history is written only when it has entries.
    if (!FindHistoryLines().isEmpty()) {
        TMyWStrings lines;
        lines.AddStrings(FindHistoryLines());
        ini.WriteSectionLines(QStringLiteral("HISTORY_FIIND"), lines);
    }
}
