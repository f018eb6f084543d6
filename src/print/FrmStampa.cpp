#include "FrmStampa.h"

#include <algorithm>

#include "MessageBox.h"

#include <QApplication>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

namespace {

// Pasted text goes through the same rule as typed keys.
class DigitsValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return isDigitsOnly(input) ? Acceptable : Invalid;
    }
};

} // namespace

FrmStampa::FrmStampa(PageRange proposed, QWidget* parent, PrinterSystem& printers)
    : QDialog(parent), m_printers(printers), m_proposed(proposed)
{
    setWindowTitle(QStringLiteral("Stampa"));
    setObjectName(QStringLiteral("FrmStampa"));

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_driver = new QLabel(this);
    m_driver->setObjectName(QStringLiteral("Driver"));
    m_port = new QLabel(this);
    m_port->setObjectName(QStringLiteral("Porta"));

    auto* validator = new DigitsValidator(this);
    auto makeField = [&](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        // Room for the last page's number, however long the document.
        field->setMaxLength(std::max<int>(5, int(QString::number(proposed.last).size())));
        field->setValidator(validator);
        field->installEventFilter(this);
        return field;
    };
    m_dati0 = makeField("Dati0");
    m_dati1 = makeField("Dati1");

    m_command1 = new QPushButton(QStringLiteral("Stampa"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setAutoDefault(false);
    m_command1->setDefault(true);

    auto* details = new QFormLayout;
    details->addRow(QStringLiteral("Driver:"), m_driver);
    details->addRow(QStringLiteral("Porta:"), m_port);
    auto* range = new QFormLayout;
    auto* from = new QLabel(QStringLiteral(" Da pagina"), this);
    from->setObjectName(QStringLiteral("DesLbl0"));
    from->setBuddy(m_dati0);
    auto* to = new QLabel(QStringLiteral(" A pagina"), this);
    to->setObjectName(QStringLiteral("DesLbl1"));
    to->setBuddy(m_dati1);
    range->addRow(from, m_dati0);
    range->addRow(to, m_dati1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list1, 1);
    layout->addLayout(details);
    layout->addLayout(range);
    layout->addWidget(m_command1, 0, Qt::AlignRight);

    connect(m_command1, &QPushButton::clicked, this, &FrmStampa::Command1_Click);
    connect(m_list1, &QListWidget::itemDoubleClicked, this, &FrmStampa::List1_DblClick);
    connect(m_list1, &QListWidget::currentRowChanged, this, &FrmStampa::showPrinterDetails);

    Form_Load();
}

void FrmStampa::Form_Load()
{
    m_entries.clear();
    m_list1->clear();
    for (const PrinterEntry& entry : m_printers.printers()) {
        if (entry.name.trimmed().isEmpty())
            continue;
        m_entries << entry;
        m_list1->addItem(entry.name.trimmed());
    }
    const QString current = m_printers.programPrinterName();
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name == current)
            m_list1->setCurrentRow(i);
    showPrinterDetails();

    m_dati0->setText(QString::number(m_proposed.first));
    m_dati1->setText(QString::number(m_proposed.last));
    m_chosen.reset();
    m_list1->setFocus();
}

void FrmStampa::showPrinterDetails()
{
    const int row = m_list1->currentRow();
    const bool valid = row >= 0 && row < m_entries.size();
    m_driver->setText(valid ? m_entries[row].driver : QString());
    m_port->setText(valid ? m_entries[row].port : QString());
}

void FrmStampa::applySelection()
{
    const int row = m_list1->currentRow();
    if (row < 0 || row >= m_entries.size())
        return;
    const PrinterEntry& entry = m_entries[row];
    QString error;
    // The system default is only rewritten for a printer whose driver and
    // device are known, as the default entry needs both.
    if (!entry.driver.isEmpty() && !entry.port.isEmpty()) {
        if (!m_printers.setDefaultPrinter(entry.name, &error))
            MessageBox::error(this,
                              QStringLiteral("Impossibile rendere %1 la stampante predefinita.\n%2")
                                  .arg(entry.name, error));
    }
    // The print goes where the user chose, known driver or not.
    if (entry.name != m_printers.programPrinterName() &&
        !m_printers.setProgramPrinter(entry.name, &error))
        MessageBox::error(this, error);
}

void FrmStampa::Command1_Click()
{
    applySelection();
    m_chosen = PageRange{pageNumberFromText(m_dati0->text()), pageNumberFromText(m_dati1->text())};
    accept();
}

void FrmStampa::List1_DblClick()
{
    Command1_Click();
}

bool FrmStampa::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_dati0 || watched == m_dati1)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        const QString text = key->text();
        // Printable keys other than digits are refused with a beep.
        if (!text.isEmpty() && text.at(0).isPrint() && !isDigitsOnly(text)) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
