#include "playlist/playlistimages.h"

#include "widgets/glyphicons.h"

#include <QHash>
#include <QString>

namespace {

using G = TMyGlyph;

constexpr TMyCommandGlyph kImages[] = {
    {u"actPlay_SelPlay", G::Play},
    {u"actPlay_GoToItemIndex", G::GoToPlaying},
    {u"actFind_FindUp", G::FindUp},
    {u"actFind_FindDown", G::FindDown},
    {u"actListEdit_Cut", G::Cut},
    {u"actListEdit_Copy", G::Copy},
    {u"actListEdit_CopyFileName", G::Copy},
    {u"actListEdit_CopyMediaPath", G::Copy},
    {u"actListEdit_CopyMediaName", G::Copy},
    {u"actListEdit_CopyMainFileName", G::Copy},
    {u"actListEdit_AppendCursor", G::Paste},
    {u"actListEdit_Delete", G::Delete},
    {u"actSort", G::Sort},
    {u"actListMove", G::MoveList},
    {u"actListMove_Top", G::MoveTop},
    {u"actListMove_100Up", G::MoveUp100},
    {u"actListMove_10Up", G::MoveUp10},
    {u"actListMove_Up", G::MoveUp},
    {u"actListMove_Down", G::MoveDown},
    {u"actListMove_10Down", G::MoveDown10},
    {u"actListMove_100Down", G::MoveDown100},
    {u"actListMove_Bottom", G::MoveBottom},
    {u"actDisp_MediaInfo", G::InfoPanel},
    {u"actWindow_Player", G::PlayerWindow},
    {u"actFile_Property", G::Property},
    {u"actFileCmd", G::FileCmd},
    {u"actFileCmd_Rename", G::Rename},
    {u"actFileCmd_MoveAs", G::MoveFile},
    {u"actFileCmd_Move", G::MoveFile},
    {u"actFileCmd_CopyAs", G::CopyFile},
    {u"actFileCmd_Copy", G::CopyFile},
    {u"actFileCmd_Trash", G::Trash},
    {u"Action_Search", G::Search},
    {u"Action_SearchTitle", G::Search},
    {u"Action_SearchArtist", G::Search},
    {u"Action_SearchAlbum", G::Search},
    {u"Action_SearchComposer", G::Search},
    {u"Action_SearchWriter", G::Search},
    {u"Action_SearchConductor", G::Search},
    {u"Action_SearchSelectSite", G::Search},
    {u"actMenu_PopupPlayer", G::MenuPopup},
    {u"actMenu_PopupPlaylist", G::MenuPopup},
    {u"actEdit_Cut", G::Cut},
    {u"actEdit_Copy", G::Copy},
    {u"actEdit_Paste", G::Paste},
};

} // namespace

QIcon PlaylistCommandIcon(QStringView commandName)
{
    static const QHash<QString, QIcon> icons = CommandGlyphIcons(kImages);
    return icons.value(commandName.toString().toLower());
}
