#include "FeeProfile.h"

FeeProfile feeProfileNamed(const QString& name)
{
    return name.trimmed().compare(QLatin1String("GEOMETRA"), Qt::CaseInsensitive) == 0
               ? FeeProfile::Geometra
               : FeeProfile::General;
}

bool contributionWithheld(FeeProfile profile)
{
    return profile == FeeProfile::General;
}

QString feeProfileName(FeeProfile profile)
{
    return profile == FeeProfile::Geometra ? QStringLiteral("GEOMETRA")
                                           : QStringLiteral("GENERALE");
}
