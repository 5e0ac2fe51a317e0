#include "widgets/commanditem.h"

TMyCommandItem::TMyCommandItem(const QString &componentName, QAction *command, QObject *parent) : QAction(parent)
{
    setObjectName(componentName);
    connect(this, &QAction::triggered, this, &TMyCommandItem::Run);
    SetCommand(command);
}

void TMyCommandItem::SetCommand(QAction *command)
{
    if (m_command)
        disconnect(m_command, nullptr, this, nullptr);
    m_command = command;
    if (m_command) {
        connect(m_command, &QAction::changed, this, &TMyCommandItem::Sync);
        connect(m_command, &QObject::destroyed, this, &TMyCommandItem::Sync);
    }
    Sync();
}

void TMyCommandItem::SetUserHidden(bool hidden)
{
    m_userHidden = hidden;
    Sync();
}

void TMyCommandItem::SetProgramHidden(bool hidden)
{
    m_programHidden = hidden;
    Sync();
}

void TMyCommandItem::SetShowsShortcut(bool show)
{
    m_showShortcut = show;
    Sync();
}

void TMyCommandItem::SetOwnCaption(const QString &caption)
{
    m_ownCaption = caption;
    Sync();
}

void TMyCommandItem::SetHolder(bool holder)
{
    m_holder = holder;
    Sync();
}

void TMyCommandItem::Sync()
{
    if (m_syncing)
        return;
    m_syncing = true;
    QString caption = m_ownCaption;
    bool visible = !m_userHidden && !m_programHidden;
    if (m_command) {
        if (caption.isEmpty())
            caption = m_command->text();
        if (!m_holder && m_showShortcut && !m_command->shortcut().isEmpty())
            caption += QLatin1Char('\t') + m_command->shortcut().toString(QKeySequence::NativeText);
        setIcon(m_command->icon());
        setStatusTip(m_command->statusTip());
        setToolTip(m_command->toolTip());
        visible = visible && m_command->isVisible();
        if (!m_holder) {
            setCheckable(m_command->isCheckable());
            setChecked(m_command->isChecked());
            setEnabled(m_command->isEnabled());
        } else {
            setCheckable(false);
            setEnabled(true);
        }
    }
    setText(caption);
    setVisible(visible);
    m_syncing = false;
}

void TMyCommandItem::Run()
{
    if (m_command && !m_holder)
        m_command->trigger();
    // A radio command that was already on stays on: the item's own toggle is undone here.
    Sync();
}

QAction *NewSeparatorItem(const QString &componentName, QObject *parent)
{
    auto *separator = new QAction(parent);
    separator->setObjectName(componentName);
    separator->setSeparator(true);
    return separator;
}
