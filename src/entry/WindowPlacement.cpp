#include "WindowPlacement.h"

#include <algorithm>
#include <cmath>

TwipsPoint centredPosition(double BordoDestro, double BordoInferiore, double width, double height)
{
    TwipsPoint p{BordoDestro / 2 - width / 2, BordoInferiore / 2 - height / 2};
    if (p.top + height > BordoInferiore)
        p.top = BordoInferiore - height;
    if (p.top < 0)
        p.top = 0;
    if (p.left + width > BordoDestro)
        p.left = BordoDestro - width;
    if (p.left < 0)
        p.left = 0;
    return p;
}

TwipsPoint codeListPosition(double RicercaX, double RicercaY, double listTop, double BordoDestro,
                            double BordoInferiore, double width, double height)
{
    TwipsPoint p{std::round(std::min(RicercaX + 100, BordoDestro - width)),
                 std::round(std::min(RicercaY - listTop, BordoInferiore - height))};
    p.left = std::max(0.0, p.left);
    p.top = std::max(0.0, p.top);
    return p;
}
