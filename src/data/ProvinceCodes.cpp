#include "ProvinceCodes.h"

#include <QSet>

namespace {

const char* const kProvinces[] = {
    "AG", "AL", "AN", "AO", "AP", "AQ", "AR", "AT", "AV", "BA", "BG", "BI", "BL", "BN", "BO", "BR",
    "BS", "BT", "BZ", "CA", "CB", "CE", "CH", "CI", "CL", "CN", "CO", "CR", "CS", "CT", "CZ", "EN",
    "FC", "FE", "FG", "FI", "FM", "FR", "GE", "GO", "GR", "IM", "IS", "KR", "LC", "LE", "LI", "LO",
    "LT", "LU", "MB", "MC", "ME", "MI", "MN", "MO", "MS", "MT", "NA", "NO", "NU", "OG", "OR", "OT",
    "PA", "PC", "PD", "PE", "PG", "PI", "PN", "PO", "PR", "PT", "PU", "PV", "PZ", "RA", "RC", "RE",
    "RG", "RI", "RM", "RN", "RO", "SA", "SI", "SO", "SP", "SR", "SS", "SU", "SV", "TA", "TE", "TN",
    "TO", "TP", "TR", "TS", "TV", "UD", "VA", "VB", "VC", "VE", "VI", "VR", "VS", "VT", "VV"};

} // namespace

bool isProvinceCode(const QString& code)
{
    static const QSet<QString> codes = [] {
        QSet<QString> set;
        for (const char* c : kProvinces)
            set.insert(QString::fromLatin1(c));
        return set;
    }();
    return codes.contains(code.trimmed().toUpper());
}

bool isCountryCodeForm(const QString& code)
{
    return code.size() == 2 && code.at(0).isUpper() && code.at(1).isUpper() &&
           code.at(0).unicode() < 0x80 && code.at(1).unicode() < 0x80;
}
