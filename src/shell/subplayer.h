#pragma once
// The sub-player: a hidden second process that gives the player's video a live owner window
// while the player is minimised, and shows it on the desktop in wallpaper mode (asked with
// "/WALLVIDEO:..." over its panel, shellint/mywallvideo.h). It lives as long as the player's panel
// does. A video window of the player inside it outlives this process (X11 save-set): killed or
// not, the player gets its window back.

#include "platform/messagepanel.h"

#include <QWidget>

class QTimer;
class TMyMessagePanel;

class TApp_MEDIAPlayerSubForm : public QWidget {
    Q_OBJECT
public:
    // restOfCommandLine: this process's own command line after the program path, handled by
    // the panel handler at once ("/SUBPLAYER /FROM:<panel>").
    explicit TApp_MEDIAPlayerSubForm(const QString &restOfCommandLine, QWidget *parent = nullptr);
    ~TApp_MEDIAPlayerSubForm() override;

    void MyMessagePanel1TextChange(TMyMessagePanel *sender, const QString &text);
    void Timer2Timer();
    // Wallpaper mode: the window borderless over the screen rectangle as a desktop window, below
    // every other window; an empty rectangle hides it again.
    void ShowOnDesktop(const QRect &screenRect);

    TMyMessagePanel *MyMessagePanel1 = nullptr;
    QTimer *Timer2 = nullptr;
    platform::PanelHandle FromWindow = 0;

Q_SIGNALS:
    // The sub-player has closed; its process ends.
    void Closed();

private:
    void CloseSubPlayer();
    bool m_closed = false;
};
