#pragma once

#include "PageTarget.h"
#include "PdfFontMetrics.h"

#include <QRectF>
#include <QStringList>
#include <QVector>
#include <algorithm>

// Where each text of a replayed page lands, measured with the widths the
// PDF writer uses, and where its rules run: what shows two texts printed
// over each other, or a text past the rules, which no dump of the recorded
// rows can show.
class TextBoxes : public PageTarget
{
public:
    struct Box
    {
        QRectF rect; // twips
        QString text;
    };

    void setFont(const FontState& font) override
    {
        m_size = font.size;
        const std::string family = QString(font.name).remove(' ').toUpper().toStdString();
        m_metric = pdf::fontMetricFor(family, (font.bold ? 1 : 0) + (font.italic ? 2 : 0));
    }
    double truncationWidth(const QString& text) override
    {
        double sum = 0;
        for (const QChar c : text)
            sum += m_metric.width(uint8_t(c.unicode() < 256 ? c.unicode() : '?'));
        return sum * m_size / 1000 * 20;
    }
    void drawText(double x, double y, const QString& text, int align) override
    {
        const double width = truncationWidth(text);
        const double left = align == 1 ? x - width : align == 2 ? x - width / 2 : x;
        m_boxes.push_back({QRectF(left, y, width, m_size * 20), text});
    }
    void drawBox(double, double, double, double, double, bool, double, double) override {}
    void drawLine(double x1, double y1, double x2, double y2, double) override
    {
        if (y1 != y2)
            return;
        m_rulesLeft = std::min({m_rulesLeft, x1, x2});
        m_rulesRight = std::max({m_rulesRight, x1, x2});
    }
    void drawImage(double, double, double, double, const QString&) override {}
    void fillRect(double, double, double, double, unsigned) override {}
    void drawColouredLine(double, double, double, double, double, unsigned) override {}

    // Each text printed over another, or past the page's rules.
    QStringList faults() const
    {
        QStringList out;
        for (qsizetype i = 0; i < m_boxes.size(); ++i) {
            const Box& a = m_boxes[i];
            if (a.text.trimmed().isEmpty())
                continue;
            if (m_rulesRight > m_rulesLeft &&
                (a.rect.left() < m_rulesLeft || a.rect.right() > m_rulesRight))
                out << QString("\"%1\" past the rules").arg(a.text);
            for (qsizetype j = i + 1; j < m_boxes.size(); ++j) {
                const Box& b = m_boxes[j];
                if (!b.text.trimmed().isEmpty() && a.rect.intersects(b.rect))
                    out << QString("\"%1\" over \"%2\"").arg(a.text, b.text);
            }
        }
        return out;
    }

private:
    pdf::FontMetric m_metric = pdf::fontMetricFor("ARIAL", 0);
    double m_size = 10;
    QVector<Box> m_boxes;
    double m_rulesLeft = 1e9;
    double m_rulesRight = -1e9;
};
