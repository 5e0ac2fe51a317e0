#include "shell/mediaproperty.h"

#include "shell/appinfo.h"
#include "shell/mymessagepanel.h"
#include "shell/myparam.h"

#include <QLabel>
#include <QVBoxLayout>

TApp_MediaProperty::TApp_MediaProperty(const QString &path, QWidget *parent) : QWidget(parent), m_path(path)
{
    setObjectName(QStringLiteral("App_MediaProperty"));
    setWindowTitle(AppTitle());
    auto *layout = new QVBoxLayout(this);
    Label_FileName = new QLabel(path, this);
    Label_FileName->setObjectName(QStringLiteral("Label_FileName"));
    Label_FileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Label_FileName);
    resize(480, 160);

    MyMessagePanel1 = new TMyMessagePanel(this, QStringLiteral("TApp_MediaProperty"));
    MyMessagePanel1->SetShownFile(path);
    MyMessagePanel1->OnTextChange = [this](TMyMessagePanel *sender, const QString &text) {
        MyMessagePanel1TextChange(sender, text);
    };
}

TApp_MediaProperty::~TApp_MediaProperty() = default;

void TApp_MediaProperty::MyMessagePanel1TextChange(TMyMessagePanel *, const QString &text)
{
    const TMyParam param(text);
    if (param.HasSwitch(u"CLOSE"))
        close();
}
