#pragma once
// A player port over a real playlist that records what the playlist window asks of the player
// instead of playing anything.
#include "engine/dsplayer.h"
#include "platform/uihooks.h"
#include "playlist/playerport.h"

#include <QApplication>
#include <QStringList>

#include <algorithm>
#include <memory>

class FakePlayer : public TMyPlayerPort {
public:
    FakePlayer() : player(std::make_unique<TMyDSPlayer>())
    {
        player->OnMediaDeleted = [this](TMyDirectShowPlayer *) { Q_EMIT listChanged(); };
    }

    TMyDSPlaylist *Playlist() const override { return player->Playlist(); }
    int ItemIndex() const override { return player->ItemIndex; }
    void SetItemIndex(int index) override { player->ItemIndex = index; }
    int PlayState() const override { return state; }
    void PlayIndex(int index) override
    {
        log << QStringLiteral("PlayIndex:%1").arg(index);
        player->ItemIndex = std::clamp(index, 0, std::max(Playlist()->Count() - 1, 0));
        state = 3;
    }
    void Close() override
    {
        log << QStringLiteral("Close");
        state = 1;
    }
    void OpenAndPlay(const QString &fileName) override { log << QStringLiteral("OpenAndPlay:") + fileName; }
    int NextIndex(int step) const override { return player->NextIndex(step); }
    void EnterBusy() override { ++busy; }
    bool LeaveBusy() override { return --busy > 0; }
    bool IsBusy() const override { return busy > 0; }
    void DropFiles(const QStringList &paths) override { log << QStringLiteral("Drop:") + paths.join(QLatin1Char('|')); }
    bool TargetsPlayingMedia() const override { return targetsPlaying; }
    TMyPlayingTags PlayingTags() const override { return {}; }
    bool ReadTagEnabled() const override { return readTag; }
    void ShowProperty(const QString &fileName) override { log << QStringLiteral("Property:") + fileName; }

    // Entries named "/m/<name>" with a tag record each (as a folder search gives them).
    void Fill(const QStringList &names)
    {
        for (const QString &n : names) {
            const QString path = QStringLiteral("/m/") + n;
            Playlist()->AddObject(path, Playlist()->CreateTagFor(path));
        }
    }
    // The entries' names in list order, joined by blanks.
    QString Names() const
    {
        QStringList names;
        for (int i = 0; i < Playlist()->Count(); ++i)
            names << Playlist()->Get(i).mid(3);
        return names.join(QLatin1Char(' '));
    }
    QString Playing() const
    {
        const int i = player->ItemIndex;
        return i >= 0 && i < Playlist()->Count() ? Playlist()->Get(i).mid(3) : QString();
    }

    std::unique_ptr<TMyDSPlayer> player;
    QStringList log;
    int state = 1;
    int busy = 0;
    bool targetsPlaying = false;
    bool readTag = false;
};

// The offscreen application, made once per test program.
inline void EnsureApplication(const char *name)
{
    static int argc = 1;
    static char *argv[] = {const_cast<char *>(name), nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}
