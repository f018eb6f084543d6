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
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Client, text(ClientField::Code));
}

SaveResult FArcCLI::storeRecord(SaveMode mode, QString* why)
{
    return Clients(m_context.DbArchivi).save(clientFromFields(*this), mode, why);
}

DeleteResult FArcCLI::removeRecord(QString* why)
{
    return Clients(m_context.DbArchivi).remove(text(ClientField::Code), why);
}
