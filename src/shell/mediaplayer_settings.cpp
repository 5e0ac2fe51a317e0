// The player window's pass over the settings file: read once after creation, written once when
// the window closes.
#include "shell/mediaplayer.h"

#include "custom/myinifile.h"
#include "engine/dsplayer.h"
#include "lists/mywstrings.h"
#include "playlist/mediaplaylist.h"
#include "shell/mediaopening.h"
#include "shell/videozoom.h"
#include "shellint/myfiledialogs.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QFileInfo>

#include <algorithm>

namespace {

// Check commands kept as booleans: section, key, command, default.
struct CheckSetting {
    const char16_t *section;
    const char16_t *key;
    const char16_t *command;
    bool defaultValue;
};

constexpr CheckSetting kOptionChecks[] = {
    {u"OPTION", u"OriginalSize", u"actOpt_OpenOriginalSize", false},
    {u"OPTION", u"ScreenSaver", u"actOpt_AllowScreenSaver", false},
    {u"OPTION", u"RandomPlay", u"actOpt_Random", false},
    {u"OPTION", u"OpenFit", u"actOpt_OpenFit", true},
    {u"OPTION", u"KeepAspect", u"actOpt_KeepAspect", true},
    {u"OPTION", u"ReadTag", u"actList_ReadTag", false},
    {u"OPTION", u"Use_ffdshow", u"Action_Opt_Use_ffdshow", false},
    {u"OPTION", u"AllowExt", u"actOpt_AllowExt", true},
    {u"ZOOM", u"Wallvideo", u"Action_ZoomWallvideo", false},
};
constexpr CheckSetting kViewChecks[] = {
    {u"VIEW", u"InfoPanel", u"actDisp_InfoPanel", true},
    {u"VIEW", u"TimeVerbose", u"actDisp_TimeVerbose", true},
};

QString S(const char16_t *text) { return QString::fromUtf16(text); }

bool BothShiftAndCtrl() { return ShiftHeld() && CtrlHeld(); }

} // namespace

void TApp_MEDIAPlayer::LoadSettings(TMyIniFile &ini)
{
    // A check command that is set here also runs its handler, so what it stands for applies.
    auto setCheck = [this](const QString &name, bool on) {
        QAction *action = Command(name);
        if (!action || action->isChecked() == on)
            return;
        action->setChecked(on);
        Execute(name);
    };
    if (IsChecked(u"Action_OptNotLoadIni") || BothShiftAndCtrl()) {
        ApplyAllowExt();
        show();
        return;
    }
    // The screen modes are only checked (an opening enters them); the renderer command runs.
    Command(u"actZoom_FullScreen")->setChecked(ini.ReadBool(QStringLiteral("ZOOM"), QStringLiteral("FullScreen"), false));
    Command(u"actZoom_MaxZoom")->setChecked(ini.ReadBool(QStringLiteral("ZOOM"), QStringLiteral("MaxScreen"), false));
    Execute(RendererCommandOfSetting(ini.ReadInteger(QStringLiteral("ZOOM"), QStringLiteral("Renderer"), 3),
                                     Command(u"Action_ZoomEVR")->isVisible()));
    ini.RestoreFormBounds(QString(), this);
    if (App_MEDIAPlaylist) {
        ini.RestoreFormBounds(QString(), App_MEDIAPlaylist);
        App_MEDIAPlaylist->LoadSettings(ini);
    } else {
        KeepPlaylistSettings(ini);
    }
    setCheck(QStringLiteral("actList_OpenAdd"), ini.ReadBool(QStringLiteral("LIST"), QStringLiteral("Add"), false));
    for (const CheckSetting &c : kOptionChecks)
        setCheck(S(c.command), ini.ReadBool(S(c.section), S(c.key), c.defaultValue));
    if (ini.SectionExists(QStringLiteral("ALLOWEXT"))) {
        TMyWStrings lines;
        ini.ReadSectionLines(QStringLiteral("ALLOWEXT"), lines);
        AllowedExtensions = MergeAllowedExtensions(lines.ToStringList());
    }
    ApplyAllowExt();
    setCheck(QStringLiteral("actPlay_Mute"), ini.ReadBool(QStringLiteral("PLAY"), QStringLiteral("Mute"), false));
    SetVolumePosition(std::clamp(ini.ReadInteger(QStringLiteral("PLAY"), QStringLiteral("Volume"), barVolume->value()), 0, 100));
    SetBalancePosition(
        std::clamp(ini.ReadInteger(QStringLiteral("PLAY"), QStringLiteral("Balance"), barBalance->value()), -100, 100));
    const QString documents = dlgOpenFile->InitialDir;
    dlgOpenFile->InitialDir = ini.ReadString(QStringLiteral("DIALOG"), QStringLiteral("OpenFile"), documents);
    dlgOpenFolder->InitialDir = ini.ReadString(QStringLiteral("DIALOG"), QStringLiteral("OpenFolder"), documents);
    dlgOpenThisFolder->InitialDir =
        ini.ReadString(QStringLiteral("DIALOG"), QStringLiteral("OpenThisFolder"), documents);
    dlgSaveList->InitialDir = ini.ReadString(QStringLiteral("DIALOG"), QStringLiteral("ListPath"), documents);
    if (dlgSelectGrfFile)
        dlgSelectGrfFile->InitialDir =
            ini.ReadString(QStringLiteral("DIALOG"), QStringLiteral("GraphEditorFile"), documents);
    for (TMyOpenHistory *history : {&HistoryOpenFile, &HistoryOpenFolder, &HistoryOpenThisFolder})
        history->Load(ini);
    Q_EMIT historiesChanged();
    for (const CheckSetting &c : kViewChecks)
        setCheck(S(c.command), ini.ReadBool(S(c.section), S(c.key), c.defaultValue));

    show();

    setCheck(QStringLiteral("actOpt_Resume"), ini.ReadBool(QStringLiteral("RESUME"), QStringLiteral("Resume"), false));
    if (IsChecked(u"actOpt_Resume") && !HasStartupArguments && QFileInfo::exists(ResumeListPath())) {
        SavedIndex = ini.ReadInteger(QStringLiteral("RESUME"), QStringLiteral("Index"), -1);
        SavedPosition = ini.ReadInteger(QStringLiteral("RESUME"), QStringLiteral("Time"), 0);
        m_resumeOpening = true;
        OpenPaths({ResumeListPath()}, true);
        m_resumeOpening = false;
    } else {
        SavedIndex = -1;
        SavedPosition = 0;
    }
}

