#pragma once

#include "FeeProfile.h"

#include <QString>
#include <QStringList>

class Database;

// How much demo data to make.
struct DemoCounts
{
    int clients = 40;
    int suppliers = 12;
    int invoices = 240;
    int proFormas = 30;
    int purchases = 160;
};

// Whether any archive table (clients, suppliers, invoices, pro-formas,
// purchases) holds a record: demo data goes only into an empty database.
bool archivesEmpty(Database& db, QString* error);

// Fills an empty database with realistic data made from `seed` alone:
// clients and suppliers with Italian names, addresses and tax codes; the
// invoices, pro-formas and purchases of the four years up to lastYear with
// their amounts computed as the invoice window computes them for `profile`,
// the latest invoices partly unpaid; and the heading data when it is blank.
// Everything is stored as the windows store it, in one transaction: on
// failure nothing is kept.
bool fillDemoDatabase(Database& db, const DemoCounts& counts, quint32 seed, int lastYear,
                      FeeProfile profile, QStringList* datiUtente, QString* error);
