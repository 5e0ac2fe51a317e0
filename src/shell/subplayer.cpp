#include "shell/subplayer.h"

#include "shell/mymessagepanel.h"
#include "shell/myparam.h"
#include "shell/paneltexts.h"
#include "platform/x11window.h"
#include "shellint/mywallvideo.h"

#include <QApplication>
#include <QTimer>

TApp_MEDIAPlayerSubForm::TApp_MEDIAPlayerSubForm(const QString &restOfCommandLine, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                          Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnBottomHint)
{
    // Every flag is set here once: changing flags later makes the window anew, and the player's
    // video window inside it would go with the old one.
    setObjectName(QStringLiteral("App_MEDIAPlayerSubForm"));
    resize(261, 160);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x10, 0x00, 0x10));
    setPalette(p);
    setAutoFillBackground(true);
    setWindowIcon(QApplication::windowIcon());
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window exists from the start (hidden): the player asks for its id to put video into it.
    platform::KeepForeignChildren(ToolkitX11Connection(), platform::NativeWindow(winId()));

    MyMessagePanel1 = new TMyMessagePanel(this, QStringLiteral("TApp_MEDIAPlayerSubForm"));
    MyMessagePanel1->OnTextChange = [this](TMyMessagePanel *sender, const QString &text) {
        MyMessagePanel1TextChange(sender, text);
    };
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TApp_MEDIAPlayerSubForm::Timer2Timer);

    MyMessagePanel1TextChange(MyMessagePanel1, restOfCommandLine);
    if (!m_closed)
        Timer2->start();
}

TApp_MEDIAPlayerSubForm::~TApp_MEDIAPlayerSubForm()
{
    platform::ForgetForeignChildren(platform::NativeWindow(internalWinId()));
}

void TApp_MEDIAPlayerSubForm::MyMessagePanel1TextChange(TMyMessagePanel *, const QString &text)
{
    const TMyParam param(text);
    if (param.HasSwitch(u"CLOSE")) {
        CloseSubPlayer();
        return;
    }
    if (const TMyParamOption *wall = param.FindSwitch(u"WALLVIDEO")) {
        if (const std::optional<QRect> rect = ParseWallVideoValue(wall->Value))
            ShowOnDesktop(*rect);
        return;
    }
    // FROM names the player only in a handshake ("/SUBPLAYER /FROM:<panel>"). The same word
    // rides on notices broadcast to every panel ("/FROM:<sender> /SEARCHINDEX:<n>", sent with 0
    // by a property window started without FROM); taking it from those would tie this process
    // to another window, or end it at the next tick while it carries the minimised player's video.
    for (const TMyParamOption &o : param.Options)
        if (o.IsSwitch && !o.NameIs(u"FROM") && !o.NameIs(u"SUBPLAYER"))
            return;
    if (const TMyParamOption *from = param.FindSwitch(u"FROM")) {
        FromWindow = from->ValueInt();
        SendPanelText(ToSubPlayerText(MyMessagePanel1->Handle()), FromWindow);
    }
}

void TApp_MEDIAPlayerSubForm::Timer2Timer()
{
    if (!platform::IsPanel(FromWindow)) {
        Timer2->stop();
        CloseSubPlayer();
    }
}

void TApp_MEDIAPlayerSubForm::ShowOnDesktop(const QRect &screenRect)
{
    if (screenRect.isEmpty()) {
        hide();
        return;
    }
    setGeometry(screenRect);
    // Without a window manager the window is stacked as asked: at the bottom, before it shows.
    lower();
    if (!isVisible()) {
        platform::MarkAsDesktopWindow(ToolkitX11Connection(), platform::NativeWindow(winId()));
        show();
        lower();
    }
}

void TApp_MEDIAPlayerSubForm::CloseSubPlayer()
{
    if (m_closed)
        return;
    m_closed = true;
    Timer2->stop();
    close();
    Q_EMIT Closed();
}
