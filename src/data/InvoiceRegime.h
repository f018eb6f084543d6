#pragma once

#include "FeeDocument.h"
#include "Settings.h"

// An invoice carries the fiscal regime, the computation profile and the fund
// type it was saved under, so that a year exported after the settings moved
// on is written as it was computed. Invoices saved before these were
// recorded take the settings as they are now.

// The flat-rate regime: no VAT, every taxable line of nature N2.2.
constexpr const char* kFlatRateRegime = "RF19";

// Records the settings' regime, profile and fund type into an invoice about
// to be saved.
void recordRegime(const Settings& settings, FeeDocument* invoice);

// The [FatturaPA] settings with the invoice's own regime and fund type where
// it recorded them.
FatturaPASettings fatturaPAFor(const Settings& settings, const FeeDocument& invoice);
// The invoice's own profile, or the settings'.
FeeProfile profileFor(const Settings& settings, const FeeDocument& invoice);
