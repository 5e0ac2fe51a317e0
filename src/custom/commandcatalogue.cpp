#include "custom/commandcatalogue.h"

#include "custom/keycodes.h"

namespace {

// A table row, written as a chain: Row(category, name, caption).hint(…).toggle().
struct Row {
    TMyCommandDef d;
    bool image = true;

    constexpr Row(QStringView category, QStringView name, QStringView caption)
    {
        d.Category = category;
        d.Name = name;
        d.Caption = caption;
    }
    constexpr Row hint(QStringView text) const { Row r = *this; r.d.Hint = text; return r; }
    constexpr Row keys(quint16 code) const { Row r = *this; r.d.ShortCut = code; return r; }
    constexpr Row plain(quint16 code) const { Row r = *this; r.d.SecondaryShortCuts = {code, 0}; return r; }
    constexpr Row secondary(quint16 code) const { return plain(code); }
    constexpr Row toggle() const { Row r = *this; r.d.AutoCheck = true; return r; }
    constexpr Row group(int index) const { Row r = *this; r.d.GroupIndex = index; return r; }
    constexpr Row on() const { Row r = *this; r.d.Checked = true; return r; }
    constexpr Row disabled() const { Row r = *this; r.d.Enabled = false; return r; }
    constexpr Row hidden() const { Row r = *this; r.d.Visible = false; return r; }
    constexpr Row tag(int value) const { Row r = *this; r.d.Tag = value; return r; }
    constexpr Row noImage() const { Row r = *this; r.image = false; return r; }
};

template <size_t N>
constexpr std::array<TMyCommandDef, N> Numbered(const std::array<Row, N> &rows, int firstImage)
{
    std::array<TMyCommandDef, N> out{};
    int next = firstImage;
    for (size_t i = 0; i < N; ++i) {
        out[i] = rows[i].d;
        if (rows[i].image) {
            out[i].ImageIndex = next;
            next += rows[i].d.AutoCheck ? 2 : 1;
        }
    }
    return out;
}

template <size_t N>
constexpr int ImagesEnd(const std::array<TMyCommandDef, N> &list, int firstImage)
{
    int end = firstImage;
    for (const TMyCommandDef &c : list) {
        if (c.ImageIndex >= 0)
            end = std::max(end, c.ImageIndex + (c.AutoCheck ? 2 : 1));
    }
    return end;
}

using KeyCode::Alt;

constexpr QStringView kSeparator = u"区切り";
constexpr QStringView kFile = u"ファイル";
constexpr QStringView kList = u"リスト";
constexpr QStringView kFileCmd = u"ファイル操作";
constexpr QStringView kPlay = u"再生";
constexpr QStringView kRate = u"再生速度";
constexpr QStringView kRepeat = u"リピート";
constexpr QStringView kZoom = u"ズーム";
constexpr QStringView kDisp = u"表示";
constexpr QStringView kOpt = u"オプション";
constexpr QStringView kCustom = u"カスタム";
constexpr QStringView kMenu = u"メニュー";
constexpr QStringView kHelp = u"ヘルプ";
constexpr QStringView kDebug = u"デバッグ";
constexpr QStringView kSendTo = u"送る";
constexpr QStringView kWindow = u"ウィンドウ";
constexpr QStringView kListEdit = u"リスト編集";
constexpr QStringView kSort = u"ソート";
constexpr QStringView kListMove = u"リスト移動";
constexpr QStringView kFind = u"検索";
constexpr QStringView kInfoCopy = u"情報コピー";
constexpr QStringView kNetSearch = u"ネット検索";
constexpr QStringView kEdit = u"編集";

// Group numbers of the radio commands.
constexpr int kScreenModeGroup = 1;  // wallpaper video, full screen, max zoom: at most one
constexpr int kRepeatGroup = 3;
constexpr int kRateGroup = 4;
constexpr int kRendererGroup = 5;

constexpr std::array kMainRows{
    Row(kSeparator, u"actSpc", u"-").noImage(),
    Row(kFile, u"Action_FileOpenFile", u"開く(&O)..."),
    Row(kFile, u"Action_FileOpenFolder", u"フォルダを開く(&F)..."),
    Row(kFile, u"Action_FileOpenThisFolder", u"選択フォルダのみ開く(&D)..."),
    Row(kFile, u"Action_FileSaveAs", u"リストに名前をつけて保存(&V)...").disabled(),
    Row(kFile, u"Action_FileProperty", u"プロパティ(&R)").disabled(),
    Row(kFile, u"Action_FileExit", u"終了(&X)").keys(Alt | KeyCode::F4),
    Row(kList, u"actList_OpenAdd", u"開くときに追加(&A)").toggle(),
    Row(kList, u"actList_SaveRelativePath", u"相対パスで保存(&P)").toggle(),
    Row(kList, u"actList_ReadTag", u"タグ取得(&T)").toggle(),
    Row(kList, u"Action_List_LibDBTune", u"ライブラリのデータベースを最適化")
        .hint(u"ライブラリデータベースから不要なレコードを削除"),
    Row(kList, u"actList_Disp", u"リスト表示(&L)"),
    Row(kList, u"actList_Del", u"リストから削除").disabled(),
    Row(kFileCmd, u"Action_FileCmdRename", u"ファイル名変更(&N)...").disabled(),
    Row(kFileCmd, u"Action_FileCmdMoveAs", u"名前をつけてファイル移動(&M)...").disabled(),
    Row(kFileCmd, u"Action_FileCmdCopyAs", u"名前を付けてファイルコピー(&S)...").disabled(),
    Row(kFileCmd, u"Action_FileCmdMove", u"ファイル移動(&V)...").disabled(),
    Row(kFileCmd, u"Action_FileCmdCopy", u"ファイルコピー(&Y)...").disabled(),
    Row(kFileCmd, u"Action_FileCmdRemoveFromHDD", u"メディアから削除"),
    Row(kFileCmd, u"Action_FileCmdTrash", u"ごみ箱へ").disabled(),
    Row(kPlay, u"actPlay_PlayPause", u"再生/一時停止(&P)").plain(KeyCode::Space),
    Row(kPlay, u"actPlay_Replay", u"リプレイ(&R)").plain(KeyCode::Back),
    Row(kPlay, u"actPlay_Back", u"前へ(&B)").plain(KeyCode::PageDown),
    Row(kPlay, u"actPlay_Next", u"次へ(&N)").plain(KeyCode::PageUp),
    Row(kPlay, u"actPlay_SkipBack", u"30秒バック").plain(KeyCode::Left),
    Row(kPlay, u"actPlay_SkipNext", u"30秒スキップ").plain(KeyCode::Right),
    Row(kPlay, u"actPlay_FrameBack", u"前のフレーム").hint(u"前のフレーム (Shift併用で5フレーム前)"),
    Row(kPlay, u"actPlay_FrameNext", u"次のフレーム").hint(u"次のフレーム (Shift併用で5フレーム後)"),
    Row(kPlay, u"actPlay_FrameBack10", u"10フレーム前").hint(u"10フレーム前 (Shift併用で20フレーム前)"),
    Row(kPlay, u"actPlay_FrameNext10", u"10フレーム後").hint(u"10フレーム後 (Shift併用で20フレーム後)"),
    Row(kPlay, u"actPlay_FrameBack1Sec", u"1秒前のフレーム")
        .hint(u"1秒前のフレーム (Shift併用で0.5秒前のフレーム)"),
    Row(kPlay, u"actPlay_FrameNext1Sec", u"1秒後のフレーム")
        .hint(u"1秒後のフレーム (Shift併用で0.5秒後のフレーム)"),
    Row(kPlay, u"actPlay_FrameCaptureBack", u"前のフレーム"),
    Row(kPlay, u"actPlay_FrameCaptureNext", u"次のフレーム"),
    Row(kPlay, u"actPlay_FrameCapturePause", u"表示フレーム修正"),
    Row(kPlay, u"actPlay_Mute", u"ミュート(&M)").toggle(),
    Row(kPlay, u"actPlay_Volume", u"ボリューム(&V)").toggle(),
    Row(kPlay, u"actPlay_Balance", u"バランス(&B)").toggle(),
    Row(kRate, u"actPlay_Rate", u"再生速度(&S)"),
    Row(kRate, u"actPlay_Rate_100", u"8.7").group(kRateGroup).hint(u"8.7倍速"),
    Row(kRate, u"actPlay_Rate_50", u"5.0").group(kRateGroup).tag(1).hint(u"5倍速"),
    Row(kRate, u"actPlay_Rate_20", u"2.0").group(kRateGroup).tag(2).hint(u"2倍速"),
    Row(kRate, u"actPlay_Rate_17", u"1.7").group(kRateGroup).tag(3).hint(u"1.7倍速"),
    Row(kRate, u"actPlay_Rate_15", u"1.5").group(kRateGroup).tag(4).hint(u"1.5倍速"),
    Row(kRate, u"actPlay_Rate_13", u"1.3").group(kRateGroup).tag(5).hint(u"1.3倍速"),
    Row(kRate, u"actPlay_Rate_11", u"1.1").group(kRateGroup).tag(6).hint(u"1.1倍速"),
    Row(kRate, u"actPlay_Rate_10", u"1.0").group(kRateGroup).on().tag(7).hint(u"オリジナル速度"),
    Row(kRate, u"actPlay_Rate_09", u"0.9").group(kRateGroup).tag(8).hint(u"0.9倍速"),
    Row(kRate, u"actPlay_Rate_08", u"0.8").group(kRateGroup).tag(9).hint(u"0.8倍速"),
    Row(kRate, u"actPlay_Rate_07", u"0.7").group(kRateGroup).tag(10).hint(u"0.7倍速"),
    Row(kRate, u"actPlay_Rate_06", u"0.6").group(kRateGroup).tag(11).hint(u"0.6倍速"),
    Row(kRate, u"actPlay_Rate_05", u"0.5").group(kRateGroup).tag(12).hint(u"0.5倍速"),
    // 0.1 is one of the rates too: outside the group it stayed checked beside another rate.
    Row(kRate, u"actPlay_Rate_01", u"0.1").group(kRateGroup).tag(13),
    Row(kRepeat, u"actPlay_Repeat", u"リピート(&T)"),
    Row(kRepeat, u"actPlay_RepeatAll", u"全曲 リピート(&A)").group(kRepeatGroup).on(),
    Row(kRepeat, u"actPlay_RepeatOne", u"1曲 リピート(&1)").group(kRepeatGroup).tag(1),
    Row(kRepeat, u"actPlay_RepeatAB", u"A-B間 リピート(&B)").group(kRepeatGroup).tag(2),
    Row(kRepeat, u"actPlay_RepeatAB_Start", u"A-B間 リピートの開始に設定"),
    Row(kRepeat, u"actPlay_RepeatAB_End", u"A-B間 リピートの終了に設定"),
    Row(kRepeat, u"actPlay_RepeatAB_Reset", u"A-B間 リピートの設定を解除"),
    Row(kZoom, u"actZoom_50", u"50%").hint(u"オリジナルの半分のサイズ"),
    Row(kZoom, u"actZoom_100", u"100%").hint(u"オリジナルサイズ"),
    Row(kZoom, u"actZoom_200", u"200%").hint(u"オリジナルの2倍のサイズ"),
    Row(kZoom, u"actZoom_Up", u"拡大(&U)").plain(KeyCode::Up).hint(u"拡大"),
    Row(kZoom, u"actZoom_Down", u"縮小(&D)").plain(KeyCode::Down).hint(u"縮小"),
    Row(kZoom, u"actZoom_Fit", u"アスペクト比に合わせる(&T)")
        .hint(u"フォームの高さをビデオのアスペクト比に合わせる"),
    Row(kZoom, u"Action_ZoomWallvideo", u"壁紙ビデオ(&W)").toggle().group(kScreenModeGroup)
        .hint(u"壁紙ビデオ"),
    Row(kZoom, u"actZoom_FullScreen", u"フルスクリーン(&F)").toggle().group(kScreenModeGroup)
        .hint(u"フルスクリーンモード"),
    Row(kZoom, u"actZoom_MaxZoom", u"拡大フルスクリーン(&M)").toggle().group(kScreenModeGroup)
        .hint(u"余白を入れない拡大フルスクリーン"),
    Row(kZoom, u"actZoom_AspectStandard", u"1.33:1 スタンダード (4:3)").hint(u"アスペクト比4:3にする"),
    Row(kZoom, u"actZoom_AspectHiVision", u"1.78:1 ハイビジョン (16:9)").hint(u"アスペクト比16:9にする"),
    Row(kZoom, u"actZoom_AspectEVista", u"1.66:1 ヨーロピアン・ビスタ (5:3)")
        .hint(u"ヨーロピアン・ビスタサイズにする"),
    Row(kZoom, u"actZoom_AspectAVista", u"1.85:1 アメリカン・ビスタ").hint(u"アメリカン・ビスタサイズにする"),
    Row(kZoom, u"actZoom_AspectWideScope", u"2.35:1 シネマスコープ").hint(u"シネマスコープ"),
    Row(kZoom, u"Action_ZoomVideoRenderer", u"旧ビデオレンダラ").group(kRendererGroup).hint(u"旧ビデオレンダラ"),
    Row(kZoom, u"Action_ZoomOverlayMixer", u"オーバーレイミキサー").group(kRendererGroup)
        .hint(u"オーバーレイミキサー"),
    Row(kZoom, u"Action_ZoomVMR7", u"VMR7").group(kRendererGroup).on().hint(u"VMR7"),
    Row(kZoom, u"Action_ZoomVMR9", u"VMR9").group(kRendererGroup).hint(u"VMR9"),
    Row(kZoom, u"Action_ZoomEVR", u"EVR").group(kRendererGroup).hidden(),
    Row(kZoom, u"actZoom_Capture", u"ビデオ映像をキャプチャ(&V)").disabled().hint(u"ビデオ画像をキャプチャ"),
    Row(kDisp, u"actDisp_InfoPanel", u"情報パネル(&I)").toggle().on(),
    Row(kDisp, u"actDisp_TimeVerbose", u"時間を詳細表示(&V)").toggle().on(),
    Row(kOpt, u"actOpt_OpenOriginalSize", u"オリジナルサイズで開く(&O)").toggle()
        .hint(u"オリジナルのビデオサイズで開く"),
    Row(kOpt, u"actOpt_OpenFit", u"アスペクト比に合わせて開く(&A)").toggle().on()
        .hint(u"ビデオを開くときアスペクト比に合わせてフォームの高さを調整"),
    Row(kOpt, u"actOpt_KeepAspect", u"アスペクト比を保持(&K)").toggle().on().hint(u"ビデオのアスペクト比を保持"),
    Row(kOpt, u"actOpt_Random", u"ランダム再生(&R)").toggle(),
    Row(kOpt, u"actOpt_Resume", u"レジューム再生(&P)").toggle().hint(u"再生中のリストを保持して次回起動時に再現"),
    Row(kOpt, u"actOpt_AllowDuplication", u"複数起動(&D)").toggle(),
    Row(kOpt, u"actOpt_AllowScreenSaver", u"スクリーンセーバーを許可(&S)").toggle(),
    Row(kOpt, u"actOpt_AllowExt", u"拡張子を限定する(&X)").toggle().on(),
    Row(kOpt, u"Action_Opt_Use_ffdshow", u"ffdshowを優先使用(&F)").toggle(),
    Row(kOpt, u"actOpt_NotSaveIni", u"設定ファイルを書き込まない(&N)").toggle(),
    Row(kCustom, u"actCustom_Setting", u"一覧設定(&C)").keys(Alt | KeyCode::F10),
    Row(kCustom, u"actCustom_Menu", u"メニューカスタマイズ(&M)"),
    Row(kCustom, u"actCustom_ToolBar", u"ツールバーカスタマイズ(&B)"),
    Row(kCustom, u"actCustom_ShortCut", u"ショートカットカスタマイズ(&K)"),
    Row(kMenu, u"actMenu_Main", u"メニューポップアップ"),
    Row(kMenu, u"actMenu_ZoomUpDown", u"ズームメニュー(&M)"),
    Row(kMenu, u"actMenu_WindowList", u"ウィンドウリスト(&W)"),
    Row(kHelp, u"Action_HelpVersionInfo", u"バージョン情報(&A)").keys(KeyCode::F1),
    Row(kDebug, u"actTest_EnumPins", u"フィルターとPinを列挙"),
    Row(kDebug, u"actTest_EnumSystemFilter", u"登録されているフィルタを列挙"),
    Row(kDebug, u"actTest_MediaDet", u"メディアディテクタからの情報を表示"),
    Row(kDebug, u"actTest_DDCaps", u"ハードウェア能力を表示"),
    Row(kDebug, u"actTest_SeekCapability", u"シーク能力を表示"),
    Row(kDebug, u"actTest_TimeFormatSupported", u"サポートタイムフォーマット表示"),
    Row(kDebug, u"actTest_DispTestForm", u"テストフォーム表示"),
    Row(kDebug, u"Action_Debug_DispEvent", u"イベントを表示").toggle(),
    Row(kDebug, u"actTest_DXVersionInfo", u"DirectXのバージョン表示"),
    Row(kDebug, u"actTest_CreateGrfFile", u"GraphEditファイル作成..."),
    Row(kDebug, u"actTest_LoadGrfFile", u"GraphEditファイル読み込み..."),
    Row(kDebug, u"Action_Debug_MessageMode", u"メッセージモード(&M)").toggle(),
};

constexpr std::array kExcludeRows{
    Row(kFileCmd, u"Action_FileCmd", u"ファイル操作(&C)"),
    Row(kSendTo, u"Action_SendTo", u"送る(&N)"),
    Row(kOpt, u"Action_OptNotLoadIni", u"設定ファイルを読み込まない").toggle(),
    Row(kZoom, u"Action_ZoomSelectVideoRenderer", u"ビデオレンダラ選択(&R)"),
    Row(kList, u"Action_ListReadTagNewest", u"常に最新のタグ情報をチェック(&N)").toggle(),
};

constexpr std::array kPlaylistRows{
    Row(kFile, u"actFile_Property", u"プロパティ(&R)"),
    Row(kFile, u"actFile_Close", u"閉じる(&C)").keys(Alt | KeyCode::F4),
    Row(kFileCmd, u"actFileCmd", u"ファイル操作(&C)"),
    Row(kFileCmd, u"actFileCmd_Rename", u"ファイル名変更(&N)..."),
    Row(kFileCmd, u"actFileCmd_MoveAs", u"名前を付けてファイル移動(&M)..."),
    Row(kFileCmd, u"actFileCmd_Move", u"ファイル移動(&V)..."),
    Row(kFileCmd, u"actFileCmd_CopyAs", u"名前を付けてファイルコピー(&S)..."),
    Row(kFileCmd, u"actFileCmd_Copy", u"ファイルコピー(&P)..."),
    Row(kFileCmd, u"actFileCmd_Trash", u"ごみ箱へ"),
    Row(kWindow, u"actWindow_Player", u"プレイヤーを表示(&P)"),
    Row(kListEdit, u"Action_List_Edit", u"リスト編集(&E)"),
    Row(kListEdit, u"actListEdit_Cut", u"切り取り(&T)"),
    Row(kListEdit, u"actListEdit_Copy", u"コピー(&C)"),
    Row(kListEdit, u"actListEdit_CopyFileName", u"ファイル名をコピー(&F)"),
    Row(kListEdit, u"actListEdit_CopyMediaPath", u"ファイルの場所をコピー(&P)"),
    Row(kListEdit, u"actListEdit_CopyMediaName", u"ファイルの名前をコピー(&N)"),
    Row(kListEdit, u"actListEdit_CopyMainFileName", u"主ファイル名をコピー(&M)"),
    Row(kListEdit, u"actListEdit_AppendCursor", u"追加(&P)"),
    Row(kListEdit, u"actListEdit_Delete", u"リストから削除(&D)"),
    Row(kListEdit, u"actListEdit_SelectAll", u"すべて選択(&A)"),
    Row(kSort, u"actSort", u"ソート(&S)"),
    Row(kSort, u"actSort_Track", u"トラック番号でソート(&K)"),
    Row(kSort, u"actSort_Artist", u"アーティスト名でソート(&A)"),
    Row(kSort, u"actSort_Album", u"アルバム名でソート(&B)"),
    Row(kSort, u"actSort_AlbumArtist", u"アルバムのアーティスト名でソート(&M)"),
    Row(kSort, u"actSort_Title", u"タイトルでソート(&T)"),
    Row(kSort, u"actSort_Composer", u"作曲家でソート(&C)"),
    Row(kSort, u"actSort_Writer", u"作詞家でソート(&W)"),
    Row(kSort, u"actSort_Conductor", u"指揮者でソート(&D)"),
    Row(kSort, u"actSort_Genre", u"ジャンルでソート(&G)"),
    Row(kSort, u"actSort_Length", u"長さでソート(&L)"),
    Row(kSort, u"actSort_VideoSize", u"ビデオの大きさでソート(&V)"),
    Row(kSort, u"actSort_VideoFrameRate", u"ビデオのフレームレートでソート(&R)"),
    Row(kSort, u"actSort_FileName", u"ファイル名でソート(&F)"),
    Row(kSort, u"actSort_MediaPath", u"場所でソート(&P)"),
    Row(kSort, u"actSort_MediaName", u"名前でソート(&N)"),
    Row(kSort, u"actSort_MediaExt", u"種類でソート(&E)"),
    Row(kSort, u"actSort_FileSize", u"ファイルサイズでソート(&Z)"),
    Row(kSort, u"actSort_FileWriteTime", u"更新日でソート(&W)"),
    Row(kSort, u"actSort_FileCreateTime", u"作成日でソート(&E)"),
    Row(kSort, u"actSort_Shuffle", u"シャッフル(&S)"),
    Row(kSort, u"actSort_PartOf", u"部分ソート(&S)"),
    Row(kListMove, u"actListMove", u"リスト移動(&M)"),
    Row(kListMove, u"actListMove_Up", u"1、上に移動"),
    Row(kListMove, u"actListMove_Down", u"1、下に移動"),
    Row(kListMove, u"actListMove_10Up", u"10、上に移動"),
    Row(kListMove, u"actListMove_10Down", u"10、下に移動"),
    Row(kListMove, u"actListMove_100Up", u"100、上に移動"),
    Row(kListMove, u"actListMove_100Down", u"100、下に移動"),
    Row(kListMove, u"actListMove_Top", u"1番上に移動"),
    Row(kListMove, u"actListMove_Bottom", u"1番下に移動"),
    Row(kFind, u"actFind_FindDown", u"下方検索"),
    Row(kFind, u"actFind_FindUp", u"上方検索"),
    Row(kFind, u"actFind_FindFileName", u"ファイル名を検索"),
    Row(kFind, u"actFind_FindMediaPath", u"ファイルの場所を検索"),
    Row(kFind, u"actFind_FindMediaName", u"ファイルの名前を検索"),
    Row(kFind, u"actFind_FindArtist", u"アーティスト名を検索(&A)"),
    Row(kFind, u"actFind_FindAlbum", u"アルバム名を検索(&B)"),
    Row(kFind, u"actFind_FindTitle", u"タイトルを検索(&T)"),
    Row(kFind, u"actFind_FindComposer", u"作曲家を検索(&C)"),
    Row(kFind, u"actFind_FindWriter", u"作詞家を検索(&W)"),
    Row(kFind, u"actFind_FindConductor", u"指揮者を検索(&D)"),
    Row(kPlay, u"actPlay_SelPlay", u"再生(&P)"),
    Row(kPlay, u"actPlay_GoToItemIndex", u"再生中のファイルへ移動(&G)"),
    Row(kDisp, u"actDisp_MediaInfo", u"メディア情報(&I)"),
    Row(kDisp, u"actDisp_Font", u"フォント(&F)..."),
    Row(kMenu, u"actMenu_PopupPlayer", u"プレーヤーメニューポップアップ"),
    Row(kMenu, u"actMenu_PopupPlaylist", u"メニューポップアップ"),
    Row(kInfoCopy, u"actInfo_CopyTitle", u"タイトルをコピー(&T)"),
    Row(kInfoCopy, u"actInfo_CopyArtist", u"アーティスト名をコピー(&A)"),
    Row(kInfoCopy, u"actInfo_CopyAlbum", u"アルバム名をコピー(&B)"),
    Row(kNetSearch, u"Action_Search", u"ネット検索(&N)"),
    Row(kNetSearch, u"Action_SearchTitle", u"タイトルをネット検索(&T)"),
    Row(kNetSearch, u"Action_SearchArtist", u"アーティスト名をネット検索(&A)"),
    Row(kNetSearch, u"Action_SearchAlbum", u"アルバム名をネット検索(&B)"),
    Row(kNetSearch, u"Action_SearchComposer", u"作曲家をネット検索(&C)"),
    Row(kNetSearch, u"Action_SearchWriter", u"作詞家をネット検索(&W)"),
    Row(kNetSearch, u"Action_SearchConductor", u"指揮者をネット検索(&D)"),
    Row(kNetSearch, u"Action_SearchSelectSite", u"サイト選択(&S)"),
};

// The find box's commands. actEdit_Tab carries the Tab keys of the box and has no category.
constexpr std::array kEditRows{
    Row(QStringView(), u"actEdit_Tab", u"actEdit_Tab")
        .keys(KeyCode::Tab).secondary(KeyCode::Shift | KeyCode::Tab).noImage(),
    Row(kEdit, u"actEdit_Undo", u"元に戻す(&U)"),
    Row(kEdit, u"actEdit_Redo", u"やり直し(&R)"),
    Row(kEdit, u"actEdit_Cut", u"切り取り(&T)"),
    Row(kEdit, u"actEdit_Copy", u"コピー(&C)"),
    Row(kEdit, u"actEdit_Paste", u"貼り付け(&P)"),
    Row(kEdit, u"actEdit_Delete", u"削除(&D)"),
    Row(kEdit, u"actEdit_SelectAll", u"すべて選択(&A)"),
};

constexpr auto kMainList = Numbered(kMainRows, 0);
constexpr int kExcludeImages = ImagesEnd(kMainList, 0);
constexpr auto kExcludeList = Numbered(kExcludeRows, kExcludeImages);
constexpr int kPlaylistImages = ImagesEnd(kExcludeList, kExcludeImages);
constexpr auto kPlaylistList = Numbered(kPlaylistRows, kPlaylistImages);
constexpr int kEditImages = ImagesEnd(kPlaylistList, kPlaylistImages);
constexpr auto kEditList = Numbered(kEditRows, kEditImages);
constexpr int kImageCount = ImagesEnd(kEditList, kEditImages);

static_assert(kMainList.size() == 112);
static_assert(kExcludeList.size() == 5);
static_assert(kPlaylistList.size() == 79);
static_assert(kEditList.size() == 8);

} // namespace

