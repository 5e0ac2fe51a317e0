#pragma once
// The application title: the name the program goes by as a whole while it runs (the playing
// media's title in the player, the shown file's name in a property window), beside the fixed
// product name of AppTitle.
//
// It is kept here and not in QGuiApplication's display name: on X11 Qt appends the display name
// to every window's title, which would turn the caption "title / artist" into
// "title / artist — title" and mark every other window of the process with the media's title.

#include <QString>

// Sets the application title; an empty text brings back the product name.
void SetApplicationTitle(const QString &title);
// The application title; the product name ("tavio") until one is set.
QString ApplicationTitle();
