#include "FArcMOV.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "ProposedNumber.h"

#include <QLabel>

const FieldTable& FArcMOV::fields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position, visible, beside previous
    static const FieldTable table = {
        {0, QStringLiteral("Data documento"), QStringLiteral("TOLD-"), 10, 0, 1},
        {1, QStringLiteral("Numero documento"), QStringLiteral("LOL"), 10, 1, 2, true, true},
        {2, QStringLiteral("Codice fornitore"), QStringLiteral("AOLA0202"), 10, 2, 3},
        {3, QStringLiteral("Descrizione"), QStringLiteral("MOL"), 0, 3, 4},
        {4, QStringLiteral("Imponibile"), QStringLiteral("EOLZZ"), 10, 4, 5},
        {5, QStringLiteral("Aliquota I.V.A."), QStringLiteral("SOLZZ"), 5, 5, 6},
        {6, QStringLiteral("Deducibilità"), QStringLiteral("SOLZZ"), 5, 6, 7},
        {7, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 8, 8},
        {8, QStringLiteral("Esente I.V.A."), QStringLiteral("EOLZZ"), 10, 7, 9},
    };
    return table;
}

FArcMOV::FArcMOV(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcMOV"));
    setWindowTitle(QStringLiteral("Archivio MOVIMENTI"));
    setRecordNoun(QStringLiteral("Movimento"), false);
    if (!Form_Load(Table::Movimenti, 8, 1, fields()))
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
