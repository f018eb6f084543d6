#include "FParcella.h"

#include "AppContext.h"
#include "DocumentPreview.h"
#include "FeeDocumentLayout.h"
#include "PageRecorder.h"

#include <QHBoxLayout>
#include <QPushButton>

FParcella::FParcella(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FParcella"));
    setWindowTitle(QStringLiteral("Archivio PARCELLE- versione EURO"));
    setRecordNoun(QStringLiteral("Parcella"), true);
    loadDocument(4, 14, feeDocumentFields(false), false, true);
    m_btStampa = new QPushButton(QStringLiteral("&Stampa"), this);
    m_btStampa->setObjectName(QStringLiteral("BtStampa"));
    connect(m_btStampa, &QPushButton::clicked, this, &FParcella::BtStampa_Click);
    buttonRow()->insertWidget(0, m_btStampa);
}

void FParcella::BtStampa_Click()
{
    // What is printed is the stored pro-forma and the window closes after
    // it: changes are saved, or given up, first.
    if (!confermaModifiche())
        return;
    // A pro-forma is printed, never archived: no PDF path is set.
    const bool shown = previewDocument(this, &m_context.DbArchivi, [this](PageRecorder& recorder) {
        return StampaParcella(recorder, m_context, text(0), text(1));
    });
    if (shown)
        chiudi();
}
