// The libraries loaded on first use: nothing is loaded before the first
// call, arguments of every kind reach the function through the first call's
// detour, and threads racing to the first call all get the real function.
#include "LazyLibrary.h"

#include <QtTest>
#include <curl/curl.h>
#include <curl/mprintf.h>
#include <glib-object.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

class LazyLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void loadsOnFirstCallWithEveryKindOfArgument();
    void threadsRacingToTheFirstCall();
};

void LazyLibraryTest::loadsOnFirstCallWithEveryKindOfArgument()
{
    QVERIFY(!lazyLibraryLoaded("libcurl.so.4"));
    QVERIFY(!lazyLibraryLoaded("libgobject-2.0.so.0"));

    // Variadic, with floating-point arguments (%al, %xmm0-1) and more
    // integer arguments than registers (the rest on the caller's stack).
    char* text = curl_maprintf("%d %.2f %s %d %d %d %.1f %ld", 1, 2.5, "tre", 4, 5, 6, 7.5, 8L);
    QVERIFY(lazyLibraryLoaded("libcurl.so.4"));
    QCOMPARE(QByteArray(text), QByteArray("1 2.50 tre 4 5 6 7.5 8"));
    curl_free(text);
    // A second call goes straight through.
    text = curl_maprintf("%s", "ancora");
    QCOMPARE(QByteArray(text), QByteArray("ancora"));
    curl_free(text);

    // A double as a plain argument and as a result, each on its entry's
    // first call.
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_DOUBLE);
    g_value_set_double(&value, 1234.5678);
    QCOMPARE(g_value_get_double(&value), 1234.5678);
    g_value_unset(&value);
    QVERIFY(lazyLibraryLoaded("libgobject-2.0.so.0"));

    // The entry's address is a function pointer like any other.
    int (*compare)(const char*, const char*) = curl_strequal;
    QCOMPARE(compare("Fattura", "FATTURA"), 1);
}

void LazyLibraryTest::threadsRacingToTheFirstCall()
{
    // curl_strnequal has not been called yet in this process: the eight
    // threads all meet its detour at once.
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::atomic<int> right{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            if (curl_strnequal("parcella", "PARCELLE", 7) == 1 &&
                curl_strnequal("parcella", "fattura", 3) == 0)
                ++right;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    QCOMPARE(right.load(), kThreads);
}

QTEST_GUILESS_MAIN(LazyLibraryTest)
#include "LazyLibraryTest.moc"
