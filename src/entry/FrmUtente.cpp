#include "FrmUtente.h"

#include "AppContext.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "StatusMessage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

const FieldTable& FrmUtente::fields()
{
    // The field index is also the record position and the DatiUtente index.
    static const FieldTable table = {
        {0, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 0, 0},
        {1, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 1, 1},
        {2, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 2, 2},
        {3, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 3, 3},
        {4, QStringLiteral("Partita IVA"), QStringLiteral("AOL"), 11, 4, 4},
        {5, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"), 16, 5, 5},
    };
    return table;
}

bool MemorizzaDatiUtente(Recordset& table, const QStringList& values, QStringList* datiUtente,
                         QString* error)
{
    table.MoveFirst();
    if (table.Eof())
        table.AddNew(); // a database without its heading record gets one
    else
        table.Edit();
    for (int i = 0; i < 6; ++i) {
        if (!table.setValue(i, values.value(i))) {
            *error = table.lastError();
            table.CancelUpdate();
            return false;
        }
    }
    if (!table.Update()) {
        *error = table.lastError();
        table.CancelUpdate();
        return false;
    }
    for (int i = 0; i < 6; ++i)
        (*datiUtente)[i] = values.value(i);
    return true;
}

FrmUtente::FrmUtente(AppContext& context, QWidget* parent) : FieldWindow(context, parent)
{
    setObjectName(QStringLiteral("FrmUtente"));
    setWindowTitle(QStringLiteral("Intestazione UTENTE"));
    UltimaChiave = -1;
    trackChanges();

    auto* frame = new QWidget(this);
    buildFields(fields(), frame);
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
        Messaggio::errore(this, error);
        m_btMem->setEnabled(false);
        return;
    }
    if (!m_table->Eof())
        for (int i = 0; i < 6; ++i)
            setText(i, m_table->text(i));
}

FrmUtente::~FrmUtente() = default;

void FrmUtente::BtMem_Click()
{
    salvaModifiche();
}

bool FrmUtente::salvaModifiche()
{
    if (!m_table)
        return false;
    QStringList values;
    for (int i = 0; i < 6; ++i)
        values << text(i);
    QString error;
    if (!MemorizzaDatiUtente(*m_table, values, &m_context.DatiUtente, &error)) {
        Messaggio::errore(this, QStringLiteral("I dati non sono stati memorizzati:\n") + error);
        return false;
    }
    rememberShownTexts();
    MessaggioStato(QStringLiteral("Intestazione memorizzata"), false);
    return true;
}
