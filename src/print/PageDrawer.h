#pragma once

#include "PageTarget.h"

#include <QString>

// The page operations as they draw on a target: rows and columns turned
// into twips with the unit sizes, texts cut to their maximum width, styled
// texts drawn in their own style. Replaying a page file and drawing
// straight on paper both go through it.
class PageDrawer
{
public:
    explicit PageDrawer(PageTarget& target);

    // Twips per layout row and column.
    double UnitY = 0;
    double UnitX = 0;

    // Applies a whole font state to the target.
    void setFont(const FontState& font);
    const FontState& font() const { return m_font; }

    void SetFontName(const QString& name);
    // Sizes that are not a size (zero, negative, absurd) are ignored.
    void SetFontSize(double points);
    void SetFontBold(bool on);
    void SetFontItalic(bool on);
    void SetFontUnderline(bool on);

    // align 0 left, 1 right, 2 centre; maxWidth in columns, 0 for no limit.
    void PrintText(double row, double col, double maxWidth, const QString& text, int align);
    void PrintTextStyled(double row, double col, double maxWidth, double size, int align,
                         const QString& styleMask, const QString& text);
    void DrawBox(double top, double left, double bottom, double right, double lineWidth,
                 int shadow);
    void DrawHLine(double row, double col1, double col2, double lineWidth);
    void DrawVLine(double col, double row1, double row2, double lineWidth);
    // Position and size in twips.
    void DrawImage(double top, double left, double width, double height, const QString& path);
    // Colours are 0xRRGGBB; rows and columns as the boxes'.
    void DrawFilledBox(double top, double left, double bottom, double right, unsigned colour);
    void DrawColouredLine(double row1, double col1, double row2, double col2, double lineWidth,
                          unsigned colour);

private:
    PageTarget& m_target;
    FontState m_font;
};

// A font size worth setting: finite, above zero and below 1000 points.
bool usableFontSize(double points);
