#include "shellint/mywallvideo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace {

TMyWallVideo *g_instance = nullptr;

} // namespace

xcb_connection_t *ToolkitX11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

QString WallVideoShowText(const QRect &r)
{
    return QStringLiteral("/WALLVIDEO:%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

QString WallVideoHideText() { return QStringLiteral("/WALLVIDEO:OFF"); }

std::optional<QRect> ParseWallVideoValue(const QString &value)
{
    const QString v = value.trimmed();
    if (v.compare(QLatin1String("OFF"), Qt::CaseInsensitive) == 0)
        return QRect();
    const QStringList parts = v.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        n[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (n[2] <= 0 || n[3] <= 0)
        return std::nullopt;
    return QRect(n[0], n[1], n[2], n[3]);
}

TMyWallVideo::TMyWallVideo(platform::PanelHandle host, quint32 keyColour) : Host(host), KeyColour(keyColour) {}

TMyWallVideo::~TMyWallVideo()
{
    if (g_instance == this)
        g_instance = nullptr;
    if (Host > 0)
        platform::DeliverPanelText(Host, WallVideoHideText());
}

TMyWallVideo *TMyWallVideo::Instance() { return g_instance; }

void TMyWallVideo::ShowWallVideo(platform::PanelHandle host, int monitorIndex, quint32 keyColour)
{
    if (!g_instance) {
        g_instance = new TMyWallVideo(host, keyColour);
    } else if (g_instance->Host != host) {
        // Another host took the video (the first one ended): the old one lets go of the screen.
        if (g_instance->Host > 0)
            platform::DeliverPanelText(g_instance->Host, WallVideoHideText());
        g_instance->Host = host;
        g_instance->Shown = QRect();
    }
    g_instance->ApplyWallVideo(monitorIndex);
}

void TMyWallVideo::HideWallVideo() { delete g_instance; }

void TMyWallVideo::ApplyWallVideo(int monitorIndex)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (monitorIndex < 0 || monitorIndex >= screens.size())
        monitorIndex = 0;
    MonitorIndex = monitorIndex;
    if (screens.isEmpty() || Host <= 0)
        return;
    Shown = screens[monitorIndex]->geometry();
    platform::DeliverPanelText(Host, WallVideoShowText(Shown));
}
