#include "shell/videoarea.h"

#include "engine/dsplayer.h"

#include <QMainWindow>
#include <QPainter>
#include <QTimer>

namespace {

// The background behind video (the overlay colour key of the Windows build).
const QColor kVideoBackground(0x10, 0x00, 0x10);

} // namespace

TMyVideoArea::TMyVideoArea(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlVideo"));
    // A window of its own, so that the player can put its video window inside it.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
    m_player = new TMyDSPlayer(this);
    m_player->setObjectName(QStringLiteral("plyMedia"));
    m_player->OnMediaError = [this](TMyDirectShowPlayer *) { MediaError(); };
    m_player->OnMediaStart = [this](TMyDirectShowPlayer *) { m_failures = 0; };
    winId();
    m_player->SetVideoOwner(windowHandle());
}

TMyVideoArea::~TMyVideoArea()
{
    // Work over the playlist ends first, then the player stops before the window it draws into goes.
    if (OnListReplacing)
        OnListReplacing();
    OnListReplacing = nullptr;
    OnListLoaded = nullptr;
    delete m_player;
    m_player = nullptr;
}

void TMyVideoArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kVideoBackground);
}

void TMyVideoArea::MediaError()
{
    // Later, not inside the player's own opening: skip to the next entry while some may play.
    ++m_failures;
    if (m_failures >= m_player->EntryCount())
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_player && m_player->EntryCount() > 1)
            m_player->PlayNext();
    });
}

TMyVideoArea *VideoAreaOf(QMainWindow *window)
{
    if (auto *area = qobject_cast<TMyVideoArea *>(window->centralWidget()))
        return area;
    auto *area = new TMyVideoArea(window);
    window->setCentralWidget(area);
    return area;
}
