#pragma once

#include "PageTarget.h"

#include <QStringList>
#include <functional>

// A target that writes down what it is asked to draw, for replay tests.
class LogTarget : public PageTarget
{
public:
    explicit LogTarget(std::function<double(const QString&)> width = {}) : m_width(std::move(width))
    {
    }

    struct Text
    {
        double x, y;
        QString text;
        int align;
        FontState font;
    };

    void setFont(const FontState& font) override { current = font; }
    double truncationWidth(const QString& text) override
    {
        return m_width ? m_width(text) : 100.0 * text.size();
    }
    void drawText(double x, double y, const QString& text, int align) override
    {
        texts.push_back({x, y, text, align, current});
        log << QStringLiteral("text %1 %2 %3 [%4]").arg(x).arg(y).arg(align).arg(text);
    }
    void drawBox(double top, double left, double bottom, double right, double lineWidth,
                 bool shadow, double, double) override
    {
        log << QStringLiteral("box %1 %2 %3 %4 %5 %6")
                   .arg(top)
                   .arg(left)
                   .arg(bottom)
                   .arg(right)
                   .arg(lineWidth)
                   .arg(shadow);
    }
    void drawLine(double x1, double y1, double x2, double y2, double lineWidth) override
    {
        log << QStringLiteral("line %1 %2 %3 %4 %5").arg(x1).arg(y1).arg(x2).arg(y2).arg(lineWidth);
    }
    void drawImage(double top, double left, double width, double height,
                   const QString& path) override
    {
        log << QStringLiteral("image %1 %2 %3 %4 %5")
                   .arg(top)
                   .arg(left)
                   .arg(width)
                   .arg(height)
                   .arg(path);
    }

    FontState current;
    QList<Text> texts;
    QStringList log;

private:
    std::function<double(const QString&)> m_width;
};
