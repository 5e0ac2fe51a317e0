#pragma once
// The texts windows and processes send each other through message panels. Each one is a
// command line; a path or other free text inside one always goes through QuotePanelText, so a
// file name holding quotes or blanks (even `a" /EXIT.mp3`) stays one argument.

#include "platform/messagepanel.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The text in double quotes, its own quotes doubled.
QString QuotePanelText(QStringView text);

// The program arguments of a new sub-player: "/SUBPLAYER /FROM:<panel>".
QStringList SubPlayerArguments(platform::PanelHandle mainPanel);
// The sub-player's answer: "/TO_SUBPLAYER:<panel>".
QString ToSubPlayerText(platform::PanelHandle subPlayerPanel);
// The program arguments of a property window process: /property "<path>".
QStringList PropertyArguments(const QString &path);
// The same as one text: /property "<path>".
QString PropertyCommandText(const QString &path);
// A tag-write notice with the whole switch quoted: "/PROPERTY_ONSTARTWRITE:<path>" and its
// siblings; word is the switch name without "/".
QString PropertyWriteNotice(const QString &word, const QString &path);
// The rename notice: /rename "<old>" "<new>".
QString RenameNoticeText(const QString &oldPath, const QString &newPath);
// "/FROM:<panel> /SEARCHINDEX:<index>".
QString SearchIndexText(platform::PanelHandle from, int index);
// /FROM:<panel> "/SEARCHLIST_CHANGE:<text>".
QString SearchListChangeText(platform::PanelHandle from, const QString &text);
