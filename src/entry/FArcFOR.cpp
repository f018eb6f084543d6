#include "FArcFOR.h"

#include "AppContext.h"
#include "CodeDeletion.h"
#include "MasterDataFields.h"

FArcFOR::FArcFOR(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcFOR"));
    setWindowTitle(QStringLiteral("Archivio FORNITORI"));
    setRecordNoun(QStringLiteral("Fornitore"), false);
    Form_Load(Table::Fornitori, supplierFields(), kCodeTabIndex);
}

bool FArcFOR::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Supplier, text(0));
}
