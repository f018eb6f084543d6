#pragma once

#include <QProxyStyle>

// The program's style: the user's own, except that the picture of the button
// a menu bar or tool bar shows when its entries do not fit is made the first
// time that button is drawn. Every main window's menu bar asks for it as it
// is made, and making it reads image files through Qt's icon and image
// plug-ins: most of a millisecond of every start for a button seldom seen.
class DeferredIconStyle : public QProxyStyle
{
public:
    // Takes `base` over, as QProxyStyle does; the application's own style
    // may be given.
    explicit DeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
