#include "KeyList.h"

#include <algorithm>

void KeyList::append(QStringView key)
{
    appendUtf8(key.toUtf8());
}

void KeyList::appendUtf8(QByteArrayView key)
{
    m_text.append(key);
    m_ends.push_back(m_text.size());
}

QString KeyList::at(qsizetype i) const
{
    if (i < 0 || i >= size())
        return {};
    const qsizetype begin = i == 0 ? 0 : m_ends[std::size_t(i - 1)];
    return QString::fromUtf8(m_text.constData() + begin, m_ends[std::size_t(i)] - begin);
}

QStringList KeyList::mid(qsizetype from, qsizetype count) const
{
    QStringList keys;
    const qsizetype first = std::max<qsizetype>(from, 0);
    const qsizetype end = std::min(size(), first + std::max<qsizetype>(count, 0));
    keys.reserve(std::max<qsizetype>(end - first, 0));
    for (qsizetype i = first; i < end; ++i)
        keys << at(i);
    return keys;
}
