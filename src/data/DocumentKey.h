#pragma once

#include <QDate>
#include <QString>
#include <optional>

// What names a document in its table: the year of its date and its number.
// Two documents of one table with the same year and number are one record.
// A key is made from a date and a number, which have different types, so
// the two can never be given the wrong way round.
class DocumentKey
{
public:
    // The widest number the stored key holds: ten digits.
    static constexpr qint64 kLargestNumber = 9'999'999'999;

    // Names no document.
    DocumentKey() = default;

    // The document dated `date` numbered `number`; nothing when the date is
    // not a date of years 1 to 9999 or the number is negative or wider than
    // ten digits.
    static std::optional<DocumentKey> of(const QDate& date, qint64 number);
    // The same from a number as a field holds it: typed ("0012") or grouped
    // ("1 234"); nothing when it is not a whole number.
    static std::optional<DocumentKey> of(const QDate& date, const QString& number);
    // The stored key text: the four-digit year, then the number right-aligned
    // in ten characters ("2026        12").
    static std::optional<DocumentKey> fromStored(const QString& stored);

    bool isValid() const { return m_year > 0; }
    int year() const { return m_year; }
    qint64 number() const { return m_number; }
    QString stored() const;

    friend bool operator==(const DocumentKey&, const DocumentKey&) = default;

private:
    DocumentKey(int year, qint64 number) : m_year(year), m_number(number) {}
    static std::optional<DocumentKey> make(int year, qint64 number);

    int m_year = 0;
    qint64 m_number = 0;
};
