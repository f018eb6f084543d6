#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// The keys of many records, in one block of UTF-8 text: the list of a
// million invoices a window shows keeps them in a fraction of the memory of
// as many separate strings, and takes them as the engine reads them.
class KeyList
{
public:
    void append(QStringView key);
    void appendUtf8(QByteArrayView key);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }
    QString at(qsizetype i) const;
    // Up to count keys from position from on.
    QStringList mid(qsizetype from, qsizetype count) const;

private:
    QByteArray m_text;
    std::vector<qsizetype> m_ends; // where each key ends in m_text
};
