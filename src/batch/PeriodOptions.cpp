#include "PeriodOptions.h"

#include "BatchCommand.h"

ParametriLista requiredPeriod(const BatchRun& run, const QString& command)
{
    for (const char* option : {"dal", "al"})
        if (!run.isSet(QLatin1String(option)))
            throw BatchError{QStringLiteral("%1: manca --%2 (uso: falmide %1 ANNO NUMERO oppure "
                                            "--dal DATA --al DATA)")
                                 .arg(command, QLatin1String(option)),
                             BatchStatus::BadUsage};
    ParametriLista selection;
    selection.first = *run.date(QStringLiteral("dal"));
    selection.last = *run.date(QStringLiteral("al"));
    if (const QString message = checkPeriod(selection); !message.isEmpty())
        throw BatchError{message, BatchStatus::BadUsage};
    return selection;
}
