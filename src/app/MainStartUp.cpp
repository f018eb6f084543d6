// The main window's start-up: shown and painted first, the archives opened
// right after, then the day's copy on a thread of its own.
#include "Main.h"

#include "AppContext.h"
#include "ArchiveMaintenance.h"
#include "Clock.h"
#include "DailyCopyJob.h"
#include "DatabaseMaintenance.h"
#include "HeldKeys.h"
#include "MessageBox.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTime>

StartUpOutcome Main::MDIForm_Load(QString* error)
{
    const Separators sep = separatorsFromLocale(QLocale::system());
    m_context.SepDecimali = sep.decimal;
    m_context.SepMigliaia = sep.thousands;
    updateBorders();
    setWindowTitle(mainCaption(windowTitle(), m_context.settings().profession()));

    bool dailyCopyNext = false;
    StartUpOutcome outcome = openArchives(m_context, error);
    ArchiveMaintenance maintenance(m_context, this);
    if (outcome == StartUpOutcome::DatabaseDamaged && maintenance.offerRepair(*error))
        outcome = StartUpOutcome::Ready;
    if (outcome == StartUpOutcome::AlreadyRunning)
        MessageBox::error(this, *error);
    if (outcome == StartUpOutcome::DatabaseUnusable)
        MessageBox::error(this, m_context.DbArchivi.openFailure() == OpenFailure::Newer
                                    ? *error
                                    : QStringLiteral("Impossibile aprire l'archivio %1:\n\n%2")
                                          .arg(m_context.archivesLocation(), *error));
    if (outcome == StartUpOutcome::Ready && !maintenance.afterOpen(&dailyCopyNext)) {
        m_context.DbArchivi.close();
        outcome = StartUpOutcome::DatabaseDamaged;
        *error = QStringLiteral("archivio danneggiato, riparazione non eseguita");
    }
    if (outcome == StartUpOutcome::DatabaseDamaged)
        maintenance.lastWordOnDamage();
    if (outcome != StartUpOutcome::Ready)
        return outcome;
    // Damage met later stops the saves at once; the repair is offered once
    // the user is back at the main window.
    m_context.DbArchivi.setDamageHandler(
        [this](const QString& report) { offerRepairWhenIdle(report); });

    m_giorno->setText(longDate(Clock::today()));
    m_finestra->setText(QString());
    if (m_context.DbArchivi.onServer()) {
        auto* where = new QLabel(serverPanelText(m_context.DbArchivi.location()), this);
        where->setObjectName(QStringLiteral("Archivi"));
        statusBar()->addPermanentWidget(where);
    }
    if (dailyCopyNext)
        startDailyCopy();
    return StartUpOutcome::Ready;
}

void Main::showAndLoad()
{
    setArchivesReady(false);
    m_heldKeys = std::make_unique<HeldKeys>(this);
    m_loadPending = true;
    installEventFilter(this);
    show();
}

bool Main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::Paint && m_loadPending) {
        m_loadPending = false;
        // Queued: the window and its children are drawn in this pass first.
        QMetaObject::invokeMethod(this, &Main::loadAfterFirstPaint, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Main::loadAfterFirstPaint()
{
    removeEventFilter(this);
    // Closed before its archives were opened (a quit or a logout met
    // first): there is nothing to open them for.
    if (!isVisible()) {
        m_heldKeys.reset();
        return;
    }
    QString error;
    const StartUpOutcome outcome = MDIForm_Load(&error);
    if (outcome == StartUpOutcome::Ready) {
        setArchivesReady(true);
        m_heldKeys->release();
    } else {
        m_heldKeys.reset();
    }
    emit loaded(outcome, error);
}

bool Main::dailyCopyRunning() const
{
    return m_dailyCopy && m_dailyCopy->running();
}

void Main::startDailyCopy()
{
    const Database& db = m_context.DbArchivi;
    DailyCopyJob::Source source{db.path(), std::nullopt, m_context.programFolder, Clock::today()};
    if (db.onServer())
        source.server = m_context.databaseServer();
    // Most starts are not a day's first: no thread for them.
    if (!dailyCopyDue(source.dataFolder, source.today))
        return;
    if (!m_dailyCopyPanel) {
        m_dailyCopyPanel = new QLabel(this);
        m_dailyCopyPanel->setObjectName(QStringLiteral("CopiaGiornaliera"));
        statusBar()->addPermanentWidget(m_dailyCopyPanel);
    }
    m_dailyCopyPanel->setText(QStringLiteral("Copia giornaliera dell'archivio in corso..."));
    m_dailyCopyPanel->show();
    m_dailyCopy = std::make_unique<DailyCopyJob>(
        std::move(source), [this](const DailyCopyOutcome& outcome) { dailyCopyDone(outcome); });
}

void Main::dailyCopyDone(const DailyCopyOutcome& outcome)
{
    // Called off by the closing window; one that was done by then is said.
    if (outcome.kind == DailyCopyOutcome::Kind::Failed && m_dailyCopy->cancelled()) {
        m_dailyCopyPanel->setText(QStringLiteral("Copia giornaliera dell'archivio interrotta"));
        emit dailyCopyEnded();
        return;
    }
    switch (outcome.kind) {
    case DailyCopyOutcome::Kind::NotDue:
        m_dailyCopyPanel->hide();
        break;
    case DailyCopyOutcome::Kind::Made:
        m_dailyCopyPanel->setText(QStringLiteral("Copia giornaliera dell'archivio salvata alle %1")
                                      .arg(QTime::currentTime().toString(QStringLiteral("HH:mm"))));
        break;
    case DailyCopyOutcome::Kind::Failed:
        m_dailyCopyPanel->setText(QStringLiteral("Copia giornaliera dell'archivio non salvata"));
        break;
    case DailyCopyOutcome::Kind::Damaged:
        m_dailyCopyPanel->setText(
            QStringLiteral("Copia giornaliera non salvata: l'archivio è danneggiato"));
        // The saves stop now, whatever window is open.
        m_context.DbArchivi.noteDamage(foundDamageReport(outcome.problems));
        break;
    }
    whenIdle([this, outcome] { ArchiveMaintenance(m_context, this).afterDailyCopy(outcome); });
    emit dailyCopyEnded();
}
