#pragma once

#include "PeriodSelection.h"

#include <QString>

// Where "Esporta PDF ..." writes a period report: the folder Stampe of the
// archive folder (ArchiveFolder.h), the report's name and the period as yyyy-mm-dd
// ("Stampe/Fatturato_2026-01-01_2026-12-31.pdf"); a kind chosen by client
// adds the client's code, and the unpaid invoices only "_inevase"
// ("Fatturato_2026-01-01_2026-12-31_R1_inevase.pdf"). Only letters, digits
// and "-" of a code reach the name, so no code can point elsewhere. Empty
// when a date is not a date.
QString reportExportPath(const QString& archiveFolder, PeriodReport report,
                         const ParametriLista& selection);

// The name a PDF viewer shows ("Fatturato dal 01/01/2026 al 31/12/2026").
QString reportExportTitle(PeriodReport report, const ParametriLista& selection);
