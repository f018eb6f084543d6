#include "StampDutyWindow.h"

#include "AppContext.h"
#include "Client.h"
#include "Clock.h"
#include "CommandButtons.h"
#include "StampDutyReport.h"
#include "WaitCursor.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

StampDutyWindow::StampDutyWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("STABOLLO"));
    setWindowTitle(QStringLiteral("Imposta di bollo"));
    m_anno = new QSpinBox(this);
    m_anno->setObjectName(QStringLiteral("Anno"));
    m_anno->setRange(1, 9999);
    m_anno->setValue(Clock::today().year());
    auto* label = new QLabel(QStringLiteral("&Anno"), this);
    label->setBuddy(m_anno);
    m_testo = new QPlainTextEdit(this);
    m_testo->setObjectName(QStringLiteral("Testo"));
    m_testo->setReadOnly(true);
    m_testo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_testo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_testo->setMinimumSize(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 90,
                            fontMetrics().height() * 24);
    QPushButton* close = commandButton(QStringLiteral("&Uscita"), "BtUscita", this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_anno);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_testo);
    layout->addLayout(commandRow({}, close));
    connect(m_anno, &QSpinBox::valueChanged, this, &StampDutyWindow::showYear);
    showYear(m_anno->value());
}

void StampDutyWindow::showYear(int year)
{
    const WaitCursor wait;
    Database& db = m_context.DbArchivi;
    QString error;
    const auto report = readStampDutyYear(db, year, &error);
    if (!report) {
        m_testo->setPlainText(error);
        return;
    }
    const Clients clients(db);
    m_testo->setPlainText(stampDutyReportLines(*report, [&clients](const QString& code) {
                              QString ignored;
                              const auto client = clients.find(code, &ignored);
                              return client ? client->name : QString();
                          }).join(QLatin1Char('\n')));
}
