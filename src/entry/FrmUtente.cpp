#include "FrmUtente.h"

#include "AppContext.h"
#include "HeadingData.h"
#include "MasterDataFields.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "StatusMessage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

FrmUtente::FrmUtente(AppContext& context, QWidget* parent) : FieldWindow(context, parent)
{
    setObjectName(QStringLiteral("FrmUtente"));
    setWindowTitle(QStringLiteral("Intestazione UTENTE"));
    UltimaChiave = -1;
    trackChanges();

    auto* frame = new QWidget(this);
    buildFields(headingFields(), frame);
    m_btMem = new QPushButton(QStringLiteral("&Memorizza"), this);
    m_btMem->setObjectName(QStringLiteral("BtMem"));
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), this);
    close->setObjectName(QStringLiteral("BtUscita"));
    connect(m_btMem, &QPushButton::clicked, this, &FrmUtente::BtMem_Click);
    connect(close, &QPushButton::clicked, this, &FrmUtente::BtUscita_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btMem);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    QString error;
    m_table = Recordset::OpenTable(m_context.DbArchivi, QStringLiteral("datipers"), &error);
    if (!m_table) {
        MessageBox::error(this, error);
        m_btMem->setEnabled(false);
        return;
    }
    showStored();
    // A read-only or damaged archive shows the heading but offers no save.
    m_btMem->setEnabled(m_context.DbArchivi.acceptsWrites());
}

FrmUtente::~FrmUtente() = default;

void FrmUtente::showStored()
{
    m_table->MoveFirst();
    // What documents print is the heading as stored now.
    if (!m_table->Eof())
        for (int i = 0; i < 6; ++i) {
            setText(i, m_table->text(i));
            if (i < m_context.DatiUtente.size())
                m_context.DatiUtente[i] = m_table->text(i);
        }
    rememberShownTexts();
}

void FrmUtente::BtMem_Click()
{
    saveChanges();
}

bool FrmUtente::saveChanges()
{
    if (!m_table)
        return false;
    if (const auto refusal = checkFields(*this, descriptionLookup())) {
        keepFocus(refusal->index);
        MessageBox::warning(this, refusal->message);
        return false;
    }
    QStringList values;
    for (int i = 0; i < 6; ++i)
        values << text(i);
    QString error;
    if (!saveHeadingData(*m_table, values, &m_context.DatiUtente, &error)) {
        // "No" keeps what was typed on screen; the next save is refused
        // again until the stored heading is read.
        if (m_table->lastFailure() != Recordset::Failure::ChangedElsewhere)
            MessageBox::error(this, QStringLiteral("I dati non sono stati memorizzati:\n") + error);
        else if (MessageBox::show(this, error, QMessageBox::Question,
                                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            showStored();
        return false;
    }
    rememberShownTexts();
    MessaggioStato(QStringLiteral("Intestazione memorizzata"), false);
    return true;
}
