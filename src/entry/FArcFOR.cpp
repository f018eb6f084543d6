#include "FArcFOR.h"

#include "AppContext.h"
#include "CodeDeletion.h"
#include "MasterDataFields.h"

FArcFOR::FArcFOR(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcFOR"));
    setWindowTitle(QStringLiteral("Archivio FORNITORI"));
    setRecordNoun(QStringLiteral("Fornitore"), false);
    Form_Load(Table::Fornitori, 7, 0, supplierFields());
}

bool FArcFOR::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Supplier, text(0));
}