QList<quint16> TMyCommandDef::SecondaryKeys() const
{
    QList<quint16> keys;
    for (quint16 k : SecondaryShortCuts) {
        if (k)
            keys.append(k);
    }
    return keys;
}

bool TMyCommandDef::IsSeparator() const { return Category == kSeparator; }

std::span<const TMyCommandDef> CommandList(TMyCommandList list)
{
    switch (list) {
    case TMyCommandList::ActionList_Main:
        return kMainList;
    case TMyCommandList::ActionList_Exclude:
        return kExcludeList;
    case TMyCommandList::ActionList1:
        return kPlaylistList;
    case TMyCommandList::ActionList_Edit:
        return kEditList;
    }
    return {};
}

QString CommandListName(TMyCommandList list)
{
    switch (list) {
    case TMyCommandList::ActionList_Main:
        return QStringLiteral("ActionList_Main");
    case TMyCommandList::ActionList_Exclude:
        return QStringLiteral("ActionList_Exclude");
    case TMyCommandList::ActionList1:
        return QStringLiteral("ActionList1");
    case TMyCommandList::ActionList_Edit:
        return QStringLiteral("ActionList_Edit");
    }
    return QString();
}

const TMyCommandDef *FindCommandIn(TMyCommandList list, QStringView name)
{
    for (const TMyCommandDef &c : CommandList(list)) {
        if (c.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

const TMyCommandDef *FindCommand(QStringView name)
{
    return FindCommandIn(TMyCommandList::ActionList_Main, name);
}

QString RemoveAcceleratorMarker(QStringView caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            out += u'&';
            ++i;
        }
    }
    return out;
}

QString CommandDisplayName(const TMyCommandDef *command)
{
    if (!command)
        return QString();
    if (command->IsSeparator())
        return kSeparator.toString();
    return command->Category.toString() + u'/' + RemoveAcceleratorMarker(command->Caption);
}

QString CommandDisplayName(QStringView name) { return CommandDisplayName(FindCommand(name)); }

int CommandImageCount() { return kImageCount; }
