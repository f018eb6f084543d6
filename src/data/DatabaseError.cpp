#include "DatabaseError.h"

QString databaseErrorSentence(DatabaseErrorKind kind)
{
    switch (kind) {
    case DatabaseErrorKind::DiskFull:
        return QStringLiteral("Spazio esaurito sul disco");
    case DatabaseErrorKind::ReadOnly:
        return QStringLiteral("L'archivio può essere solo letto");
    case DatabaseErrorKind::Busy:
        return QStringLiteral("L'archivio è in uso da un altro programma");
    case DatabaseErrorKind::DiskError:
        return QStringLiteral("Errore di lettura o scrittura sul disco");
    case DatabaseErrorKind::Damaged:
        return QStringLiteral("L'archivio è danneggiato");
    case DatabaseErrorKind::NotADatabase:
        return QStringLiteral("Il file non è un archivio");
    case DatabaseErrorKind::CannotOpen:
        return QStringLiteral("Impossibile aprire il file dell'archivio");
    case DatabaseErrorKind::Unreachable:
        return QStringLiteral("Impossibile raggiungere l'archivio sul server");
    case DatabaseErrorKind::Denied:
        return QStringLiteral("Permesso negato");
    case DatabaseErrorKind::Constraint:
        return QStringLiteral("I dati non rispettano le regole dell'archivio");
    case DatabaseErrorKind::OutOfMemory:
        return QStringLiteral("Memoria esaurita");
    case DatabaseErrorKind::Statement:
    case DatabaseErrorKind::Other:
        break;
    }
    return QStringLiteral("Errore dell'archivio");
}

QString describeDatabaseError(DatabaseErrorKind kind, const QString& engineText)
{
    const QString sentence = databaseErrorSentence(kind);
    const QString detail = engineText.trimmed();
    return detail.isEmpty() ? sentence
                            : sentence + QStringLiteral(" (") + detail + QLatin1Char(')');
}

bool meansDamage(DatabaseErrorKind kind)
{
    return kind == DatabaseErrorKind::Damaged || kind == DatabaseErrorKind::NotADatabase;
}
