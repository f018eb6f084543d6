#include "STAFAT.h"

#include "AppContext.h"
#include "ArchiveFolder.h"
#include "CommandButtons.h"
#include "DocumentNumber.h"
#include "DocumentPreview.h"
#include "FeeDocument.h"
#include "FeeDocumentLayout.h"
#include "InvoiceArchive.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "PageRecorder.h"
#include "ViewerLauncher.h"

#include <QCheckBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const FieldTable& stafatFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position
    static const FieldTable table = {
        {0, QStringLiteral("Fattura n."), QStringLiteral("LOL"), 10, 0, 0},
        {1, QStringLiteral("Data"), QStringLiteral("TOLD+"), 10, 1, 0},
    };
    return table;
}

} // namespace

STAFAT::STAFAT(AppContext& context, QWidget* parent) : FieldWindow(context, parent)
{
    setObjectName(QStringLiteral("STAFAT"));
    setWindowTitle(QStringLiteral("Stampa Fattura"));
    UltimaChiave = -1; // no field is a record key: typing never loads a record

    auto* frame = new QWidget(this);
    buildFields(stafatFields(), frame);
    for (int i = 0; i < fieldCount(); ++i)
        if (Ombra(i))
            Ombra(i)->setAutoFillBackground(false);

    m_stampaData = new QCheckBox(QStringLiteral("Stampa data fattura"), this);
    m_stampaData->setObjectName(QStringLiteral("StampaData"));
    m_stampaData->setChecked(true);
    m_carta = new QCheckBox(QStringLiteral("Carta Intestata"), this);
    m_carta->setObjectName(QStringLiteral("Carta"));

    m_btStampa = commandButton(QStringLiteral("&Stampa"), "BtStampa", this);
    auto* close = commandButton(QStringLiteral("&Uscita"), "BtUscita", this);
    connect(m_btStampa, &QPushButton::clicked, this, &STAFAT::BtStampa_Click);
    connect(close, &QPushButton::clicked, this, &STAFAT::BtUscita_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_stampaData);
    layout->addWidget(m_carta);
    layout->addStretch(1);
    layout->addLayout(commandRow({m_btStampa}, close));

    Form_Load();
}

void STAFAT::Form_Load()
{
    QString error;
    const auto last = FeeDocuments(m_context.DbArchivi, FeeDocumentKind::Invoice).last(&error);
    if (!error.isEmpty()) {
        MessageBox::error(this, error);
        return;
    }
    if (last) {
        setText(0, QString::number(last->key.number()));
        setText(1, last->date.toString(QStringLiteral("dd/MM/yyyy")));
    }
}

void STAFAT::BtStampa_Click()
{
    const auto typed = DocumentKey::of(parseItalianDate(text(1)), text(0));
    const QString path =
        typed ? invoiceArchivePath(m_context.DbArchivi, m_context.archiveFolder(), *typed)
              : QString();
    const bool creditNote = QFileInfo(path).fileName().startsWith(QLatin1String("NotaCredito_"));
    std::optional<PdfExportRequest> archive;
    if (!path.isEmpty()) {
        // A folder that cannot be made shows up as the reason of a failed export.
        QString unused;
        makeArchiveFolder(m_context.archiveFolder(), QFileInfo(path).absolutePath(), &unused);
        archive = PdfExportRequest{
            path,
            (creditNote ? QStringLiteral("Nota di credito %1/%2") : QStringLiteral("Fattura %1/%2"))
                .arg(documentNumber(text(0)))
                .arg(parseItalianDate(text(1)).year()),
            m_context.logoFile(), launchViewer, m_context.archiveFolder()};
    }
    const bool shown = previewDocument(
        this, &m_context.DbArchivi,
        [this](PageRecorder& recorder) {
            QString message;
            const auto key = DocumentKey::of(parseItalianDate(text(1)), text(0));
            const auto invoice =
                findDocumentToPrint(m_context, FeeDocumentKind::Invoice, key, &message);
            if (invoice)
                StampaFattura(recorder, *invoice, m_context.settings(),
                              {m_stampaData->isChecked(), m_carta->isChecked()});
            return message;
        },
        archive);
    if (shown)
        BtUscita_Click();
}
