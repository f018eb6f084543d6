#include "StaETI.h"

#include "AddressLabels.h"
#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "CommandButtons.h"
#include "DocumentPreview.h"
#include "MessageBox.h"
#include "PrintRun.h"
#include "PrinterJob.h"
#include "PrinterSystem.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const FieldTable& staetiFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position
    static const FieldTable table = {
        {0, QStringLiteral("Codice DAL"), QStringLiteral("AOL"), 10, 0, 0},
        {1, QStringLiteral("AL"), QStringLiteral("AOL"), 10, 1, 0},
    };
    return table;
}

} // namespace

StaETI::StaETI(AppContext& context, QWidget* parent) : FieldWindow(context, parent)
{
    setObjectName(QStringLiteral("StaETI"));
    setWindowTitle(QStringLiteral("Stampa ETICHETTE"));
    UltimaChiave = -1; // the codes bound a range: typing never loads a record

    auto* frame = new QWidget(this);
    buildFields(staetiFields(), frame);
    for (int i = 0; i < fieldCount(); ++i)
        if (Ombra(i))
            Ombra(i)->setAutoFillBackground(false);

    auto* archivio = new QGroupBox(QStringLiteral("Archivio"), this);
    m_clienti = new QRadioButton(QStringLiteral("Clienti"), archivio);
    m_clienti->setObjectName(QStringLiteral("Clienti"));
    m_clienti->setChecked(true);
    m_fornitori = new QRadioButton(QStringLiteral("Fornitori"), archivio);
    m_fornitori->setObjectName(QStringLiteral("Fornitori"));
    auto* options = new QHBoxLayout(archivio);
    options->addWidget(m_clienti);
    options->addWidget(m_fornitori);
    m_colonne = new QCheckBox(QStringLiteral("Due colonne"), this);
    m_colonne->setObjectName(QStringLiteral("Colonne"));

    m_btStampa = commandButton(QStringLiteral("&Stampa"), "BtStampa", this);
    auto* close = commandButton(QStringLiteral("&Uscita"), "BtUscita", this);
    connect(m_btStampa, &QPushButton::clicked, this, &StaETI::BtStampa_Click);
    connect(close, &QPushButton::clicked, this, &StaETI::BtUscita_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(archivio);
    layout->addWidget(m_colonne);
    layout->addStretch(1);
    layout->addLayout(commandRow({m_btStampa}, close));
}

void StaETI::BtStampa_Click()
{
    const LabelRange range = labelRange(text(0), text(1));
    setText(0, range.first);
    setText(1, range.last);
    if (PrinterSystem::current().printers().isEmpty()) {
        MessageBox::warning(this, QStringLiteral("Nessuna stampante installata"));
        return;
    }
    LabelOutcome outcome;
    QString error;
    {
        const WaitCursor wait;
        QPrinter& printer = applicationPrinter();
        PrintRun run(printer);
        PrinterJob job(printer);
        run.recorder().drawStraightOn(&job);
        outcome = StampaEtichette(run.recorder(), m_context.DbArchivi,
                                  m_clienti->isChecked() ? Table::Clienti : Table::Fornitori, range,
                                  m_colonne->isChecked(), &error);
        run.recorder().drawStraightOn(nullptr);
    }
    if (outcome == LabelOutcome::Failed) {
        MessageBox::error(this, printErrorText(error));
        return;
    }
    if (outcome == LabelOutcome::NoData)
        MessageBox::show(this, QStringLiteral("Non sono stati catalogati dati"));
    closeWindow();
}
