#include "FArcCLI.h"

#include "AppContext.h"
#include "CodeDeletion.h"

const FieldTable& FArcCLI::fields()
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
    };
    return table;
}

FArcCLI::FArcCLI(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcCLI"));
    setWindowTitle(QStringLiteral("Archivio CLIENTI"));
    setRecordNoun(QStringLiteral("Cliente"), false);
    Form_Load(Table::Clienti, 8, 0, fields());
}

bool FArcCLI::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Client, text(0));
}
