#pragma once

#include "Database.h"

#include <QDate>
#include <QVariant>

// Writes an invoice straight into the table, as the invoice window stores it.
inline bool addInvoice(Database& db, const QDate& date, int number, const QVariant& client,
                       const QVariant& feeCents, const QString& subject = QString())
{
    QString error;
    const bool ok =
        db.execute(QStringLiteral("INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, "
                                  "Onorario) VALUES (?, ?, ?, ?, ?, ?)"),
                   {QString::number(date.year()) + QString::number(number).rightJustified(10),
                    date.toString(Qt::ISODate), number, client, subject, feeCents},
                   &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

inline bool addClient(Database& db, const QString& code, const QVariant& name)
{
    QString error;
    return db.execute(
        QStringLiteral("INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES (?, ?, ?)"),
        {code.toUpper().leftJustified(10), code.toUpper(), name}, &error);
}
