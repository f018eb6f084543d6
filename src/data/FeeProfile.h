#pragma once

#include <QString>

// How the withholding tax on a fee is computed: the geometra's profile
// withholds on the fee alone, the general one on the fee plus the
// integrative contribution.
enum class FeeProfile { General, Geometra };

// The profile a name selects (the settings' Calcolo, the command line's
// --profilo): "GEOMETRA", "Geometra", " geometra " are the geometra's; any
// other name, or none, the general profile.
FeeProfile feeProfileNamed(const QString& name);
// The name an invoice records its profile under: "GEOMETRA" or "GENERALE".
QString feeProfileName(FeeProfile profile);

// Whether the contribution is part of the withholding's base: the one thing
// the profile decides.
bool contributionWithheld(FeeProfile profile);
