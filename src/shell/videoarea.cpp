#include "shell/videoarea.h"

#include "engine/dsplayer.h"

#include <QMainWindow>
#include <QPainter>

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
    winId();
    m_player->SetVideoOwner(windowHandle());
}

TMyVideoArea::~TMyVideoArea()
{
    // Work over the playlist ends first, then the player stops before the window it draws into goes.
    if (OnListReplacing)
        OnListReplacing();
    OnListReplacing = nullptr;
    delete m_player;
    m_player = nullptr;
}

void TMyVideoArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kVideoBackground);
}

TMyVideoArea *VideoAreaOf(QMainWindow *window)
{
    if (auto *area = qobject_cast<TMyVideoArea *>(window->centralWidget()))
        return area;
    // A window that lays out panels around it holds the area inside its central widget.
    if (auto *area = window->findChild<TMyVideoArea *>(QStringLiteral("pnlVideo")))
        return area;
    auto *area = new TMyVideoArea(window);
    window->setCentralWidget(area);
    return area;
}
