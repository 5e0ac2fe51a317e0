#pragma once
// TMyWrapToolBar: a tool bar whose items wrap to further rows when the bar is narrower than
// they are, where QToolBar would hide them behind an overflow arrow (user-interface thread).
//
// It works on the widget's actions as QToolBar does: every action added gets a flat tool button
// (a QWidgetAction its widget, a separator a divider), shown while the action is visible and
// placed in the actions' order. A divider that would start or end a row, or follow another,
// takes no room and is hidden there, as a tool bar hides one next to its overflow; it comes
// back where it divides again. Each row is as high as its tallest item, items are centred in
// it, and an item whose horizontal policy expands takes the room left at the end of its row.
// The bar reports its height for a width, so a box layout gives it the rows it needs.

#include <QHash>
#include <QPointer>
#include <QWidget>

class QAction;
class QActionEvent;
class T_MyFlowLayout;

class TMyWrapToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TMyWrapToolBar(QWidget *parent = nullptr);

    // The size of every button (made before or after); an invalid size leaves buttons at their
    // own size hints.
    void SetButtonSize(QSize size);
    QSize ButtonSize() const { return m_buttonSize; }
    void setIconSize(QSize size);
    QSize iconSize() const { return m_iconSize; }
    void setToolButtonStyle(Qt::ToolButtonStyle style);
    Qt::ToolButtonStyle toolButtonStyle() const { return m_style; }

    // Puts widget on the bar, held by a new action; returns that action.
    QAction *addWidget(QWidget *widget);
    // The button, divider or widget of an action of the bar; nullptr for other actions.
    QWidget *widgetForAction(QAction *action) const { return m_widgets.value(action); }
    // How many rows the visible items take at the bar's present width.
    int RowCount() const;

protected:
    void actionEvent(QActionEvent *event) override;

private:
    QWidget *NewItemWidget(QAction *action);
    // Size, icon size and style to the bar's own buttons and dividers (not to widgets put on it).
    void ApplyButtonLooks() const;
    void ApplyButtonLook(QWidget *widget) const;

    T_MyFlowLayout *m_layout = nullptr;
    QHash<QAction *, QPointer<QWidget>> m_widgets;
    QSize m_buttonSize;
    QSize m_iconSize{16, 16};
    Qt::ToolButtonStyle m_style = Qt::ToolButtonIconOnly;
};
