#pragma once

#include <QString>
#include <functional>

// Cutting and word wrapping of texts against a width function in twips.
// Plain code: the engine hands in the printer's or the target's measure.
namespace TextLayout {

using WidthFunction = std::function<double(const QString&)>;

// The longest prefix of the text whose width is not above maxWidth; the
// whole text when it fits. A surrogate pair is never split.
QString fitToWidth(const QString& text, double maxWidth, const WidthFunction& width);

// Takes lines one at a time from a text of paragraphs separated by CR LF
// (or a bare LF). Each paragraph starts with one blank; words, each with the
// blank before it, are added while the line stays strictly narrower than
// the line width; a line that ends early lets the rest of its paragraph
// continue left-trimmed. A word that alone is too wide is broken between
// characters, so no text is ever lost and the loop always advances.
class ParagraphBreaker
{
public:
    ParagraphBreaker(const QString& text, double lineWidth, WidthFunction width);

    // The next line and whether it ends its paragraph; false when all the
    // text has been handed out.
    bool next(QString* line, bool* lastOfParagraph);

    // What has not been handed out yet: the rest of the current paragraph
    // with the separator that followed it, then the remaining text.
    QString rest() const;

private:
    bool takeParagraph();

    QString m_remaining;
    QString m_paragraph;
    QString m_separator;
    bool m_inParagraph = false;
    double m_lineWidth;
    WidthFunction m_width;
};

// Spreads a line to the line width by inserting blanks after successive
// words from the left, cycling, as many as (lineWidth - textWidth) / space
// width; the scan gives up after 1000 steps.
QString justify(const QString& line, double lineWidth, const WidthFunction& width, int spaceWidth);

inline constexpr int kJustifyScanLimit = 1000;

} // namespace TextLayout
