#include "TextLayout.h"

#include <cmath>
#include <utility>

namespace TextLayout {

namespace {

// Moves a cut back by one when it would leave a high surrogate behind.
qsizetype safeCut(const QString& text, qsizetype n)
{
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate() && text.at(n).isLowSurrogate())
        return n - 1;
    return n;
}

} // namespace

QString fitToWidth(const QString& text, double maxWidth, const WidthFunction& width)
{
    if (text.isEmpty() || width(text) <= maxWidth)
        return text;
    // Widths grow with the prefix, so the longest fitting prefix can be
    // found by halving instead of dropping one character at a time.
    qsizetype low = 0;            // fits
    qsizetype high = text.size(); // does not fit
    while (high - low > 1) {
        const qsizetype mid = low + (high - low) / 2;
        if (width(text.left(mid)) <= maxWidth)
            low = mid;
        else
            high = mid;
    }
    return text.left(safeCut(text, low));
}

ParagraphBreaker::ParagraphBreaker(const QString& text, double lineWidth, WidthFunction width)
    : m_remaining(text), m_lineWidth(lineWidth), m_width(std::move(width))
{
}

bool ParagraphBreaker::takeParagraph()
{
    if (m_remaining.isEmpty())
        return false;
    const qsizetype lf = m_remaining.indexOf(QLatin1Char('\n'));
    if (lf < 0) {
        m_paragraph = m_remaining;
        m_separator.clear();
        m_remaining.clear();
    } else {
        const bool crlf = lf > 0 && m_remaining.at(lf - 1) == QLatin1Char('\r');
        m_paragraph = m_remaining.left(crlf ? lf - 1 : lf);
        m_separator = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
        m_remaining = m_remaining.mid(lf + 1);
    }
    m_paragraph.prepend(QLatin1Char(' '));
    m_inParagraph = true;
    return true;
}

bool ParagraphBreaker::next(QString* line, bool* lastOfParagraph)
{
    if (!m_inParagraph && !takeParagraph())
        return false;

    QString current;
    while (!m_paragraph.isEmpty()) {
        const qsizetype blank = m_paragraph.indexOf(QLatin1Char(' '), 1);
        const QString word = blank < 0 ? m_paragraph : m_paragraph.left(blank);
        if (m_width(current + word) < m_lineWidth) {
            current += word;
            m_paragraph.remove(0, word.size());
            continue;
        }
        if (current.isEmpty()) {
            // A word wider than the line: as much of it as fits, at least
            // one character, so that the text always moves on.
            qsizetype n = 1;
            while (n < word.size() && m_width(word.left(n + 1)) < m_lineWidth)
                ++n;
            if (word.at(n - 1).isHighSurrogate() && n < word.size())
                ++n;
            current = word.left(n);
            m_paragraph.remove(0, n);
        }
        // The line is full: the rest of the paragraph continues trimmed.
        qsizetype lead = 0;
        while (lead < m_paragraph.size() && m_paragraph.at(lead) == QLatin1Char(' '))
            ++lead;
        m_paragraph.remove(0, lead);
        if (m_paragraph.isEmpty())
            break;
        *line = current;
        *lastOfParagraph = false;
        return true;
    }
    *line = current;
    *lastOfParagraph = true;
    m_inParagraph = false;
    return true;
}

QString ParagraphBreaker::rest() const
{
    if (m_inParagraph && !m_paragraph.isEmpty()) {
        QString trimmed = m_paragraph;
        qsizetype lead = 0;
        while (lead < trimmed.size() && trimmed.at(lead) == QLatin1Char(' '))
            ++lead;
        trimmed.remove(0, lead);
        return trimmed + m_separator + m_remaining;
    }
    return m_remaining;
}

QString justify(const QString& line, double lineWidth, const WidthFunction& width, int spaceWidth)
{
    QString out = line;
    while (!out.isEmpty() && out.back() == QLatin1Char(' '))
        out.chop(1);
    if (spaceWidth <= 0 || out.size() < 2)
        return out;
    long blanks = (std::lround(lineWidth) - std::lround(width(out))) / spaceWidth;
    qsizetype pos = 0;
    for (int steps = 0; blanks > 0 && steps < kJustifyScanLimit; ++steps) {
        if (pos + 1 >= out.size())
            pos = 0;
        if (out.at(pos) != QLatin1Char(' ') && out.at(pos + 1) == QLatin1Char(' ')) {
            out.insert(pos + 1, QLatin1Char(' '));
            --blanks;
            pos += 2;
            while (pos < out.size() && out.at(pos) == QLatin1Char(' '))
                ++pos;
        } else {
            ++pos;
        }
    }
    return out;
}

} // namespace TextLayout
