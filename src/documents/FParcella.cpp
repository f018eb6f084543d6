#include "FParcella.h"

#include "AppContext.h"
#include "DocumentAmounts.h"
#include "DocumentPreview.h"
#include "FeeDocumentLayout.h"
#include "KeyText.h"
#include "PageRecorder.h"

#include <QHBoxLayout>
#include <QPushButton>

FParcella::FParcella(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FParcella"));
    setWindowTitle(QStringLiteral("Archivio PARCELLE- versione EURO"));
    setRecordNoun(QStringLiteral("Parcella"), true);
    loadDocument(FeeDocumentKind::ProForma, RecordGrid::Offered);
    m_btStampa = new QPushButton(QStringLiteral("&Stampa"), this);
    m_btStampa->setObjectName(QStringLiteral("BtStampa"));
    connect(m_btStampa, &QPushButton::clicked, this, &FParcella::BtStampa_Click);
    buttonRow()->insertWidget(0, m_btStampa);
}

void FParcella::BtStampa_Click()
{
    // What is printed is the stored pro-forma and the window closes after
    // it: changes are saved, or given up, first.
    if (!confirmChanges())
        return;
    // A pro-forma is printed, never archived: no PDF path is set.
    const bool shown = previewDocument(this, &m_context.DbArchivi, [this](PageRecorder& recorder) {
        QString message;
        const auto key =
            DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
        const auto proForma =
            findDocumentToPrint(m_context, FeeDocumentKind::ProForma, key, &message);
        if (proForma)
            StampaParcella(recorder, *proForma, m_context.settings());
        return message;
    });
    if (shown)
        closeWindow();
}
