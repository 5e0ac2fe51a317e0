// The command words of the player window's message panel: every text another process or the
// window itself sends there. Switches are looked up in one table, in its order; plain arguments
// are opened once every switch has run.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "engine/dsplayer.h"
#include "engine/timetexts.h"
#include "platform/appstate.h"
#include "shell/busycount.h"
#include "shell/commandwords.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "shellint/myfiledialogs.h"
#include "widgets/heldmodifiers.h"
#include "widgets/mytrackbar.h"

#include <QAction>
#include <QFile>

#include <algorithm>

namespace {

enum ListMode { OpenList, FolderList, ThisFolderList };

struct WordContext {
    TApp_MEDIAPlayer *window;
    const TMyParamOption &option;
    ListMode &mode;
};

using WordAction = void (*)(WordContext &);

// A word that runs a command as program code does.
template <const char16_t *Command>
void RunCommand(WordContext &c)
{
    c.window->Execute(Command);
}

// A word that checks or unchecks a command ("ON": checked) and applies it.
template <const char16_t *Command>
void SetCheck(WordContext &c)
{
    if (QAction *action = c.window->Command(Command)) {
        action->setChecked(WordSwitchesOn(c.option.ValueUpper));
        c.window->Execute(Command);
    }
}

// "OFF" checks the command (the settings-file words).
template <const char16_t *Command>
void SetCheckWhenOff(WordContext &c)
{
    if (QAction *action = c.window->Command(Command)) {
        action->setChecked(c.option.ValueUpper == u"OFF");
        c.window->Execute(Command);
    }
}

template <ListMode Mode>
void SetMode(WordContext &c)
{
    c.mode = Mode;
}

// Command names as constants the templates can take.
constexpr char16_t kProperty[] = u"Action_FileProperty";
constexpr char16_t kMoveAs[] = u"Action_FileCmdMoveAs";
constexpr char16_t kCopyAs[] = u"Action_FileCmdCopyAs";
constexpr char16_t kMove[] = u"Action_FileCmdMove";
constexpr char16_t kCopy[] = u"Action_FileCmdCopy";
constexpr char16_t kTrash[] = u"Action_FileCmdTrash";
constexpr char16_t kOpenAdd[] = u"actList_OpenAdd";
constexpr char16_t kRelative[] = u"actList_SaveRelativePath";
constexpr char16_t kListDisp[] = u"actList_Disp";
constexpr char16_t kListDel[] = u"actList_Del";
constexpr char16_t kPlayPause[] = u"actPlay_PlayPause";
constexpr char16_t kReplay[] = u"actPlay_Replay";
constexpr char16_t kBack[] = u"actPlay_Back";
constexpr char16_t kNext[] = u"actPlay_Next";
constexpr char16_t kSkipBack[] = u"actPlay_SkipBack";
constexpr char16_t kSkipNext[] = u"actPlay_SkipNext";
constexpr char16_t kFrameBack[] = u"actPlay_FrameBack";
constexpr char16_t kFrameNext[] = u"actPlay_FrameNext";
constexpr char16_t kMute[] = u"actPlay_Mute";
constexpr char16_t kZoom50[] = u"actZoom_50";
constexpr char16_t kZoom100[] = u"actZoom_100";
constexpr char16_t kZoom200[] = u"actZoom_200";
constexpr char16_t kZoomUp[] = u"actZoom_Up";
constexpr char16_t kZoomDown[] = u"actZoom_Down";
constexpr char16_t kZoomFit[] = u"actZoom_Fit";
constexpr char16_t kFullScreen[] = u"actZoom_FullScreen";
constexpr char16_t kMaxZoom[] = u"actZoom_MaxZoom";
constexpr char16_t kOriginalSize[] = u"actOpt_OpenOriginalSize";
constexpr char16_t kScreenSaver[] = u"actOpt_AllowScreenSaver";
constexpr char16_t kResume[] = u"actOpt_Resume";
constexpr char16_t kRandom[] = u"actOpt_Random";
constexpr char16_t kNotLoadIni[] = u"Action_OptNotLoadIni";
constexpr char16_t kNotSaveIni[] = u"actOpt_NotSaveIni";
constexpr char16_t kDuplication[] = u"actOpt_AllowDuplication";
constexpr char16_t kInfoPanel[] = u"actDisp_InfoPanel";
constexpr char16_t kTimeVerbose[] = u"actDisp_TimeVerbose";

void SubPlayerAnswer(WordContext &c) { c.window->SubPlayerPanel = c.option.ValueInt(); }

void Exit(WordContext &c) { c.window->close(); }

void ListSave(WordContext &c)
{
    // Without a file name there is nothing to save to.
    if (c.option.Value.isEmpty())
        return;
    c.window->dlgSaveList->FileName = c.option.Value;
    c.window->Execute(u"Action_FileSaveAs");
}

void Rate(WordContext &c)
{
    if (QAction *action = c.window->Command(RateCommandName(NearestRateIndex(c.option.ValueFloat()))))
        action->trigger();  // as if chosen from the menu
}

void Start(WordContext &c) { c.window->StartPosition = c.option.ValueFloat() / 1000.0; }
void StartSec(WordContext &c) { c.window->StartPosition = c.option.ValueInt(); }
void StartTime(WordContext &c) { c.window->StartPosition = double(ParseTimeText(c.option.Value)); }

void Seek(WordContext &c)
{
    if (c.window->plyMedia()->IsOpen())
        c.window->plyMedia()->SetPosition(c.option.ValueFloat());
}

void SeekSec(WordContext &c)
{
    if (c.window->plyMedia()->IsOpen())
        c.window->plyMedia()->SetPosition(c.option.ValueInt());
}

void Volume(WordContext &c) { c.window->SetVolumePosition(std::clamp(c.option.ValueInt(), 0, 100)); }
void Balance(WordContext &c) { c.window->SetBalancePosition(std::clamp(c.option.ValueInt(), -100, 100)); }

void ZoomNormal(WordContext &c)
{
    for (const char16_t *name : {kFullScreen, kMaxZoom}) {
        QAction *action = c.window->Command(name);
        if (action && action->isChecked()) {
            action->setChecked(false);
            c.window->Execute(name);
            return;
        }
    }
}

void StartWrite(WordContext &c) { c.window->PropertyStartWrite(c.option.Value); }
void EndWrite(WordContext &c) { c.window->PropertyEndWrite(c.option.Value); }

// Tests of the real executable ask for the player's state: with TAVIO_MSGBOX_LOG set, a line
// "state", entry, volume, balance, rate, whole seconds and open file (tab-separated) goes to that
// log.
void TestState(WordContext &c)
{
    const QString log = qEnvironmentVariable("TAVIO_MSGBOX_LOG");
    if (log.isEmpty())
        return;
    TMyDSPlayer *player = c.window->plyMedia();
    QFile file(log);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(QStringLiteral("state\t%1\t%2\t%3\t%4\t%5\t%6\n")
                       .arg(player->ItemIndex)
                       .arg(player->Volume())
                       .arg(player->Balance())
                       .arg(player->Rate())
                       .arg(player->PositionSeconds())
                       .arg(player->IsOpen() ? player->FileName() : QString())
                       .toUtf8());
}

struct Word {
    const char16_t *name;
    WordAction action;
};

// The words in the order they are tested; the first match runs.
const Word kWords[] = {
    {u"TO_SUBPLAYER", SubPlayerAnswer},
    {u"OPEN", SetMode<OpenList>},
    {u"FOLDER", SetMode<FolderList>},
    {u"THISFOLDER", SetMode<ThisFolderList>},
    {u"PROPERTY", RunCommand<kProperty>},
    {u"EXIT", Exit},
    {u"MOVEAS", RunCommand<kMoveAs>},
    {u"COPYAS", RunCommand<kCopyAs>},
    {u"MOVE", RunCommand<kMove>},
    {u"COPY", RunCommand<kCopy>},
    {u"TRASH", RunCommand<kTrash>},
    {u"ADD", SetCheck<kOpenAdd>},
    {u"RELATIVEPATH", SetCheck<kRelative>},
    {u"LISTSAVE", ListSave},
    {u"LISTDISP", RunCommand<kListDisp>},
    {u"LISTDEL", RunCommand<kListDel>},
    {u"PLAY", RunCommand<kPlayPause>},
    {u"REPLAY", RunCommand<kReplay>},
    {u"BACK", RunCommand<kBack>},
    {u"NEXT", RunCommand<kNext>},
    {u"SKIPBACK", RunCommand<kSkipBack>},
    {u"SKIPNEXT", RunCommand<kSkipNext>},
    {u"RATE", Rate},
    {u"FRAMEBACK", RunCommand<kFrameBack>},
    {u"FRAMENEXT", RunCommand<kFrameNext>},
    {u"START", Start},
    {u"STARTSEC", StartSec},
    {u"STARTTIME", StartTime},
    {u"SEEK", Seek},
    {u"SEEKSEC", SeekSec},
    {u"MUTE", SetCheck<kMute>},
    {u"VOLUME", Volume},
    {u"BALANCE", Balance},
    {u"50%", RunCommand<kZoom50>},
    {u"100%", RunCommand<kZoom100>},
    {u"200%", RunCommand<kZoom200>},
    {u"UP", RunCommand<kZoomUp>},
    {u"DOWN", RunCommand<kZoomDown>},
    {u"FIT", RunCommand<kZoomFit>},
    {u"FULLSCREEN", SetCheck<kFullScreen>},
    {u"MAXZOOM", SetCheck<kMaxZoom>},
    {u"ZOOMNORMAL", ZoomNormal},
    {u"ORIGINALSIZE", SetCheck<kOriginalSize>},
    {u"SCREENSAVER", SetCheck<kScreenSaver>},
    {u"RESUME", SetCheck<kResume>},
    {u"RANDOM", SetCheck<kRandom>},
    {u"LOADINI", SetCheckWhenOff<kNotLoadIni>},
    {u"SAVEINI", SetCheckWhenOff<kNotSaveIni>},
    {u"ALLOWDUPLICATION", SetCheck<kDuplication>},
    {u"INFO", SetCheck<kInfoPanel>},
    {u"TIMEVERBOSE", SetCheck<kTimeVerbose>},
    {u"PROPERTY_ONSTARTWRITE", StartWrite},
    {u"PROPERTY_ONENDWRITE", EndWrite},
    {u"PROPERTY_ONCANCELWRITE", EndWrite},
    {u"TESTSTATE", TestState},
};

} // namespace

