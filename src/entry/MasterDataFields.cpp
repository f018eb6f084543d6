#include "MasterDataFields.h"

const FieldTable& clientFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position
    static const FieldTable table = {
        {0, QStringLiteral("Codice cliente"), QStringLiteral("AOLB0002"), 10, 0, 1},
        {1, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 2, 2},
        {2, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 3, 3},
        {3, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 4, 4},
        {4, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 5, 5},
        {5, QStringLiteral("Partita IVA"), QStringLiteral("AOL"), 11, 6, 6},
        {6, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"), 16, 7, 7},
        {7, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 8, 8},
        {8, QStringLiteral("Definizione cliente"), QStringLiteral("AOL"), 10, 1, 9},
        {9, QStringLiteral("Codice destinatario"), QStringLiteral("AOL"), 7, 9, 10},
        {10, QStringLiteral("PEC"), QStringLiteral("AOL"), 255, 10, 11},
    };
    return table;
}

const FieldTable& supplierFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position
    static const FieldTable table = {
        {0, QStringLiteral("Codice fornitore"), QStringLiteral("AOLB0202"), 10, 0, 1},
        {1, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 1, 2},
        {2, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 2, 3},
        {3, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 3, 4},
        {4, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 4, 5},
        {5, QStringLiteral("Partita IVA"), QStringLiteral("AOL"), 11, 5, 6},
        {6, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"), 16, 6, 7},
        {7, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 7, 8},
    };
    return table;
}

const FieldTable& headingFields()
{
    // The field index is also the record position and the DatiUtente index.
    static const FieldTable table = {
        {0, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 0, 0},
        {1, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 1, 1},
        {2, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 2, 2},
        {3, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 3, 3},
        {4, QStringLiteral("Partita IVA"), QStringLiteral("AOL"), 11, 4, 4},
        {5, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"), 16, 5, 5},
    };
    return table;
}
