#pragma once

#include "PeriodSelection.h"

#include <QString>

class BatchRun;

// The period --dal and --al give, both required, checked as the period
// windows check it. A missing one is a usage error naming the command
// ("pec invia: manca --al (uso: falmide pec invia ANNO NUMERO oppure --dal
// DATA --al DATA)").
ParametriLista requiredPeriod(const BatchRun& run, const QString& command);
