#pragma once

#include <QString>

// Whether `code` is the two-letter code of an Italian province, in any
// letter case: today's provinces and metropolitan cities, and the Sardinian
// codes that came and went with its reorganisations, which addresses still
// carry.
bool isProvinceCode(const QString& code);

// Whether `code` has the form of an ISO 3166 alpha-2 country code: two
// letters in upper case.
bool isCountryCodeForm(const QString& code);
