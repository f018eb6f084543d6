#pragma once

// Where child windows go, in twips of the screen.
struct TwipsPoint
{
    double left = 0;
    double top = 0;
};

// Centred in the main window's area (0,0)-(BordoDestro,BordoInferiore),
// pulled back inside when it would stick out past the right or bottom edge,
// and never above or left of 0.
TwipsPoint centredPosition(double BordoDestro, double BordoInferiore, double width, double height);

// The code list opens just right of the field that asked for it, kept inside
// the main window's right and bottom edges.
TwipsPoint codeListPosition(double RicercaX, double RicercaY, double listTop, double BordoDestro,
                            double BordoInferiore, double width, double height);
