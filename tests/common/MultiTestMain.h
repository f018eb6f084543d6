#pragma once

#include <QLocale>
#include <QtTest>
#include <clocale>
#include <cstdio>

// A run registered under a locale (FALMIDE_TEST_LOCALE, set with LC_ALL)
// must really run under it: on a machine that lacks the locale the C library
// falls back to "C" and the run would test nothing it claims to.
inline bool testLocaleTookEffect()
{
    const QString wanted = qEnvironmentVariable("FALMIDE_TEST_LOCALE");
    if (wanted.isEmpty())
        return true;
    const QLocale expected(wanted.section(QLatin1Char('.'), 0, 0));
    const QLocale system = QLocale::system();
    QString problem;
    if (!std::setlocale(LC_ALL, ""))
        problem = QStringLiteral("the C library does not have it (see locale -a)");
    else if (system.language() != expected.language() || system.territory() != expected.territory())
        problem = QStringLiteral("Qt's system locale is %1").arg(system.name());
    else if (QString::fromLocal8Bit(std::localeconv()->decimal_point) != expected.decimalPoint())
        problem = QStringLiteral("the C library's decimal point is \"%1\"")
                      .arg(QString::fromLocal8Bit(std::localeconv()->decimal_point));
    if (problem.isEmpty())
        return true;
    std::fprintf(stderr, "FAIL!  : the locale %s did not take effect: %s\n", qPrintable(wanted),
                 qPrintable(problem));
    return false;
}

// One executable per folder runs several test classes; its exit status is
// the number of failed classes.
template <typename Test> int runOne(int argc, char* argv[])
{
    Test test;
    return QTest::qExec(&test, argc, argv) != 0 ? 1 : 0;
}

template <typename App, typename... Tests> int runTests(int argc, char* argv[])
{
    App app(argc, argv);
    if (!testLocaleTookEffect())
        return 1;
    return (runOne<Tests>(argc, argv) + ...);
}
