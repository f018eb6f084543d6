#include "FArcCLI.h"

#include "AppContext.h"
#include "CodeDeletion.h"
#include "MasterDataFields.h"

FArcCLI::FArcCLI(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcCLI"));
    setWindowTitle(QStringLiteral("Archivio CLIENTI"));
    setRecordNoun(QStringLiteral("Cliente"), false);
    Form_Load(Table::Clienti, clientFields(), kCodeTabIndex);
}

bool FArcCLI::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Client, text(0));
}
