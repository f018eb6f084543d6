#include "PeriodReportWindows.h"

#include "ListWindow.h"
#include "PeriodWindow.h"

// No default in either switch: this library makes -Wswitch an error, so a
// kind added without its windows does not compile. A kind without classes
// of its own opens PeriodWindow and ListWindow themselves.

void openPeriodWindow(AppContext& context, PeriodReport report, QWidget* parent)
{
    switch (report) {
    case PeriodReport::Fatturato:
        STAFatturato(context, parent).exec();
        return;
    case PeriodReport::Ritenuta:
        STARA(context, parent).exec();
        return;
    case PeriodReport::Movimenti:
        STAMOV(context, parent).exec();
        return;
    }
}

void openListWindow(AppContext& context, PeriodReport report, const ParametriLista& selection,
                    QWidget* parent)
{
    switch (report) {
    case PeriodReport::Fatturato:
        DispFAT(context, selection, parent).exec();
        return;
    case PeriodReport::Ritenuta:
        DispRA(context, selection, parent).exec();
        return;
    case PeriodReport::Movimenti:
        DispMOV(context, selection, parent).exec();
        return;
    }
}
