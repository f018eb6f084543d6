#pragma once

#include "PageTarget.h"
#include "PrintRun.h"

#include <QStringList>
#include <functional>

// A target that writes down what it is asked to draw, for replay tests.
class LogTarget : public PageTarget
{
public:
    struct Text
    {
        double x, y;
        QString text;
        int align;
        FontState font;
    };

    void setFont(const FontState& font) override { current = font; }
    // Texts are cut against width, or against 100 twips a character without it.
    double truncationWidth(const QString& text) override
    {
        return width ? width(text) : 100.0 * text.size();
    }
    void drawText(double x, double y, const QString& text, int align) override
    {
        texts.push_back({x, y, text, align, current});
        note("text", {x, y, double(align)}, '[' + text + ']');
    }
    void drawBox(double top, double left, double bottom, double right, double lineWidth,
                 bool shadow, double, double) override
    {
        note("box", {top, left, bottom, right, lineWidth, double(shadow)});
    }
    void drawLine(double x1, double y1, double x2, double y2, double lineWidth) override
    {
        note("line", {x1, y1, x2, y2, lineWidth});
    }
    void drawImage(double top, double left, double width, double height,
                   const QString& path) override
    {
        note("image", {top, left, width, height}, path);
    }
    void fillRect(double top, double left, double bottom, double right, unsigned colour) override
    {
        note("fill", {top, left, bottom, right}, QString::number(colour, 16));
    }
    void drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                          unsigned colour) override
    {
        note("colourline", {x1, y1, x2, y2, lineWidth}, QString::number(colour, 16));
    }
    void note(const char* kind, std::initializer_list<double> numbers, const QString& rest = {})
    {
        QStringList words{kind};
        for (const double number : numbers)
            words << QString::number(number);
        log << (words << rest).join(' ').trimmed();
    }

    std::function<double(const QString&)> width;
    FontState current;
    QList<Text> texts;
    QStringList log;
};

// What replaying page of the run's document draws; the log says when the replay failed.
inline LogTarget replayed(PrintRun& run, int page = 0,
                          std::function<double(const QString&)> width = {})
{
    LogTarget target;
    target.width = std::move(width);
    if (!run.ReplayPage(page, target))
        target.log << "replay failed";
    return target;
}
