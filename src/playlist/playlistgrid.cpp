#include "playlist/playlistgrid.h"

#include "lists/fileutils.h"
#include "lists/mywstrings.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

QString PlaylistCellText(const TMyWStrings &list, int row, int column)
{
    if (row < 0 || row >= list.Count())
        return {};
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return ExtractFileName(list.Get(row));
    case 2:
        return ExtractFileDir(list.Get(row));
    }
    return {};
}

// ---- TMyPlaylistModel ---------------------------------------------------------------------------

TMyPlaylistModel::TMyPlaylistModel(QObject *parent) : QAbstractTableModel(parent) {}

void TMyPlaylistModel::SetList(const TMyWStrings *list)
{
    beginResetModel();
    m_list = list;
    endResetModel();
}

void TMyPlaylistModel::SetSortMarker(int column, const QString &marker)
{
    if (column == m_markerColumn && marker == m_marker)
        return;
    m_markerColumn = column;
    m_marker = marker;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 2);
}

QString TMyPlaylistModel::HeaderCaption(int column) const
{
    static const QString captions[] = {QStringLiteral("№"), QStringLiteral("名前"), QStringLiteral("場所")};
    if (column < 0 || column > 2)
        return {};
    QString text = captions[column];
    if (column != 0 && column == m_markerColumn)
        text += m_marker;
    return text;
}

void TMyPlaylistModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

void TMyPlaylistModel::RowsChanged(int first, int last)
{
    if (first > last)
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, 2), {Qt::DisplayRole});
}

int TMyPlaylistModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return std::max(m_list ? m_list->Count() : 0, 1);
}

int TMyPlaylistModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant TMyPlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!m_list || !index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return PlaylistCellText(*m_list, index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

QVariant TMyPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return HeaderCaption(section);
    return {};
}

// ---- TMyPlaylistDelegate ------------------------------------------------------------------------

TMyPlaylistDelegate::TMyPlaylistDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void TMyPlaylistDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QPalette &pal = option.palette;
    const QRect r = option.rect;
    const bool playing = PlayingRow && index.row() == PlayingRow();
    const bool selected = option.state & QStyle::State_Selected;
    QColor brush, text;
    if (index.column() == 0) {
        brush = playing ? pal.color(QPalette::WindowText) : pal.color(QPalette::Button);
        text = playing ? pal.color(QPalette::Button) : pal.color(QPalette::ButtonText);
    } else if (selected) {
        brush = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    } else {
        brush = pal.color(QPalette::Base);
        text = pal.color(QPalette::Text);
    }
    painter->save();
    painter->fillRect(r, brush);
    const QString cell = index.data(Qt::DisplayRole).toString();
    painter->setPen(text);
    if (index.column() == 0)
        painter->drawText(r.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, cell);
    else
        painter->drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cell);
    if (playing) {
        painter->setPen(pal.color(QPalette::WindowText));
        painter->drawLine(r.left(), r.top(), r.right(), r.top());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }
    painter->setPen(pal.color(QPalette::Dark));
    painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter->restore();
}

// ---- TMyPlaylistHeader --------------------------------------------------------------------------

TMyPlaylistHeader::TMyPlaylistHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMouseTracking(true);
}

bool TMyPlaylistHeader::OnSectionEdge(const QPoint &pos) const
{
    // Within a few pixels of a column's edge the press resizes the column.
    for (int i = 0; i < count(); ++i) {
        const int right = sectionViewportPosition(i) + sectionSize(i);
        if (std::abs(pos.x() - right) <= 4)
            return true;
    }
    return false;
}

void TMyPlaylistHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QPalette &pal = palette();
    painter->save();
    painter->fillRect(rect, pal.color(QPalette::Button));
    QRect textRect = rect.adjusted(2, 0, -2, 0);
    const bool pressed = logicalIndex == PressedHeaderColumn && m_pressedInside;
    if (pressed) {
        textRect.translate(2, 2);
        painter->setPen(pal.color(QPalette::Dark));
        painter->drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
        painter->drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    }
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    painter->setPen(pal.color(QPalette::ButtonText));
    if (logicalIndex == 0) {
        painter->drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text);
    } else {
        const QString shown = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    painter->setPen(pal.color(QPalette::Dark));
    painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter->drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter->restore();
}

void TMyPlaylistHeader::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int column = logicalIndexAt(pos);
    if (event->button() == Qt::LeftButton && (column == 1 || column == 2) && !OnSectionEdge(pos)) {
        PressedHeaderColumn = column;
        m_pressedInside = true;
        viewport()->update();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void TMyPlaylistHeader::mouseMoveEvent(QMouseEvent *event)
{
    if (PressedHeaderColumn >= 0) {
        const QPoint pos = event->position().toPoint();
        const bool inside = pos.y() >= 0 && pos.y() < height() && logicalIndexAt(pos) == PressedHeaderColumn;
        if (inside != m_pressedInside) {
            m_pressedInside = inside;
            viewport()->update();
        }
        return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void TMyPlaylistHeader::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (PressedHeaderColumn >= 0 && event->button() == Qt::LeftButton) {
        const int column = PressedHeaderColumn;
        const bool over = pos.y() >= 0 && pos.y() < height() && logicalIndexAt(pos) == column;
        PressedHeaderColumn = -1;
        m_pressedInside = false;
        viewport()->update();
        if (over)
            Q_EMIT sortClicked(column);
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        Q_EMIT sortMenuRequested(event->globalPosition().toPoint());
    else if (event->button() == Qt::LeftButton && logicalIndexAt(pos) == 0 && !OnSectionEdge(pos))
        Q_EMIT sortMenuRequested(mapToGlobal(QPoint(0, height())));
}

// ---- TMyPlaylistView ----------------------------------------------------------------------------

TMyPlaylistView::TMyPlaylistView(QWidget *parent) : QTableView(parent) {}

void TMyPlaylistView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *sideways = horizontalScrollBar();
    const int offset = sideways->value();
    QTableView::scrollTo(index, hint);
    if (!m_columnMove)
        sideways->setValue(offset);
}

QModelIndex TMyPlaylistView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
    const QModelIndex current = currentIndex();
    m_columnMove = next.isValid() && current.isValid() && next.column() != current.column();
    return next;
}

void TMyPlaylistView::keyPressEvent(QKeyEvent *event)
{
    QTableView::keyPressEvent(event);
    m_columnMove = false;
}
