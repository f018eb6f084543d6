#include "FeeDocumentWindow.h"

#include "AppContext.h"
#include "Clock.h"
#include "DocumentAmounts.h"
#include "IniFile.h"
#include "Recordset.h"

#include <QLabel>

FieldTable feeDocumentFields(bool invoice)
{
    const QString kind = invoice ? QStringLiteral("fattura") : QStringLiteral("Parcella");
    const QString dateCaption = QStringLiteral("Data ") + kind;
    const QString numberCaption = QStringLiteral("Numero ") + kind;
    // index, caption, declaration, MaxLength, TabIndex, record position, visible, beside previous
    FieldTable table = {
        {0, dateCaption, QStringLiteral("TOLD-"), 10, 0, 1},
        {1, numberCaption, QStringLiteral("LOL"), 10, 1, 2, true, true},
        {2, QStringLiteral("Codice cliente"), QStringLiteral("AOLA0002"), 10, 2, 3},
        {3, QStringLiteral("Oggetto"), QStringLiteral("AOL"), 240, 3, 4},
        {4, QStringLiteral("Descrizione"), QStringLiteral("MOL"), 0, 4, 5},
        {5, QStringLiteral("Onorario"), QStringLiteral("EOLZZ"), 14, 5, 6},
        {6, QStringLiteral("Aliquota I.V.A."), QStringLiteral("IOLZZ"), 5, 8, 7},
        {7, QStringLiteral("Aliq. contr. integr."), QStringLiteral("IOLZZ"), 5, 6, 8},
        {8, QStringLiteral("Aliquota R.A."), QStringLiteral("IOLZZ"), 5, invoice ? 12 : 11, 9},
        {9, QStringLiteral("Data pagamento"), QStringLiteral("TOLD+"), 10, invoice ? 14 : 13, 10,
         invoice},
        {10, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, invoice ? 15 : 14, 11},
        {11, QString(), QStringLiteral("EOLZZ"), 14, 9, 12, true, true},
        {12, QString(), QStringLiteral("EOLZZ"), 14, 7, 13, true, true},
        {13, QString(), QStringLiteral("EOLZZ"), 14, invoice ? 13 : 12, 14, true, true},
        {14, QStringLiteral("Rimb. spese esenti I.V.A."), QStringLiteral("EOL"), 14, 10, 15},
    };
    if (invoice)
        table.push_back({15, QStringLiteral("Bollo"), QStringLiteral("EOL"), 14, 11, 16});
    return table;
}

FeeDocumentWindow::FeeDocumentWindow(AppContext& context, QWidget* parent)
    : ArchiveWindow(context, parent)
{
}

bool FeeDocumentWindow::loadDocument(int numTabella, int ultimoDato, const FieldTable& fields,
                                     bool withStamp, bool withConsult)
{
    m_withStamp = withStamp;
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
    addRowAfter(withStamp ? 13 : 12, QStringLiteral("TOTALE"), m_totale);

    if (!Form_Load(numTabella, ultimoDato, 1, fields, withConsult))
        return false;

    // One date for both: the proposed number is free in the year shown.
    const QDate today = Clock::today();
    setText(1, numeroProposto(*table(), false, today));
    setText(0, today.toString(QStringLiteral("dd/MM/yyyy")));
    if (const auto caption = LeggiIni(QStringLiteral("Generale"), QStringLiteral("Importo"),
                                      m_context.settingsFile()))
        DesLbl(FeeField::Fee)->setText(*caption);
    return true;
}

void FeeDocumentWindow::compute(int index)
{
    const auto total =
        CalcolaImporti(*this, index, m_withStamp, profiloGeometra(m_context.settingsFile()));
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
        svuotaImportiDerivati(*this, index);
}

void FeeDocumentWindow::fieldLeft(int index)
{
    compute(index);
}
