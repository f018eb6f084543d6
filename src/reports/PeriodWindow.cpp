#include "PeriodWindow.h"

#include "AppContext.h"
#include "CommandButtons.h"
#include "DocumentPreview.h"
#include "KeyText.h"
#include "ListWindow.h"
#include "MessageBox.h"
#include "PeriodReportLayout.h"
#include "ReportExport.h"
#include "Validation.h"
#include "ViewerLauncher.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

FieldTable periodFields(PeriodReport report)
{
    // index, caption, declaration, MaxLength, TabIndex, record position, visible, beside previous
    FieldTable table = {
        {0, QStringLiteral("Periodo  DAL"), QStringLiteral("TOLD+"), 10, 0, 0},
        {1, QStringLiteral("AL"), QStringLiteral("TOLD+"), 10, 1, 0, true, true},
    };
    if (report == PeriodReport::Fatturato)
        table.push_back({2, QStringLiteral("Cliente"), QStringLiteral("AOLA0002"), 10, 2, 0});
    return table;
}

QString caption(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Ritenuta:
        return QStringLiteral("Stampa SITUAZIONE R.A.");
    case PeriodReport::Movimenti:
        return QStringLiteral("Stampa MOVIMENTI");
    case PeriodReport::Fatturato:
        break;
    }
    return QStringLiteral("Stampa FATTURATO");
}

} // namespace

PeriodWindow::PeriodWindow(AppContext& context, PeriodReport report, QWidget* parent)
    : FieldWindow(context, parent), m_report(report)
{
    setWindowTitle(caption(report));
    UltimaChiave = -1; // no field is a record key

    auto* frame = new QWidget(this);
    buildFields(periodFields(report), frame);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    if (report == PeriodReport::Fatturato) {
        m_inevase = new QCheckBox(QStringLiteral("Fatture inevase"), this);
        m_inevase->setObjectName(QStringLiteral("Inevase"));
        layout->addWidget(m_inevase);
    }

    m_btStampa = commandButton(QStringLiteral("&Stampa"), "BtStampa", this);
    m_btAnte = commandButton(QStringLiteral("&Riepilogo"), "BtAnte", this);
    auto* close = commandButton(QStringLiteral("&Uscita"), "BtUscita", this);
    connect(m_btStampa, &QPushButton::clicked, this, &PeriodWindow::BtStampa_Click);
    connect(m_btAnte, &QPushButton::clicked, this, &PeriodWindow::BtAnte_Click);
    connect(close, &QPushButton::clicked, this, &PeriodWindow::BtUscita_Click);
    layout->addStretch(1);
    layout->addLayout(commandRow({m_btStampa, m_btAnte}, close));

    Form_Load();
}

void PeriodWindow::Form_Load()
{
    for (int i = 0; i < fieldCount(); ++i)
        Ombra(i)->setAutoFillBackground(false);
    const QString form = QStringLiteral("dd/MM/yyyy");
    setText(0, defaultFirstDate().toString(form));
    setText(1, defaultLastDate().toString(form));
}

QString PeriodWindow::shownDate(int index) const
{
    return normalizeDate(text(index)).value_or(text(index));
}

ParametriLista PeriodWindow::selection() const
{
    ParametriLista chosen;
    chosen.first = parseItalianDate(shownDate(0));
    chosen.last = parseItalianDate(shownDate(1));
    if (m_report == PeriodReport::Fatturato) {
        chosen.clientCode = text(2);
        chosen.unpaidOnly = m_inevase->isChecked();
    }
    return chosen;
}

void PeriodWindow::BtStampa_Click()
{
    const ParametriLista chosen = selection();
    Database& db = m_context.DbArchivi;
    if (const QString message = checkSelection(db, m_report, chosen); !message.isEmpty()) {
        MessageBox::warning(this, message);
        return;
    }
    const PdfExportRequest pdf{reportExportPath(m_context.programFolder, m_report, chosen),
                               reportExportTitle(m_report, chosen),
                               {},
                               launchViewer};
    const QString typedFirst = shownDate(0);
    const QString typedLast = shownDate(1);
    const bool shown = previewDocument(
        this, &db,
        [&](PageRecorder& recorder) {
            return StampaPeriodo(recorder, db, m_report, chosen, typedFirst, typedLast);
        },
        pdf, NothingDrawn::MessageOnly);
    if (shown)
        closeWindow();
}

void PeriodWindow::BtAnte_Click()
{
    const ParametriLista chosen = selection();
    switch (m_report) {
    case PeriodReport::Fatturato:
        DispFAT(m_context, chosen, this).exec();
        break;
    case PeriodReport::Ritenuta:
        DispRA(m_context, chosen, this).exec();
        break;
    case PeriodReport::Movimenti:
        DispMOV(m_context, chosen, this).exec();
        break;
    }
    closeWindow();
}

STAFatturato::STAFatturato(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Fatturato, parent)
{
    setObjectName(QStringLiteral("STAFatturato"));
}

STARA::STARA(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Ritenuta, parent)
{
    setObjectName(QStringLiteral("STARA"));
}

STAMOV::STAMOV(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Movimenti, parent)
{
    setObjectName(QStringLiteral("STAMOV"));
}