void TApp_MEDIAPlayer::HandleStartupCommandLine(const QString &restOfCommandLine)
{
    SendPanelText(restOfCommandLine, MyMessagePanel1);
}

void TApp_MEDIAPlayer::ApplyStartupSettingsWords(const TMyParam &param)
{
    for (const TMyParamOption &o : param.Options)
        if (o.IsSwitch && o.NameIs(u"LOADINI"))
            Command(u"Action_OptNotLoadIni")->setChecked(o.ValueUpper == u"OFF");
}

void TApp_MEDIAPlayer::MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text)
{
    if (platform::IsTerminating())
        return;
    const TMyParam param(text);
    TMyRenameNotice rename;
    if (ParseRenameNotice(param, rename)) {
        RenameEntries(rename.OldPath, rename.NewPath);
    } else {
        ListMode mode = OpenList;
        QStringList lists[3];
        for (const TMyParamOption &o : param.Options) {
            if (!o.IsSwitch) {
                lists[mode].append(o.Text);
                continue;
            }
            for (const Word &word : kWords) {
                if (o.NameUpper == QStringView(word.name)) {
                    WordContext context{this, o, mode};
                    word.action(context);
                    break;
                }
            }
        }
        TMyBusyScope busy(Busy);  // also when an opening throws
        const bool shift = ShiftHeld();
        auto openList = [&](const QStringList &paths) {
            if (paths.isEmpty())
                return;
            if (shift)
                OpenThisFolderOnly(paths);
            else
                OpenPaths(paths, true);
        };
        openList(lists[OpenList]);
        // The later lists are added to the playlist; the setting comes back however they end.
        QAction *add = Command(u"actList_OpenAdd");
        struct Restore {
            QAction *action;
            bool saved;
            ~Restore() { action->setChecked(saved); }
        } restore{add, add->isChecked()};
        add->setChecked(true);
        openList(lists[FolderList]);
        if (!lists[ThisFolderList].isEmpty())
            OpenThisFolderOnly(lists[ThisFolderList]);
    }
    if (sender)
        sender->Tag = 0;
}

