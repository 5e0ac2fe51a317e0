#include "widgets/wraptoolbar.h"

#include <QActionEvent>
#include <QLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>

namespace {

// The divider between groups of buttons, drawn by the style as a tool bar's separator.
class T_MySeparator : public QWidget {
public:
    explicit T_MySeparator(QWidget *parent) : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    void SetHeight(int height)
    {
        m_height = height;
        updateGeometry();
    }
    // Whether its action is visible. The bar's layout shows it only where it stands between two
    // items of a row: at the start or the end of a row it would divide nothing.
    bool Wanted() const { return m_wanted; }
    void SetWanted(bool wanted)
    {
        m_wanted = wanted;
        if (!wanted)
            hide();
    }
    QSize sizeHint() const override
    {
        return QSize(style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, this), m_height);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter, this);
    }

private:
    int m_height = 22;
    bool m_wanted = true;
};

} // namespace

// Lays its items out left to right and starts a new row where the next item would not fit.
class T_MyFlowLayout : public QLayout {
public:
    explicit T_MyFlowLayout(QWidget *parent) : QLayout(parent) {}
    ~T_MyFlowLayout() override
    {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }

    void InsertWidget(int index, QWidget *widget)
    {
        addChildWidget(widget);
        m_items.insert(std::clamp(index, 0, int(m_items.size())), new QWidgetItem(widget));
        invalidate();
    }
    int Rows(int width) const { return Arrange(QRect(0, 0, width, 0), false).rows; }

    void addItem(QLayoutItem *item) override { m_items.append(item); }
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false).height; }
    // Everything in one row.
    QSize sizeHint() const override
    {
        const Arranged oneRow = Arrange(QRect(0, 0, QWIDGETSIZE_MAX / 2, 0), false);
        const QMargins margins = contentsMargins();
        return QSize(oneRow.width + margins.left() + margins.right(), oneRow.height);
    }
    // The widest item decides.
    QSize minimumSize() const override
    {
        QSize size(0, 0);
        for (const QLayoutItem *item : m_items) {
            if (!Skipped(item) && !Divider(item))
                size = size.expandedTo(item->minimumSize());
        }
        return size.grownBy(contentsMargins());
    }
    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        Arrange(rect, true);
    }

private:
    struct Arranged {
        int height = 0;
        int rows = 0;
        int width = 0;  // of the widest row
    };

    static T_MySeparator *Divider(const QLayoutItem *item)
    {
        return dynamic_cast<T_MySeparator *>(item->widget());
    }
    // A hidden action's item. A divider is judged by its action, not by whether the layout has
    // hidden it at a row's end.
    static bool Skipped(const QLayoutItem *item)
    {
        const T_MySeparator *divider = Divider(item);
        return divider ? !divider->Wanted() : item->isEmpty();
    }
    // The item's size; a divider the layout has hidden keeps its own.
    static QSize HintOf(const QLayoutItem *item)
    {
        const T_MySeparator *divider = Divider(item);
        return divider ? divider->sizeHint() : item->sizeHint();
    }

    // Places the items in rect when apply is set; the height they take and their rows. Dividers
    // that would start or end a row take no room there and are hidden, and so are all but the
    // first of dividers next to each other (the buttons between them hidden).
    Arranged Arrange(const QRect &rect, bool apply) const
    {
        const QMargins margins = contentsMargins();
        const QRect area = rect.marginsRemoved(margins);
        const int gap = std::max(0, spacing());
        Arranged result;
        int y = area.y();
        QList<QLayoutItem *> row;
        int rowWidth = 0;
        QList<QLayoutItem *> dividers;  // wanted, waiting for the item after them
        int dividerWidth = 0;           // of the first, with the gap after it
        QList<T_MySeparator *> dropped;
        const auto endRow = [&] {
            int height = 0;
            int expanding = 0;
            for (const QLayoutItem *item : row) {
                height = std::max(height, HintOf(item).height());
                expanding += (item->expandingDirections() & Qt::Horizontal) ? 1 : 0;
            }
            if (apply) {
                int extra = std::max(0, area.width() - rowWidth);
                int x = area.x();
                for (QLayoutItem *item : row) {
                    QSize size = HintOf(item);
                    if (expanding > 0 && (item->expandingDirections() & Qt::Horizontal)) {
                        const int share = extra / expanding;
                        extra -= share;
                        --expanding;
                        size.setWidth(std::min(size.width() + share, item->maximumSize().width()));
                    }
                    size.setHeight(std::min(size.height(), height));
                    const QRect place(QPoint(x, y + (height - size.height()) / 2), size);
                    if (T_MySeparator *divider = Divider(item)) {
                        // Placed directly: the layout item of a hidden widget ignores its place.
                        divider->setGeometry(place);
                        divider->setVisible(true);
                    } else {
                        item->setGeometry(place);
                    }
                    x += size.width() + gap;
                }
            }
            y += height + gap;
            ++result.rows;
            result.width = std::max(result.width, rowWidth);
            row.clear();
            rowWidth = 0;
        };
        const auto dropDividers = [&] {
            for (QLayoutItem *item : dividers)
                dropped << Divider(item);
            dividers.clear();
            dividerWidth = 0;
        };
        for (QLayoutItem *item : m_items) {
            if (Skipped(item))
                continue;
            const int width = HintOf(item).width();
            if (Divider(item)) {
                if (dividers.isEmpty())
                    dividerWidth = width + gap;
                dividers << item;
                continue;
            }
            if (row.isEmpty()) {
                dropDividers();  // they would start the row
            } else if (rowWidth + gap + dividerWidth + width > area.width()) {
                dropDividers();  // they would end this row or start the next
                endRow();
            } else if (!dividers.isEmpty()) {
                row.append(dividers.takeFirst());
                rowWidth += dividerWidth;
                dropDividers();  // one divides enough
            }
            rowWidth += (row.isEmpty() ? 0 : gap) + width;
            row.append(item);
        }
        dropDividers();  // after the last item
        if (!row.isEmpty())
            endRow();
        if (apply) {
            for (T_MySeparator *divider : dropped)
                divider->setVisible(false);
        }
        result.height = margins.top() + margins.bottom() + std::max(0, y - area.y() - gap);
        return result;
    }

    QList<QLayoutItem *> m_items;
};


