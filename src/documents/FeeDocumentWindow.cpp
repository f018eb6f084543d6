#include "FeeDocumentWindow.h"

#include "AppContext.h"
#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "FatturaPAInvoice.h"
#include "FeeDocument.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "ProposedNumber.h"
#include "Recordset.h"
#include "Settings.h"
#include "StampDuty.h"

#include <QLabel>

FeeDocumentWindow::FeeDocumentWindow(AppContext& context, QWidget* parent)
    : ArchiveWindow(context, parent)
{
    askBeforeDeleting();
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

    if (!Form_Load(feeDocumentTable(kind), fields, kDateAndNumberTabIndex, recordGrid))
        return false;

    // One date for both: the proposed number is free in the year shown.
    const QDate today = Clock::today();
    setText(FeeField::Number, proposedNumber(*table(), NumberingRestart::Never, today));
    setText(FeeField::Date, today.toString(QStringLiteral("dd/MM/yyyy")));
    if (const auto caption = m_context.settings().feeCaption())
        setCaption(FeeField::Fee, *caption);
    return true;
}

void FeeDocumentWindow::compute(int index)
{
    const FeeProfile profile = m_storedProfile.value_or(m_context.settings().feeProfile());
    auto total = CalcolaImporti(*this, index, m_kind, profile);
    if (m_kind == FeeDocumentKind::Invoice && !m_stampSettled) {
        proposeStampDuty();
        // The total again, now with the stamp duty as proposed.
        total = CalcolaImporti(*this, FeeField::Stamp, m_kind, profile);
    }
    m_totale->setText(total ? total->groupedText() : QString());
}

void FeeDocumentWindow::proposeStampDuty()
{
    const Settings& settings = m_context.settings();
    ProponiBollo(*this, stampDutyRule(settings),
                 settings.fatturaPA().regimeFiscale == QLatin1String(kFlatRateRegime));
}

void FeeDocumentWindow::recordShown()
{
    // A stored invoice keeps the stamp duty it was stored with (the record
    // was just offered: this is whether the lookup found it).
    m_stampSettled = storedRecordOffered();
    m_storedProfile.reset();
    if (m_kind == FeeDocumentKind::Invoice && m_stampSettled)
        if (const auto key =
                DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number))) {
            QString error;
            if (const auto stored = FeeDocuments(m_context.DbArchivi, m_kind).find(*key, &error))
                m_storedProfile = stored->profile;
        }
    compute(FeeField::Fee);
}

SaveResult FeeDocumentWindow::storeRecord(SaveMode mode, qint64* version, QString* why)
{
    const auto document = feeDocumentFromFields(*this, m_kind, why);
    if (!document)
        return SaveResult::Refused;
    return FeeDocuments(m_context.DbArchivi, m_kind).save(*document, mode, why, version);
}

DeleteResult FeeDocumentWindow::removeRecord(qint64 version, QString* why)
{
    const auto key =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    return key ? FeeDocuments(m_context.DbArchivi, m_kind).remove(*key, why, version)
               : DeleteResult::NotFound;
}

bool FeeDocumentWindow::proposeFreeKey(const QString& taken)
{
    const QDate date = parseItalianDate(text(FeeField::Date));
    if (!date.isValid())
        return false;
    const QString number = proposedNumber(*table(), NumberingRestart::Never, date);
    setText(FeeField::Number, number);
    takeShownKey();
    MessageBox::warning(this, takenNumberText(taken, number));
    focusField(FeeField::Number);
    return true;
}

void FeeDocumentWindow::recordDeleted()
{
    m_totale->clear();
    m_stampSettled = false;
    m_storedProfile.reset();
}

void FeeDocumentWindow::fieldChecked(int index, bool changed)
{
    if (changed)
        clearDerivedAmounts(*this, index);
    if (changed && index == FeeField::Stamp)
        m_stampSettled = true;
}

void FeeDocumentWindow::fieldLeft(int index)
{
    compute(index);
}
