#include "FeeDocumentWindow.h"

#include "AppContext.h"
#include "Clock.h"
#include "DocumentAmounts.h"
#include "ProposedNumber.h"
#include "Recordset.h"

#include <QLabel>

FieldTable feeDocumentFields(FeeDocumentKind kind)
{
    const bool invoice = kind == FeeDocumentKind::Invoice;
    const QString noun = invoice ? QStringLiteral("fattura") : QStringLiteral("Parcella");
    FieldTable table;
    // Field i edits column i + 1, so the rows go in column order.
    auto field = [&table](FeeColumn column, const QString& caption, const char* declaration,
                          int maxLength, int tabIndex, bool visible = true,
                          bool besidePrevious = false) {
        table.push_back({feeField(column), caption, QString::fromLatin1(declaration), maxLength,
                         tabIndex, int(column), visible, besidePrevious});
    };
    const bool beside = true;
    field(FeeColumn::Date, QStringLiteral("Data ") + noun, "TOLD-", 10, 0);
    field(FeeColumn::Number, QStringLiteral("Numero ") + noun, "LOL", 10, 1, true, beside);
    field(FeeColumn::Client, QStringLiteral("Codice cliente"), "AOLA0002", 10, 2);
    field(FeeColumn::Subject, QStringLiteral("Oggetto"), "AOL", 240, 3);
    field(FeeColumn::Description, QStringLiteral("Descrizione"), "MOL", 0, 4);
    field(FeeColumn::Fee, QStringLiteral("Onorario"), "EOLZZ", 14, 5);
    field(FeeColumn::VatRate, QStringLiteral("Aliquota I.V.A."), "IOLZZ", 5, 8);
    field(FeeColumn::ContributionRate, QStringLiteral("Aliq. contr. integr."), "IOLZZ", 5, 6);
    field(FeeColumn::WithholdingRate, QStringLiteral("Aliquota R.A."), "IOLZZ", 5,
          invoice ? 12 : 11);
    // A pro-forma keeps its payment date as loaded, unseen.
    field(FeeColumn::PaymentDate, QStringLiteral("Data pagamento"), "TOLD+", 10, invoice ? 14 : 13,
          invoice);
    field(FeeColumn::Notes, QStringLiteral("NOTE"), "MOL", 0, invoice ? 15 : 14);
    // Each computed amount stands on its rate's line.
    field(FeeColumn::Vat, QString(), "EOLZZ", 14, 9, true, beside);
    field(FeeColumn::Contribution, QString(), "EOLZZ", 14, 7, true, beside);
    field(FeeColumn::Withholding, QString(), "EOLZZ", 14, invoice ? 13 : 12, true, beside);
    field(FeeColumn::Expenses, QStringLiteral("Rimb. spese esenti I.V.A."), "EOL", 14, 10);
    if (invoice)
        field(FeeColumn::Stamp, QStringLiteral("Bollo"), "EOL", 14, 11);
    return table;
}

FeeDocumentWindow::FeeDocumentWindow(AppContext& context, QWidget* parent)
    : ArchiveWindow(context, parent)
{
}

bool FeeDocumentWindow::loadDocument(FeeDocumentKind kind, RecordGrid recordGrid)
{
    m_kind = kind;
    const FieldTable fields = feeDocumentFields(kind);
    m_totale = new QLabel(this);
    m_totale->setObjectName(QStringLiteral("Totale"));
    QFont bold = m_totale->font();
    bold.setBold(true);
    m_totale->setFont(bold);
    m_totale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_totale->setFrameShape(QFrame::Panel);
    m_totale->setFrameShadow(QFrame::Sunken);
    m_totale->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 16);
    // The total line follows the withholding amount.
    addRowAfter(fields.at(FeeField::Withholding).tabIndex, QStringLiteral("TOTALE"), m_totale);

    // The date and the number are the key.
    const int lastKeyTab = 1;
    if (!Form_Load(feeDocumentTable(kind), int(fields.size()) - 1, lastKeyTab, fields,
                   recordGrid == RecordGrid::Offered))
        return false;

    // One date for both: the proposed number is free in the year shown.
    const QDate today = Clock::today();
    setText(FeeField::Number, proposedNumber(*table(), NumberingRestart::Never, today));
    setText(FeeField::Date, today.toString(QStringLiteral("dd/MM/yyyy")));
    if (const auto caption = m_context.settings().feeCaption())
        DesLbl(FeeField::Fee)->setText(*caption);
    return true;
}

void FeeDocumentWindow::compute(int index)
{
    const auto total = CalcolaImporti(*this, index, m_kind, m_context.settings().geometraProfile());
    m_totale->setText(total ? total->groupedText() : QString());
}

void FeeDocumentWindow::recordShown()
{
    compute(FeeField::Fee);
}

void FeeDocumentWindow::recordDeleted()
{
    m_totale->clear();
}

void FeeDocumentWindow::fieldChecked(int index, bool changed)
{
    if (changed)
        clearDerivedAmounts(*this, index);
}

void FeeDocumentWindow::fieldLeft(int index)
{
    compute(index);
}
