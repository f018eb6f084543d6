#include "PecSettingsDialog.h"

#include "AppContext.h"
#include "ConnectionTest.h"
#include "MessageBox.h"
#include "PecDelivery.h"
#include "PecPassword.h"
#include "PecSession.h"
#include "WaitCursor.h"
#include "WorkerThread.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* portBox(int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(1, 65535);
    box->setValue(value);
    return box;
}

bool looksLikeAddress(const QString& text)
{
    static const QRegularExpression address(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    return address.match(text).hasMatch();
}

} // namespace

PecSettingsDialog::PecSettingsDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("PecSettingsDialog"));
    setWindowTitle(QStringLiteral("Impostazioni PEC"));
    const PecSettings pec = context.settings().pec();
    m_address = new QLineEdit(pec.address, this);
    m_address->setObjectName(QStringLiteral("Indirizzo"));
    m_address->setMinimumWidth(320);
    m_smtpHost = new QLineEdit(pec.smtpHost, this);
    m_smtpHost->setObjectName(QStringLiteral("ServerSMTP"));
    m_smtpPort = portBox(pec.smtpPort, this);
    m_smtpPort->setObjectName(QStringLiteral("PortaSMTP"));
    m_imapHost = new QLineEdit(pec.imapHost, this);
    m_imapHost->setObjectName(QStringLiteral("ServerIMAP"));
    m_imapPort = portBox(pec.imapPort, this);
    m_imapPort->setObjectName(QStringLiteral("PortaIMAP"));
    m_user = new QLineEdit(pec.user, this);
    m_user->setObjectName(QStringLiteral("Utente"));
    m_user->setPlaceholderText(QStringLiteral("l'indirizzo PEC"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(QStringLiteral("invariata"));
    m_sdiAddress = new QLineEdit(pec.sdiAddress, this);
    m_sdiAddress->setObjectName(QStringLiteral("IndirizzoSdI"));
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("Esito"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for both servers' lines, so that the window does not jump.
    m_result->setMinimumHeight(2 * m_result->fontMetrics().lineSpacing() + 4);

    const auto row = [this](QWidget* host, QSpinBox* port) {
        auto* line = new QHBoxLayout;
        line->addWidget(host, 1);
        line->addWidget(new QLabel(QStringLiteral("porta"), this));
        line->addWidget(port);
        return line;
    };
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Indirizzo PEC"), m_address);
    form->addRow(QStringLiteral("Server di &invio (SMTP)"), row(m_smtpHost, m_smtpPort));
    form->addRow(QStringLiteral("Server di &ricezione (IMAP)"), row(m_imapHost, m_imapPort));
    form->addRow(QStringLiteral("&Utente"), m_user);
    form->addRow(QStringLiteral("Pass&word"), m_password);
    form->addRow(QStringLiteral("Indirizzo &SdI"), m_sdiAddress);
    auto* note = new QLabel(QStringLiteral("Porte 465 e 993: collegamento cifrato (TLS); altre "
                                           "porte: STARTTLS obbligatorio. La password è "
                                           "custodita dall'archivio di segreti del desktop, mai "
                                           "nel file delle impostazioni."),
                            this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    auto* test =
        buttons->addButton(QStringLiteral("&Prova collegamento"), QDialogButtonBox::ActionRole);
    test->setObjectName(QStringLiteral("Prova"));
    auto* save = buttons->addButton(QStringLiteral("&Memorizza"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("Memorizza"));
    save->setDefault(true);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    connect(test, &QPushButton::clicked, this, &PecSettingsDialog::testClicked);
    connect(save, &QPushButton::clicked, this, &PecSettingsDialog::saveClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(m_result);
    layout->addWidget(buttons);
}

std::optional<PecSettings> PecSettingsDialog::typed()
{
    PecSettings pec;
    pec.address = m_address->text().trimmed();
    pec.smtpHost = m_smtpHost->text().trimmed();
    pec.smtpPort = m_smtpPort->value();
    pec.imapHost = m_imapHost->text().trimmed();
    pec.imapPort = m_imapPort->value();
    pec.user = m_user->text().trimmed();
    pec.sdiAddress = m_sdiAddress->text().trimmed();
    const auto refuse = [this](QLineEdit* field, const QString& message) {
        MessageBox::warning(this, message);
        field->setFocus();
        field->selectAll();
    };
    if (!looksLikeAddress(pec.address)) {
        refuse(m_address, QStringLiteral("Indirizzo PEC non valido: scriverlo come "
                                         "nome@dominio.it"));
        return std::nullopt;
    }
    if (!looksLikeAddress(pec.sdiAddress)) {
        refuse(m_sdiAddress, QStringLiteral("Indirizzo SdI non valido: di norma è %1")
                                 .arg(QString::fromLatin1(PecSettings::kDefaultSdiAddress)));
        return std::nullopt;
    }
    for (QLineEdit* host : {m_smtpHost, m_imapHost})
        if (host->text().trimmed().contains(QRegularExpression(QStringLiteral("[\\s/:]")))) {
            refuse(host, QStringLiteral("Nome del server non valido: solo il nome, senza "
                                        "protocollo né porta"));
            return std::nullopt;
        }
    if (pec.smtpHost.isEmpty() && pec.imapHost.isEmpty()) {
        refuse(m_smtpHost, QStringLiteral("Indicare almeno un server, di invio o di ricezione"));
        return std::nullopt;
    }
    return pec;
}

void PecSettingsDialog::testClicked()
{
    const auto pec = typed();
    if (!pec)
        return;
    QString password = m_password->text();
    if (password.isEmpty()) {
        const auto known = PecSession::password(*pec, this);
        if (!known)
            return;
        password = *known;
    }
    const PecAccount account = pecAccount(*pec, password);
    QStringList lines;
    {
        const WaitCursor wait;
        m_result->setText(QStringLiteral("Collegamento in corso ..."));
        lines = runInWorker([account] { return testPecConnection(account); });
    }
    m_result->setText(lines.join(QLatin1Char('\n')));
    // An error sentence is long: the window grows to show it whole.
    adjustSize();
}

void PecSettingsDialog::saveClicked()
{
    const auto pec = typed();
    if (!pec)
        return;
    const PecSettings before = m_context.settings().pec();
    if (!m_context.settings().setPec(*pec)) {
        MessageBox::error(this, QStringLiteral("Impossibile scrivere le impostazioni in %1")
                                    .arg(m_context.settingsFile()));
        return;
    }
    const QString password = m_password->text();
    if (!password.isEmpty()) {
        QString problem;
        PecSession::forget(before);
        PecSession::remember(*pec, password);
        if (!PecPassword::store(*pec, password, &problem)) {
            MessageBox::warning(this, QStringLiteral("Impostazioni memorizzate. La password non "
                                                     "è stata custodita (%1): vale fino alla "
                                                     "chiusura del programma e sarà chiesta al "
                                                     "prossimo avvio.")
                                          .arg(problem));
        }
    }
    accept();
}
