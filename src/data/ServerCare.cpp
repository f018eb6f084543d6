#include "ServerCare.h"

#include "Database.h"
#include "SqlDialect.h"

bool compactOnServer(Database& db, QString* error)
{
    if (db.inReadSnapshot()) {
        if (error)
            *error = QStringLiteral("Una lettura dell'archivio è in corso: il compattamento non "
                                    "può iniziare.");
        return false;
    }
    for (const QString& sql : db.dialect().compactInPlace())
        if (!db.execute(sql, {}, error))
            return false;
    return true;
}

QString serverRepairNote(const QString& location)
{
    return QStringLiteral("L'archivio è sul server %1: il server di database ne cura da sé "
                          "l'integrità, e da questa postazione non c'è nulla da riparare. "
                          "Nessun file è stato modificato.")
        .arg(location);
}

QString serverRestoreNote(const QString& location)
{
    return QStringLiteral("L'archivio è sul server %1: una copia non si ripristina sul server da "
                          "questa postazione. Per portarla su un database vuoto del server, "
                          "metterla come falmide.db in una cartella dei dati senza server e da "
                          "un terminale: falmide trasferisci --dir CARTELLA --verso SERVER")
        .arg(location);
}
