#include "KeyList.h"

#include <algorithm>

void KeyList::append(QStringView key)
{
    m_text.append(key);
    m_ends.push_back(m_text.size());
}

QString KeyList::at(qsizetype i) const
{
    if (i < 0 || i >= size())
        return {};
    const qsizetype begin = i == 0 ? 0 : m_ends[std::size_t(i - 1)];
    return m_text.mid(begin, m_ends[std::size_t(i)] - begin);
}

QStringList KeyList::mid(qsizetype from, qsizetype count) const
{
    QStringList keys;
    const qsizetype first = std::max<qsizetype>(from, 0);
    const qsizetype end = std::min(size(), first + std::max<qsizetype>(count, 0));
    for (qsizetype i = first; i < end; ++i)
        keys << at(i);
    return keys;
}
