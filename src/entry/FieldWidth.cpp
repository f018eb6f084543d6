#include "FieldWidth.h"

#include "Money.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {
constexpr int kDefaultTextLength = 20;
// What QLineEdit keeps free on each side of its text, inside the frame.
constexpr int kLineEditTextMargin = 2;
} // namespace

QString widestDisplayText(const FieldDeclaration& field, int maxLength)
{
    if (field.isDate())
        return QStringLiteral("00/00/0000");
    if (!field.isNumber() && !field.isEuro())
        return {};
    const int digits = maxLength > 0 ? maxLength : 10;
    const QString grouped = groupThousands(QString(digits, QLatin1Char('0')));
    return field.isEuro() ? grouped + QStringLiteral(".00") : grouped;
}

int fieldWidth(const QLineEdit& line, const FieldDeclaration& field, int maxLength)
{
    const QFontMetrics fm(line.font());
    int textWidth = 0;
    const QString widest = widestDisplayText(field, maxLength);
    if (!widest.isEmpty()) {
        // One digit more leaves room for the cursor at the end.
        textWidth = fm.horizontalAdvance(widest + QLatin1Char('0'));
    } else {
        // A wide capital, not the widest: codes and names in capitals fit,
        // while a row of "W" would not and need not.
        const int chars =
            std::min(maxLength > 0 ? maxLength : kDefaultTextLength, kWidestTextField);
        textWidth = fm.horizontalAdvance(QString(chars + 1, QLatin1Char('H')));
    }
    const QMargins text = line.textMargins();
    const QMargins contents = line.contentsMargins();
    const int inner = textWidth + 2 * kLineEditTextMargin + text.left() + text.right() +
                      contents.left() + contents.right();
    QStyleOptionFrame option;
    option.initFrom(&line);
    option.lineWidth = line.hasFrame()
                           ? line.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &line)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    return line.style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, fm.height()), &line)
        .width();
}
