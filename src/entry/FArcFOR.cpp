#include "FArcFOR.h"

#include "AppContext.h"
#include "CodeDeletion.h"

const FieldTable& FArcFOR::fields()
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

FArcFOR::FArcFOR(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcFOR"));
    setWindowTitle(QStringLiteral("Archivio FORNITORI"));
    setRecordNoun(QStringLiteral("Fornitore"), false);
    Form_Load(Table::Fornitori, 7, 0, fields());
}

bool FArcFOR::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Supplier, text(0));
}
