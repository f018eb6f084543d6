#pragma once

#include <QtTest>

// One executable per folder runs several test classes; its exit status is
// the number of failed classes.
template <typename Test>
int runOne(int argc, char* argv[])
{
    Test test;
    return QTest::qExec(&test, argc, argv) != 0 ? 1 : 0;
}

template <typename App, typename... Tests>
int runTests(int argc, char* argv[])
{
    App app(argc, argv);
    return (runOne<Tests>(argc, argv) + ...);
}
