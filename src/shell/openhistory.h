#pragma once
// The open histories of the player: the files, folders and single folders opened last, newest
// first, at most ten each. A history keeps the paths themselves (an "&" in a name is part of the
// name, not an accelerator marker); the menus that show them escape it.

#include <QString>
#include <QStringList>

class TMyIniFile;

class TMyOpenHistory {
public:
    static constexpr int kMaxItems = 10;

    // The settings section the history is kept in ("HISTORY_OPENFILE" and the like).
    explicit TMyOpenHistory(QString section) : m_section(std::move(section)) {}

    const QString &Section() const { return m_section; }
    const QStringList &Items() const { return m_items; }
    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.isEmpty(); }

    // Puts the path on top. A path already there (compared exactly, one trailing "/" ignored on
    // either side) moves up instead of appearing twice; the oldest item beyond ten goes. An
    // empty path is ignored.
    void AddHistory(const QString &path);
    void Clear() { m_items.clear(); }

    // Reads the section's lines, the first line ending on top; blank lines are dropped.
    void Load(TMyIniFile &ini);
    // Writes the items in menu order; an empty history erases the section.
    void Save(TMyIniFile &ini) const;

private:
    QString m_section;
    QStringList m_items;
};

// The path as a menu caption: "&" shown as itself.
QString HistoryMenuCaption(const QString &path);
