// The busy count turns user input away from every window but the dialog the long operation has
// opened; the dialog's own drop-down lists and completion lists are windows of their own and
// must still take the user's keys and clicks.
#include "shell/busycount.h"

#include "support/testapp.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QLineEdit>
#include <QStringListModel>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

class BusyCountTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApp(); }

    void SetUp() override
    {
        outside.setObjectName(QStringLiteral("outside"));
        outside.show();
        auto *layout = new QVBoxLayout(&dialog);
        edit = new QLineEdit(&dialog);
        combo = new QComboBox(&dialog);
        combo->addItems({QStringLiteral("オーディオ"), QStringLiteral("ビデオ"), QStringLiteral("すべて (*.*)")});
        layout->addWidget(edit);
        layout->addWidget(combo);
        auto *completer = new QCompleter(new QStringListModel({QStringLiteral("song1.mp3"), QStringLiteral("song2.mp3")}, &dialog), &dialog);
        edit->setCompleter(completer);
        busy.Enter();
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    }

    void TearDown() override
    {
        dialog.hide();
        busy.Leave();
    }

    TMyBusyCount busy;
    QLineEdit outside;
    QDialog dialog;
    QLineEdit *edit = nullptr;
    QComboBox *combo = nullptr;
};

TEST_F(BusyCountTest, OnlyTheDialogTakesKeys)
{
    QTest::keyClicks(&outside, QStringLiteral("x"));
    EXPECT_TRUE(outside.text().isEmpty());
    QTest::keyClicks(edit, QStringLiteral("s"));
    EXPECT_EQ(edit->text(), QStringLiteral("s"));
    // Once the count is down, every window takes input again.
    busy.Leave();
    QTest::keyClicks(&outside, QStringLiteral("x"));
    EXPECT_EQ(outside.text(), QStringLiteral("x"));
    busy.Enter();
}

TEST_F(BusyCountTest, TheDialogsCompletionListCanBeLeft)
{
    edit->completer()->setCompletionPrefix(QStringLiteral("s"));
    edit->completer()->complete();
    QAbstractItemView *popup = edit->completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    // Escape closes the list; had the key been swallowed, the list would hold every key and
    // click of the user for good.
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(BusyCountTest, TheDialogsDropDownListChooses)
{
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_FALSE(list->isVisible());
}

} // namespace
