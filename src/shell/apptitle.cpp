#include "shell/apptitle.h"

#include "shell/appinfo.h"

namespace {

QString &Title()
{
    static QString title;
    return title;
}

} // namespace

void SetApplicationTitle(const QString &title) { Title() = title; }

QString ApplicationTitle() { return Title().isEmpty() ? AppTitle() : Title(); }
