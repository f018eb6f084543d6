#include "FParcella.h"

#include "AppContext.h"
#include "FeeDocumentLayout.h"
#include "MessageBox.h"
#include "PageEngine.h"
#include "StatusMessage.h"
#include "frmPreview.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>

FParcella::FParcella(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FParcella"));
    setWindowTitle(QStringLiteral("Archivio PARCELLE- versione EURO"));
    loadDocument(4, 14, feeDocumentFields(false), false, true);
    m_btStampa = new QPushButton(QStringLiteral("&Stampa"), this);
    m_btStampa->setObjectName(QStringLiteral("BtStampa"));
    connect(m_btStampa, &QPushButton::clicked, this, &FParcella::BtStampa_Click);
    buttonRow()->insertWidget(0, m_btStampa);
}

void FParcella::BtStampa_Click()
{
    PageEngine& engine = pageEngine();
    QString error;
    if (!engine.BeginDocument(&error)) {
        Messaggio::errore(this, testoErroreStampa(error));
        return;
    }
    // A pro-forma is printed, never archived.
    engine.PdfPath.clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString message = StampaParcella(engine, m_context, text(0), text(1));
    QApplication::restoreOverrideCursor();
    const bool ended = engine.EndDocument(&error);
    if (!message.isEmpty())
        Messaggio::mostra(this, message);
    if (!ended) {
        Messaggio::errore(this, testoErroreStampa(error));
        return;
    }
    frmPreview preview(this, &m_context.DbArchivi);
    preview.exec();
    MessaggioStato(QString(), false);
    BtUscita_Click();
}
