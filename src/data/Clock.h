#pragma once

#include <QDate>

// Today's date for the whole program; tests fix it to a known day.
namespace Clock {
QDate today();
void setToday(const QDate& date); // an invalid date goes back to the system clock
} // namespace Clock
