#pragma once
// The grid of the playlist window (user-interface thread): a table model that reads the player's
// playlist when rows are painted and keeps no copy of them, the delegate that marks the playing
// row, and the header that shows the sort marker, draws its pressed look and sorts on a press and
// release over the same column.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class TMyWStrings;

// The text of a cell: "№" column the row number, "名前" the file name, "場所" the folder without
// its trailing separator; empty past the end of the list (the empty list's one row).
QString PlaylistCellText(const TMyWStrings &list, int row, int column);

class TMyPlaylistModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TMyPlaylistModel(QObject *parent = nullptr);

    void SetList(const TMyWStrings *list);
    const TMyWStrings *List() const { return m_list; }
    // The header's marker: shown after the caption of the column (1 or 2) when it matches.
    void SetSortMarker(int column, const QString &marker);
    QString HeaderCaption(int column) const;

    // One refresh of everything after the list changed.
    void Refresh();
    // The rows' texts changed (tags read), not the row count.
    void RowsChanged(int first, int last);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const TMyWStrings *m_list = nullptr;
    int m_markerColumn = 0;
    QString m_marker;
};

// Paints the cells: the number column in the header's colours, the playing row's number
// inverted with lines along the row's top and bottom; a line along every cell's right edge.
class TMyPlaylistDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TMyPlaylistDelegate(QObject *parent = nullptr);
    // The row of the playing entry, -1 for none.
    std::function<int()> PlayingRow;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

class TMyPlaylistHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TMyPlaylistHeader(QWidget *parent = nullptr);
    // The column (1 or 2) held down by the left button, -1 when none.
    int PressedHeaderColumn = -1;

Q_SIGNALS:
    // A left press and release over the same column 1 or 2.
    void sortClicked(int column);
    // A left click on "№" or a right click anywhere on the header.
    void sortMenuRequested(const QPoint &globalPos);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool OnSectionEdge(const QPoint &pos) const;
    bool m_pressedInside = false;
};

// The grid's view. Rows are selected whole, so bringing the current cell into view scrolls the
// grid up and down but not sideways, except for a key that moves the current cell to another
// column: on a window narrower than the name column every new current row would otherwise
// scroll the row numbers out of view.
class TMyPlaylistView : public QTableView {
    Q_OBJECT
public:
    explicit TMyPlaylistView(QWidget *parent = nullptr);
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_columnMove = false;  // a key is moving the current cell to another column
};
