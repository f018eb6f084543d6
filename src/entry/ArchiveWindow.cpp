#include "ArchiveWindow.h"

#include "AppContext.h"
#include "FconsCOD.h"
#include "MessageBox.h"
#include "Recordset.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

ArchiveWindow::ArchiveWindow(AppContext& context, QWidget* parent) : FieldWindow(context, parent) {}

ArchiveWindow::~ArchiveWindow() = default;

bool ArchiveWindow::Form_Load(int numTabella, int ultimoDato, int ultimaChiave, const FieldTable& fields,
                              bool withConsult)
{
    NumTabella = numTabella;
    UltimoDato = ultimoDato;
    UltimaChiave = ultimaChiave;

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("TabStrip1"));
    auto* frame = new QWidget(tabs);
    frame->setObjectName(QStringLiteral("Frame1"));
    buildFields(fields, frame);
    tabs->addTab(frame, QStringLiteral("Dati"));

    m_btMem = new QPushButton(QStringLiteral("&Memorizza"), this);
    m_btMem->setObjectName(QStringLiteral("BtMem"));
    m_btCanc = new QPushButton(QStringLiteral("&Elimina"), this);
    m_btCanc->setObjectName(QStringLiteral("BtCanc"));
    m_btUscita = new QPushButton(QStringLiteral("&Chiudi"), this);
    m_btUscita->setObjectName(QStringLiteral("BtUscita"));
    connect(m_btMem, &QPushButton::clicked, this, &ArchiveWindow::BtMem_Click);
    connect(m_btCanc, &QPushButton::clicked, this, &ArchiveWindow::BtCanc_Click);
    connect(m_btUscita, &QPushButton::clicked, this, &ArchiveWindow::BtUscita_Click);

    auto* buttons = new QHBoxLayout;
    m_buttons = buttons;
    buttons->addWidget(m_btMem);
    buttons->addWidget(m_btCanc);
    if (withConsult) {
        m_consCod = new QPushButton(QStringLiteral("C&onsulta ...."), this);
        m_consCod->setObjectName(QStringLiteral("ConsCOD"));
        connect(m_consCod, &QPushButton::clicked, this, &ArchiveWindow::ConsCOD_Click);
        buttons->addWidget(m_consCod);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_btUscita);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);

    // Nothing to save or delete until a key has been typed.
    m_btMem->setEnabled(false);
    m_btCanc->setEnabled(false);

    QString error;
    m_table = Recordset::OpenTable(m_context.DbArchivi, m_context.NomiTabelle.value(NumTabella), &error);
    if (!m_table) {
        Messaggio::errore(this, error);
        return false;
    }
    return true;
}

void ArchiveWindow::closeEvent(QCloseEvent* event)
{
    BtUscita_Click();
    event->accept();
}

void ArchiveWindow::Dati_GotFocus(int index)
{
    if (index <= UltimaChiave) {
        m_btCanc->setEnabled(false);
        m_btMem->setEnabled(false);
    }
    FieldWindow::Dati_GotFocus(index);
}

void ArchiveWindow::keyFieldLeft(int index)
{
    Q_UNUSED(index);
    QString error;
    switch (CaricaRecord(*m_table, UltimoDato, UltimaChiave, *this, &error)) {
    case LoadOutcome::NoKey:
        break;
    case LoadOutcome::Found:
        m_btMem->setEnabled(true);
        m_btCanc->setEnabled(true);
        break;
    case LoadOutcome::NotFound:
        m_btMem->setEnabled(true);
        m_btCanc->setEnabled(false);
        break;
    case LoadOutcome::Failed:
        Messaggio::errore(this, error);
        break;
    }
}

void ArchiveWindow::BtMem_Click()
{
    QString error;
    switch (MemorizzaRecord(*m_table, UltimoDato, UltimaChiave, *this, m_context.SepMigliaia,
                            m_context.SepDecimali, &error)) {
    case SaveOutcome::NoKey:
        QApplication::beep();
        break;
    case SaveOutcome::Saved:
        m_btCanc->setEnabled(true);
        recordStored();
        break;
    case SaveOutcome::Failed:
        Messaggio::errore(this, QStringLiteral("Il record non è stato memorizzato:\n") + error);
        return; // the user corrects the field where the values are
    }
    focusFirstEnabledField();
}

void ArchiveWindow::BtCanc_Click()
{
    if (!mayDelete())
        return;
    QString error;
    switch (EliminaRecord(*m_table, UltimoDato, UltimaChiave, *this, &error)) {
    case DeleteOutcome::NoKey:
    case DeleteOutcome::NotFound:
        QApplication::beep();
        return;
    case DeleteOutcome::Failed:
        Messaggio::errore(this, QStringLiteral("Il record non è stato eliminato:\n") + error);
        return;
    case DeleteOutcome::Deleted:
        for (int i = 0; i < fieldCount(); ++i)
            if (Ombra(i))
                Ombra(i)->clear();
        m_btCanc->setEnabled(false);
        recordDeleted();
        focusField(0);
        break;
    }
}

void ArchiveWindow::ConsCOD_Click()
{
    m_context.EsitoConsulta = 1;
    m_context.TabellaCorrente = NumTabella;
    FconsCOD grid(m_context, this);
    grid.exec();
    m_context.EsitoConsulta = -1;
}

void ArchiveWindow::focusFirstEnabledField()
{
    for (int i = 0; i <= UltimoDato && i < fieldCount(); ++i) {
        QWidget* w = Dati(i);
        if (w && w->isEnabled() && w->isVisible()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
