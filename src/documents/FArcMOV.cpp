#include "FArcMOV.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "ProposedNumber.h"

#include <QLabel>

FArcMOV::FArcMOV(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcMOV"));
    setWindowTitle(QStringLiteral("Archivio MOVIMENTI"));
    setRecordNoun(QStringLiteral("Movimento"), false);
    askBeforeDeleting();
    if (!Form_Load(Table::Movimenti, purchaseFields(), kDateAndNumberTabIndex))
        return;
    const QDate today = Clock::today();
    setText(1, proposedNumber(*table(), NumberingRestart::EachYear, today));
    setText(0, today.toString(QStringLiteral("dd/MM/yyyy")));
}

void FArcMOV::compute(int index)
{
    PurchaseDisplays shown;
    if (!CalcolaImportiAcquisto(*this, index, &shown))
        return;
    Ombra(4)->setText(shown.taxable);
    Ombra(5)->setText(shown.vat);
    Ombra(6)->setText(shown.deductible);
}

void FArcMOV::recordShown()
{
    compute(4);
}

void FArcMOV::fieldLeft(int index)
{
    compute(index);
}
