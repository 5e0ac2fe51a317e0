#include "custom/actionbuilder.h"

#include "custom/keycodes.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>

namespace {

// Group 1 holds the screen modes, which may all be off; the others are radio groups.
constexpr int kOptionalGroup = 1;

QKeySequence SequenceOf(quint16 code)
{
    const std::optional<QKeyCombination> key = QtKeyFromKeyCode(code);
    return key ? QKeySequence(*key) : QKeySequence();
}

} // namespace

TMyActionBuilder::TMyActionBuilder(QObject *parent) : QObject(parent) {}

TMyActionBuilder::~TMyActionBuilder() = default;

QList<QAction *> TMyActionBuilder::AddList(TMyCommandList list)
{
    if (!Actions(list).isEmpty())
        return Actions(list);
    const bool plainKeysAreBindings = list == TMyCommandList::ActionList_Main;
    QList<QAction *> made;
    for (const TMyCommandDef &def : CommandList(list)) {
        auto *a = new QAction(def.Caption.toString(), this);
        a->setObjectName(def.Name.toString());
        a->setStatusTip(def.Hint.toString());
        a->setToolTip(def.Hint.toString());
        a->setData(def.Tag);
        a->setSeparator(def.IsSeparator());

        QList<QKeySequence> keys;
        if (def.ShortCut) {
            const QKeySequence primary = SequenceOf(def.ShortCut);
            if (!primary.isEmpty())
                keys.append(primary);
        }
        if (!plainKeysAreBindings) {
            for (quint16 code : def.SecondaryKeys()) {
                const QKeySequence more = SequenceOf(code);
                if (!more.isEmpty())
                    keys.append(more);
            }
        }
        a->setShortcuts(keys);

        a->setCheckable(def.AutoCheck || def.GroupIndex != 0);
        if (def.GroupIndex != 0) {
            QActionGroup *&g = m_groups[def.GroupIndex];
            if (!g) {
                g = new QActionGroup(this);
                g->setObjectName(QStringLiteral("Group%1").arg(def.GroupIndex));
                g->setExclusionPolicy(def.GroupIndex == kOptionalGroup
                                          ? QActionGroup::ExclusionPolicy::ExclusiveOptional
                                          : QActionGroup::ExclusionPolicy::Exclusive);
            }
            g->addAction(a);
        }
        a->setChecked(def.Checked);
        a->setEnabled(def.Enabled);
        a->setVisible(def.Visible);

        const qsizetype index = m_entries.size();
        connect(a, &QAction::triggered, this, [this, index] { Run(index); });
        m_byName.insert(def.Name.toString().toLower(), index);
        m_entries.append({a, &def, list, {}});
        made.append(a);
    }
    return made;
}

TMyActionBuilder::Entry *TMyActionBuilder::Find(QStringView name)
{
    const auto it = m_byName.constFind(name.toString().toLower());
    return it == m_byName.cend() ? nullptr : &m_entries[*it];
}

const TMyActionBuilder::Entry *TMyActionBuilder::Find(QStringView name) const
{
    return const_cast<TMyActionBuilder *>(this)->Find(name);
}

QAction *TMyActionBuilder::Action(QStringView name) const
{
    const Entry *e = Find(name);
    return e ? e->action : nullptr;
}

QList<QAction *> TMyActionBuilder::Actions(TMyCommandList list) const
{
    QList<QAction *> out;
    for (const Entry &e : m_entries) {
        if (e.list == list)
            out.append(e.action);
    }
    return out;
}

const TMyCommandDef *TMyActionBuilder::Definition(const QAction *action) const
{
    if (!action)
        return nullptr;
    const Entry *e = Find(action->objectName());
    return e && e->action == action ? e->def : nullptr;
}

QActionGroup *TMyActionBuilder::Group(int groupIndex) const { return m_groups.value(groupIndex); }

bool TMyActionBuilder::Attach(QStringView name, TMyCommandHandler handler)
{
    Entry *e = Find(name);
    if (!e)
        return false;
    e->handler = std::move(handler);
    return true;
}

bool TMyActionBuilder::Execute(QStringView name, QObject *sender) const
{
    const Entry *e = Find(name);
    if (!e || !e->handler)
        return false;
    const TMyCommandHandler handler = e->handler;  // the handler may replace itself
    handler(sender);
    return true;
}

QStringList TMyActionBuilder::Unhandled() const
{
    QStringList names;
    for (const Entry &e : m_entries) {
        if (!e.handler && !e.def->IsSeparator())
            names.append(e.def->Name.toString());
    }
    return names;
}

void TMyActionBuilder::Run(qsizetype index)
{
    const Entry &e = m_entries[index];
    if (!e.handler)
        return;
    const TMyCommandHandler handler = e.handler;  // the handler may replace itself
    handler(e.action);
}
