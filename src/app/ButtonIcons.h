#pragma once
// The main window's button pictures, made from pixels compiled into the
// program (icons/IconPixels.cpp writes them from the PNG files): each at the
// size the button draws it and at twice that for screens that double the
// pixels.

#include <QIcon>
#include <QtGlobal>

struct ButtonPixels
{
    const char* name; // "clienti", "clienti@2x"
    int width;
    int height;
    const quint32* pixels; // premultiplied ARGB, row after row
};

extern const ButtonPixels kButtonPixels[];
extern const int kButtonPixelsCount;

// "clienti", "fatture", "movimenti", "parcella", "uscita"; an empty icon for
// any other name.
QIcon buttonIcon(const char* name);
