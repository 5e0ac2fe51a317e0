#include "platform/files.h"
#include "support/tempdir.h"

#include <QDir>
#include <QSaveFile>

#include <gtest/gtest.h>

namespace {

TEST(CommitSaveFile, ReplacesTheFileAndLeavesNothingElse)
{
    TestDir dir;
    const QString target = dir.Write(QStringLiteral("list.m3u8"), "old contents that are longer\n");
    for (const QByteArray &contents : {QByteArray("new\n"), QByteArray("newer, and longer than before\n")}) {
        QSaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
        EXPECT_TRUE(platform::CommitSaveFile(file));
        EXPECT_EQ(TestDir::Read(target), contents);
        // The temporary file was renamed, not left beside the target.
        EXPECT_EQ(QDir(dir.Root()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  QStringList{QStringLiteral("list.m3u8")});
    }

    // A failed write reports failure and keeps the old file.
    QSaveFile failed(target);
    ASSERT_TRUE(failed.open(QIODevice::WriteOnly));
    failed.write("half");
    failed.cancelWriting();
    EXPECT_FALSE(platform::CommitSaveFile(failed));
    EXPECT_EQ(TestDir::Read(target), QByteArray("newer, and longer than before\n"));
    EXPECT_EQ(QDir(dir.Root()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);

    // No folder, no file.
    QSaveFile nowhere(dir.Path(QStringLiteral("no/such/folder/x.txt")));
    EXPECT_FALSE(nowhere.open(QIODevice::WriteOnly) && platform::CommitSaveFile(nowhere));
}

TEST(SyncFolder, ExistingFoldersOnly)
{
    TestDir dir;
    EXPECT_TRUE(platform::SyncFolder(dir.Root()));
    EXPECT_FALSE(platform::SyncFolder(dir.Path(QStringLiteral("missing"))));
    EXPECT_FALSE(platform::SyncFolder(dir.Write(QStringLiteral("file"), "x")));
}

} // namespace
