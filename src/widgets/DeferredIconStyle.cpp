#include "DeferredIconStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <optional>

namespace {

// Asks the style for the icon the first time it is drawn or measured; the
// style and the widget it was made for may be gone by then.
class DeferredIconEngine final : public QIconEngine
{
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which, const QWidget* widget)
        // Only watched for its end: the icon never changes it.
        : m_style(style), m_which(which), m_widget(const_cast<QWidget*>(widget))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    // Only icons every style draws are deferred: never null.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }
    QIconEngine* clone() const override
    {
        auto* copy = new DeferredIconEngine(m_style, m_which, m_widget);
        copy->m_icon = m_icon;
        return copy;
    }

private:
    const QIcon& icon()
    {
        if (!m_icon) {
            QStyle* style = m_style ? m_style.data() : QApplication::style();
            m_icon = style->standardIcon(m_which, nullptr, m_widget);
        }
        return *m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    QPointer<QWidget> m_widget;
    std::optional<QIcon> m_icon;
};

} // namespace

DeferredIconStyle::DeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon DeferredIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                      const QWidget* widget) const
{
    // An option lives only as long as the call: an icon asked for with one
    // is made at once.
    const bool extension =
        which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton;
    if (!extension || option)
        return QProxyStyle::standardIcon(which, option, widget);
    return QIcon(new DeferredIconEngine(baseStyle(), which, widget));
}