void TApp_MEDIAPlayer::KeepPlaylistSettings(TMyIniFile &ini)
{
    // The sections the playlist window reads (its bounds, columns, find target, font, find
    // history), copied into a settings object that belongs to no file.
    auto kept = std::make_unique<TMyIniFile>(QString());
    for (const QString &section : {QStringLiteral("Bounds"), QStringLiteral("LIST"), QStringLiteral("VIEW"),
                                   QStringLiteral("HISTORY_FIIND")}) {
        if (!ini.SectionExists(section))
            continue;
        TMyWStrings lines;
        ini.ReadSectionLines(section, lines);
        kept->WriteSectionLines(section, lines);
    }
    m_pendingPlaylistSettings = std::move(kept);
}

void TApp_MEDIAPlayer::SaveSettings(TMyIniFile &ini)
{
    if (BothShiftAndCtrl() || IsChecked(u"actOpt_NotSaveIni"))
        return;
    ini.WriteFormBounds(this);
    // A window closed before the playlist window was made still writes that window's part.
    ini.WriteFormBounds(PlaylistWindow());
    App_MEDIAPlaylist->SaveSettings(ini);
    ini.WriteBool(QStringLiteral("LIST"), QStringLiteral("Add"), IsChecked(u"actList_OpenAdd"));

    ini.WriteBool(QStringLiteral("PLAY"), QStringLiteral("Mute"), IsChecked(u"actPlay_Mute"));
    ini.WriteInteger(QStringLiteral("PLAY"), QStringLiteral("Volume"), barVolume->value());
    ini.WriteInteger(QStringLiteral("PLAY"), QStringLiteral("Balance"), barBalance->value());
    TMyDSPlayer *player = plyMedia();
    ini.WriteBool(QStringLiteral("RESUME"), QStringLiteral("Resume"), IsChecked(u"actOpt_Resume"));
    // A point still waiting for its file to reopen is where the list stands.
    const bool pending = SavedIndex >= 0;
    ini.WriteInteger(QStringLiteral("RESUME"), QStringLiteral("Index"), pending ? SavedIndex : player->ItemIndex);
    ini.WriteInteger(QStringLiteral("RESUME"), QStringLiteral("Time"),
                     int(pending ? SavedPosition : player->Position()));  // whole seconds, cut
    if (IsChecked(u"actOpt_Resume"))
        WriteResumeList(*player->Playlist());

    ini.WriteBool(QStringLiteral("ZOOM"), QStringLiteral("FullScreen"), IsChecked(u"actZoom_FullScreen"));
    ini.WriteBool(QStringLiteral("ZOOM"), QStringLiteral("MaxScreen"), IsChecked(u"actZoom_MaxZoom"));
    for (QStringView renderer : kRendererCommands) {
        if (IsChecked(renderer))
            ini.WriteInteger(QStringLiteral("ZOOM"), QStringLiteral("Renderer"),
                             RendererSettingOf(renderer, Command(u"Action_ZoomEVR")->isVisible()));
    }
    for (const CheckSetting &c : kOptionChecks)
        ini.WriteBool(S(c.section), S(c.key), IsChecked(c.command));
    TMyWStrings extensions;
    for (const QString &ext : AllowedExtensions)
        extensions.Add(ext);
    ini.WriteSectionLines(QStringLiteral("ALLOWEXT"), extensions);
    for (const CheckSetting &c : kViewChecks)
        ini.WriteBool(S(c.section), S(c.key), IsChecked(c.command));
    ini.WriteString(QStringLiteral("DIALOG"), QStringLiteral("OpenFile"), dlgOpenFile->InitialDir);
    ini.WriteString(QStringLiteral("DIALOG"), QStringLiteral("OpenFolder"), dlgOpenFolder->InitialDir);
    ini.WriteString(QStringLiteral("DIALOG"), QStringLiteral("OpenThisFolder"), dlgOpenThisFolder->InitialDir);
    ini.WriteString(QStringLiteral("DIALOG"), QStringLiteral("ListPath"), dlgSaveList->InitialDir);
    if (dlgSelectGrfFile)
        ini.WriteString(QStringLiteral("DIALOG"), QStringLiteral("GraphEditorFile"), dlgSelectGrfFile->InitialDir);
    for (const TMyOpenHistory *history : {&HistoryOpenFile, &HistoryOpenFolder, &HistoryOpenThisFolder})
        history->Save(ini);
}
