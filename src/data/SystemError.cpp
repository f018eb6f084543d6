#include "SystemError.h"

#include <cerrno>
#include <cstring>

QString systemErrorText(int number)
{
    switch (number) {
    case EROFS:
        return QStringLiteral("il disco può essere solo letto");
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato (la cartella o il file può essere solo letto)");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("spazio esaurito sul disco");
    case EFBIG:
        return QStringLiteral("il file supera la dimensione massima consentita");
    case EIO:
        return QStringLiteral("errore di lettura o scrittura sul disco");
    case ENOENT:
        return QStringLiteral("il file o la cartella non esiste");
    case ENOTDIR:
        return QStringLiteral("una parte del percorso non è una cartella");
    case ELOOP:
        return QStringLiteral("il percorso è un collegamento simbolico");
    default:
        return QString::fromLocal8Bit(std::strerror(number));
    }
}
