#pragma once
// A music tree of 100,000 files in 1,000 folders, made once per run in a temporary folder
// (TMPDIR; on a slow disk point it at a tmpfs): numbered names in several notations, one file
// in ten with an extension the media filters refuse.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

constexpr int kArtists = 50;
constexpr int kAlbums = 20;  // per artist: 1,000 folders
constexpr int kTracks = 100; // per album: 100,000 files

struct Tree {
    QTemporaryDir dir;
    QString root;
    bool ok = false;
    Tree()
    {
        static const char16_t *const words[] = {u"曲", u"Track", u"第", u"ライブ", u"Best of", u"ｱﾆﾒ", u"テーマ"};
        std::mt19937 rng(7);
        root = dir.path() + QStringLiteral("/music");
        ok = dir.isValid();
        for (int a = 1; a <= kArtists && ok; ++a) {
            for (int b = 1; b <= kAlbums && ok; ++b) {
                const QString folder = QStringLiteral("%1/Artist %2/Album %3").arg(root).arg(a).arg(b);
                ok = QDir().mkpath(folder);
                for (int t = 1; t <= kTracks && ok; ++t) {
                    // One file in ten has an extension the filter refuses.
                    const char *ext = t % 10 == 0 ? ".txt" : ".mp3";
                    const QString name = QStringLiteral("%1/%2 %3 %4%5")
                                             .arg(folder)
                                             .arg(t)
                                             .arg(QString::fromUtf16(words[rng() % 7]))
                                             .arg(rng() % 1000)
                                             .arg(QLatin1String(ext));
                    QFile f(name);
                    ok = f.open(QIODevice::WriteOnly);
                }
            }
        }
    }
};

inline Tree &TheTree()
{
    static Tree tree;
    return tree;
}

// The tree, or null (the bench is skipped with an error) when it could not be made.
inline Tree *TreeOrSkip(benchmark::State &state)
{
    Tree &tree = TheTree();
    if (tree.ok)
        return &tree;
    state.SkipWithError("could not make the tree");
    return nullptr;
}