TMyWrapToolBar::TMyWrapToolBar(QWidget *parent) : QWidget(parent)
{
    m_layout = new T_MyFlowLayout(this);
    const int margin = style()->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, this);
    m_layout->setContentsMargins(margin, margin, margin, margin);
    m_layout->setSpacing(style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, this));
}

void TMyWrapToolBar::SetButtonSize(QSize size)
{
    m_buttonSize = size;
    ApplyButtonLooks();
}

void TMyWrapToolBar::setIconSize(QSize size)
{
    m_iconSize = size;
    ApplyButtonLooks();
}

void TMyWrapToolBar::setToolButtonStyle(Qt::ToolButtonStyle style)
{
    m_style = style;
    ApplyButtonLooks();
}

QAction *TMyWrapToolBar::addWidget(QWidget *widget)
{
    auto *holder = new QWidgetAction(this);
    holder->setDefaultWidget(widget);
    addAction(holder);
    return holder;
}

int TMyWrapToolBar::RowCount() const { return m_layout->Rows(width()); }

void TMyWrapToolBar::actionEvent(QActionEvent *event)
{
    QAction *action = event->action();
    switch (event->type()) {
    case QEvent::ActionAdded: {
        QWidget *widget = NewItemWidget(action);
        if (!widget)
            break;
        m_widgets.insert(action, widget);
        int index = 0;
        for (QAction *a : actions()) {
            if (a == action)
                break;
            index += m_widgets.contains(a) ? 1 : 0;
        }
        m_layout->InsertWidget(index, widget);
        if (auto *divider = dynamic_cast<T_MySeparator *>(widget))
            divider->SetWanted(action->isVisible());  // the layout shows it where it divides
        else
            widget->setVisible(action->isVisible());
        break;
    }
    case QEvent::ActionChanged:
        // Most changes are of state (enabled, checked), which the button follows by itself.
        if (QWidget *widget = m_widgets.value(action); auto *divider = dynamic_cast<T_MySeparator *>(widget)) {
            if (divider->Wanted() != action->isVisible()) {
                divider->SetWanted(action->isVisible());
                m_layout->invalidate();
            }
        } else if (widget && widget->isHidden() == action->isVisible()) {
            widget->setVisible(action->isVisible());
        }
        break;
    case QEvent::ActionRemoved: {
        // The widget may be gone already (a widget action deletes its widget before it leaves).
        const QPointer<QWidget> widget = m_widgets.take(action);
        if (!widget)
            break;
        m_layout->removeWidget(widget);
        if (auto *holder = qobject_cast<QWidgetAction *>(action))
            holder->releaseWidget(widget);
        else
            delete widget;
        break;
    }
    default:
        break;
    }
    QWidget::actionEvent(event);
}

QWidget *TMyWrapToolBar::NewItemWidget(QAction *action)
{
    if (auto *holder = qobject_cast<QWidgetAction *>(action))
        return holder->requestWidget(this);
    QWidget *widget = nullptr;
    if (action->isSeparator()) {
        widget = new T_MySeparator(this);
    } else {
        auto *button = new QToolButton(this);
        button->setObjectName(action->objectName());
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setDefaultAction(action);
        widget = button;
    }
    ApplyButtonLook(widget);
    return widget;
}

void TMyWrapToolBar::ApplyButtonLooks() const
{
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it) {
        if (!qobject_cast<QWidgetAction *>(it.key()))
            ApplyButtonLook(it.value());
    }
}

void TMyWrapToolBar::ApplyButtonLook(QWidget *widget) const
{
    if (auto *separator = dynamic_cast<T_MySeparator *>(widget)) {
        separator->SetHeight(m_buttonSize.isValid() ? m_buttonSize.height() : m_iconSize.height() + 6);
        return;
    }
    auto *button = qobject_cast<QToolButton *>(widget);
    if (!button)
        return;
    button->setIconSize(m_iconSize);
    button->setToolButtonStyle(m_style);
    if (m_buttonSize.isValid()) {
        button->setFixedSize(m_buttonSize);
    } else {
        button->setMinimumSize(0, 0);
        button->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}
