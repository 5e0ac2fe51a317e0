#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests that need an application object create their own; the rest run without one.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
