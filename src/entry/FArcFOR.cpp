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
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Supplier, text(SupplierField::Code));
}

SaveResult FArcFOR::storeRecord(SaveMode mode, qint64* version, QString* why)
{
    return Suppliers(m_context.DbArchivi).save(supplierFromFields(*this), mode, why, version);
}

DeleteResult FArcFOR::removeRecord(qint64 version, QString* why)
{
    return Suppliers(m_context.DbArchivi).remove(text(SupplierField::Code), why, version);
}
