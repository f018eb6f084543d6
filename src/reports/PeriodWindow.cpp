#include "PeriodWindow.h"

#include "AppContext.h"
#include "CommandButtons.h"
#include "DocumentPreview.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "PeriodReportLayout.h"
#include "PeriodReportWindows.h"
#include "ReportExport.h"
#include "Validation.h"
#include "ViewerLauncher.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

FieldTable periodFields(const PeriodReportKind& kind)
{
    // index, caption, declaration, MaxLength, TabIndex, record position, visible, beside previous
    FieldTable table = {
        {0, QStringLiteral("Periodo  DAL"), QStringLiteral("TOLD+"), 10, 0, 0},
        {1, QStringLiteral("AL"), QStringLiteral("TOLD+"), 10, 1, 0, true, true},
    };
    if (kind.byClient)
        table.push_back({2, QStringLiteral("Cliente"), QStringLiteral("AOLA0002"), 10, 2, 0});
    return table;
}

} // namespace

PeriodWindow::PeriodWindow(AppContext& context, PeriodReport report, QWidget* parent)
    : FieldWindow(context, parent), m_kind(kindOf(report))
{
    setObjectName(QString::fromUtf8(m_kind.windowName));
    setWindowTitle(QString::fromUtf8(m_kind.windowCaption));
    UltimaChiave = -1; // no field is a record key

    auto* frame = new QWidget(this);
    buildFields(periodFields(m_kind), frame);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    if (m_kind.byClient) {
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
    if (m_kind.byClient) {
        chosen.clientCode = text(2);
        chosen.unpaidOnly = m_inevase->isChecked();
    }
    return chosen;
}

void PeriodWindow::BtStampa_Click()
{
    const ParametriLista chosen = selection();
    Database& db = m_context.DbArchivi;
    if (const QString message = checkSelection(db, m_kind.report, chosen); !message.isEmpty()) {
        MessageBox::warning(this, message);
        return;
    }
    const QString archive = m_context.archiveFolder();
    const PdfExportRequest pdf{reportExportPath(archive, m_kind.report, chosen),
                               reportExportTitle(m_kind.report, chosen),
                               {},
                               launchViewer,
                               archive};
    const QString typedFirst = shownDate(0);
    const QString typedLast = shownDate(1);
    const bool shown = previewDocument(
        this, &db,
        [&](PageRecorder& recorder) {
            return StampaPeriodo(recorder, db, m_kind.report, chosen, typedFirst, typedLast);
        },
        pdf, NothingDrawn::MessageOnly);
    if (shown)
        closeWindow();
}

void PeriodWindow::BtAnte_Click()
{
    openListWindow(m_context, m_kind.report, selection(), this);
    closeWindow();
}

STAFatturato::STAFatturato(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Fatturato, parent)
{
}

STARA::STARA(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Ritenuta, parent)
{
}

STAMOV::STAMOV(AppContext& context, QWidget* parent)
    : PeriodWindow(context, PeriodReport::Movimenti, parent)
{
}
