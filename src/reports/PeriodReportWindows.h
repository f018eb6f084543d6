#pragma once

#include "PeriodSelection.h"

class QWidget;
struct AppContext;

// Each period report opens as its own window classes, which carry the
// program's names for them (STAFatturato and DispFAT, ...); everything else
// they show comes from the report's description.

// Opens the period window of `report`, modal.
void openPeriodWindow(AppContext& context, PeriodReport report, QWidget* parent);

// Opens the list window of `report` over `selection`, modal.
void openListWindow(AppContext& context, PeriodReport report, const ParametriLista& selection,
                    QWidget* parent);
