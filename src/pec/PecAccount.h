#pragma once

#include <QString>

// The studio's certified mail (PEC) box: where invoices leave from and where
// the Sistema di Interscambio's receipts and suppliers' invoices arrive.
struct PecAccount
{
    QString address; // the studio's PEC address, the From of what is sent
    QString smtpHost;
    int smtpPort = 465;
    QString imapHost;
    int imapPort = 993;
    QString user;
    QString password;
    QString sdiAddress = QStringLiteral("sdi01@pec.fatturapa.it");
    // A PEM authority trusted besides the system's store (FALMIDE_PEC_CA_FILE);
    // empty normally.
    QString extraCaFile;
};
