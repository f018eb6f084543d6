#include "FArcMOV.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "KeyText.h"
#include "MessageBox.h"
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

bool FArcMOV::proposeFreeKey(const QString& taken)
{
    const QDate date = parseItalianDate(text(PurchaseField::Date));
    if (!date.isValid())
        return false;
    const QString number = proposedNumber(*table(), NumberingRestart::EachYear, date);
    setText(PurchaseField::Number, number);
    takeShownKey();
    MessageBox::warning(this, takenNumberText(taken, number));
    focusField(PurchaseField::Number);
    return true;
}