void TApp_MEDIAPlayer::SaveResumePoint()
{
    TMyDSPlayer *player = plyMedia();
    player->Pause();
    SavedIndex = player->ItemIndex;
    SavedPosition = player->Position();
}

void TApp_MEDIAPlayer::RenameEntries(const QString &oldPath, const QString &newPath)
{
    TMyDSPlayer *player = plyMedia();
    TMyDSPlaylist *list = player->Playlist();
    for (int i = 0; i < list->Count(); ++i) {
        if (list->Get(i) != oldPath)
            continue;
        if (i == player->ItemIndex && player->IsOpen()) {
            SaveResumePoint();
            player->Close();
        }
        list->Put(i, newPath);
    }
    Q_EMIT playlistChanged();
    if (SavedIndex >= 0 && SavedIndex < list->Count())
        player->PlayIndex(SavedIndex);
}

void TApp_MEDIAPlayer::PropertyStartWrite(const QString &path)
{
    TMyDSPlayer *player = plyMedia();
    if (!player->IsOpen() || player->FileName() != path)
        return;
    if (SavedIndex < 0)
        SaveResumePoint();
    player->Close();  // the file is no longer held while its tags are written
}

void TApp_MEDIAPlayer::PropertyEndWrite(const QString &path)
{
    TMyDSPlayer *player = plyMedia();
    if (player->EntryCount() > 0 && SavedIndex >= 0 && SavedIndex < player->EntryCount())
        player->PlayIndex(SavedIndex);
    Q_EMIT tagsWritten(path);
}

void TApp_MEDIAPlayer::SetVolumePosition(int position)
{
    barVolume->setValue(position);
    if (!IsChecked(u"actPlay_Mute"))
        plyMedia()->SetVolume(position);
}

void TApp_MEDIAPlayer::SetBalancePosition(int position)
{
    barBalance->setValue(position);
    plyMedia()->SetBalance(barBalance->value());  // the bar's own rule may have snapped it to 0
}
