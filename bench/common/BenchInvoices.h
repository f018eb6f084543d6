#pragma once

// The archive the list, report and database benchmarks read: 500 clients in
// turn and the invoices of ten years from 2015, numbered from 1 in each and
// dated through it by their number, each with a subject, a two-line
// description, rates and every amount set, half of them paid.
#include "Database.h"

#include <QString>
#include <QtGlobal>

namespace benchdata {

constexpr int kYears = 10;
constexpr int kClients = 500;

inline void fillInvoiceArchive(Database& db, int invoices)
{
    QString error;
    db.begin(&error);
    db.execute(
        QStringLiteral(
            "WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i + 1 < ?) "
            "INSERT INTO Clienti (Chiave, CodCliente, Denominazione) "
            "SELECT printf('%-10s', printf('C%04d', i)), printf('C%04d', i), "
            "'Cliente numero ' || i || ' S.r.l.' FROM c"),
        {kClients}, &error);
    // Whole numbers of the benchmark's own, written into the statement.
    const int perYear = invoices / kYears;
    db.execute(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1), "
            "f(i, year, number) AS (SELECT i, 2015 + i / %2, i % %2 + 1 FROM n), "
            "d(i, year, number, day) AS (SELECT i, year, number, "
            "date(printf('%04d-01-01', year), '+' || (number * 364 / %2) || ' days') FROM f) "
            "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Descrizione, Onorario, "
            "AliqIVA, AliqContributo, AliqRA, DataPag, Note, ImportoIVA, ImportoContributo, "
            "ImportoRA, SpeseEsenti, Bollo) "
            "SELECT printf('%04d%10d', year, number), day, number, printf('C%04d', i % %3), "
            "'Rilievo topografico e pratica catastale n. ' || i, "
            "'Prestazione professionale' || char(10) || 'secondo incarico del ' || "
            "strftime('%d/%m/%Y', day), 100000 + i, 22, 4, 20, "
            "CASE WHEN i % 2 = 0 THEN date(day, '+30 days') END, 'Pagata con bonifico', "
            "22880, 4000, 20000, 5000, 200 FROM d")
            .arg(invoices)
            .arg(perYear)
            .arg(kClients),
        {}, &error);
    db.commit(&error);
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));
}

} // namespace benchdata
