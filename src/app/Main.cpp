#include "Main.h"
#include "ButtonIcons.h"

#include "AccountantExportWindow.h"
#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "ArchiveMaintenance.h"
#include "Clock.h"
#include "Consulta.h"
#include "ContactImportWindow.h"
#include "DailyCopyJob.h"
#include "DatabaseMaintenance.h"
#include "ElectronicInvoiceFiles.h"
#include "FArcCLI.h"
#include "FArcFAT.h"
#include "FArcFOR.h"
#include "FArcMOV.h"
#include "FParcella.h"
#include "FatturaPAPreview.h"
#include "FrmUtente.h"
#include "HeldKeys.h"
#include "MessageBox.h"
#include "PecActions.h"
#include "PeriodReportWindows.h"
#include "STAFAT.h"
#include "StaETI.h"
#include "StampDutyWindow.h"
#include "StatusMessage.h"
#include "Twips.h"
#include "WindowGeometry.h"
#include "YearGlanceWindow.h"
#include "frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

namespace {

// Menu entries as the user sees them. An entry without a handler opens a
// window that is not part of the program yet and stays disabled.
struct MenuEntry
{
    const char* name; // empty for a separator
    const char* caption;
    std::optional<PeriodReport> report = std::nullopt; // the period window it opens
};

struct MenuDef
{
    const char* name;
    const char* caption;
    std::vector<MenuEntry> entries;
};

// Within a menu no two entries share an access key: one that is shared
// only moves the highlight between them instead of choosing.
const std::vector<MenuDef>& menuDefs()
{
    static const std::vector<MenuDef> menus = {
        {"MenuArchivi",
         "&Archivi",
         {{"VoceClienti", "Archivio &Clienti"},
          {"VoceFatture", "Archivio &Fatture"},
          {"VoceFornitori", "Archivio F&ornitori"},
          {"VoceMovimenti", "&Movimenti passivi"},
          {"", ""},
          {"VoceImportaClienti", "Importa c&lienti ..."},
          {"VoceImportaFornitori", "Importa for&nitori ..."},
          {"", ""},
          {"IntUT", "&Intestazione utente"},
          {"VoceStampante", "Imposta &stampante ..."},
          {"", ""},
          {"VoceRgnChv", "&Riparazione archivi"},
          {"VoceCompArc", "Com&pattamento archivi"},
          {"VoceSalvaCopia", "Salva copia &archivi ..."},
          {"", ""},
          {"MenuUscita", "&Uscita"}}},
        {"MenuStampe",
         "&Stampe",
         {{"VoceStampaFattura", "Stampa F&attura"},
          {"", ""},
          {"VoceStampaEtichette", "Stampa &Etichette"}}},
        {"MenuStatistiche",
         "S&tatistiche",
         {{"VoceFatturato", "&Fatturato per periodo", PeriodReport::Fatturato},
          {"VoceStampaMovimento", "Stampa &Movimenti passivi", PeriodReport::Movimenti},
          {"VoceRitenuta", "Situazione &Ritenuta d'imposta", PeriodReport::Ritenuta},
          {"VoceBollo", "Imposta di &bollo"},
          {"", ""},
          {"VoceAndamento", "&Andamento"},
          {"VoceCommercialista", "Esporta per il &commercialista ..."}}},
        {"MenuFatturaElettronica",
         "Fattura &elettronica",
         {{"VoceRicevute", "Importa &ricevute SdI ..."},
          {"VoceZip", "File &ZIP del periodo ..."},
          {"VoceFattureRicevute", "Importa &fatture ricevute ..."},
          {"VoceVisualizzaFE", "&Visualizza fattura elettronica ..."},
          {"", ""},
          {"VoceInviaPEC", "Invia con &PEC ..."},
          {"VoceRiceviPEC", "Ri&cevi dalla PEC"},
          {"VoceImpostazioniPEC", "Impostazioni PEC ..."}}},
        {"MenuGuida", "&Guida", {{"VoceAbout", "&About FALMIDE ..."}}},
    };
    return menus;
}

const char* const kOpStazCaptions[4] = {"Clienti", "Fatture", "Movimenti", "Parcella"};

constexpr int kBarraHeight = 52;
constexpr int kP3D2Left = 100; // pixels, right of the exit button

} // namespace

Main::Main(AppContext& context, QWidget* parent) : QMainWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(kDesignCaption);
    buildMenus();
    // The code list of an invoice or a purchase adds clients and suppliers.
    m_context.openArchive = [&context = m_context](Table table, QWidget* parent) {
        if (table == Table::Clienti) {
            FArcCLI window(context, parent);
            window.exec();
        } else if (table == Table::Fornitori) {
            FArcFOR window(context, parent);
            window.exec();
        }
    };
    m_context.sendInvoiceByPec = [&context = m_context](const DocumentKey& invoice,
                                                        QWidget* parent) {
        PecActions(context, parent).sendInvoice(invoice);
    };

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildBarra());
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(buildPanOpStaz());
    auto* backdrop = new QMdiArea(central);
    backdrop->setObjectName(QStringLiteral("Sfondo"));
    // The area paints all of itself: the window's background is not
    // painted beneath it first.
    backdrop->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    body->addWidget(backdrop, 1);
    layout->addLayout(body, 1);
    setCentralWidget(central);

    m_stato = new QLabel(statusText(QString(), false), this);
    m_stato->setObjectName(QStringLiteral("Stato"));
    statusBar()->addWidget(m_stato, 1);
    registerStatusPanel(m_stato);

    // Sized to fit the screen it opens on.
    QRect available(0, 0, 1024, 720);
    if (const QScreen* s = screen())
        available = s->availableGeometry();
    resize(qMin(1024, available.width()), qMin(720, available.height()));
    move(available.center() - rect().center());
}

Main::~Main()
{
    // The database may outlive the window that watches it for damage, and
    // the day's copy must not outlive the window: it is called off.
    m_dailyCopy.reset();
    m_context.DbArchivi.setDamageHandler({});
}

void Main::buildMenus()
{
    for (const MenuDef& def : menuDefs()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.caption));
        menu->setObjectName(QString::fromLatin1(def.name));
        for (const MenuEntry& e : def.entries) {
            if (!*e.name) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(QString::fromUtf8(e.caption));
            a->setObjectName(QString::fromLatin1(e.name));
            a->setEnabled(e.report.has_value());
            if (e.report)
                connect(a, &QAction::triggered, this,
                        [this, report = *e.report] { openPeriodWindow(m_context, report, this); });
        }
    }
    auto enable = [this](const char* name, void (Main::*handler)()) {
        QAction* a = voce(QString::fromLatin1(name));
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, handler);
    };
    enable("VoceStampante", &Main::VoceStampante_Click);
    enable("MenuUscita", &Main::MenuUscita_Click);
    enable("VoceAbout", &Main::VoceAbout_Click);
    enable("VoceClienti", &Main::VoceClienti_Click);
    enable("VoceFornitori", &Main::VoceFornitori_Click);
    enable("IntUT", &Main::IntUT_Click);
    enable("VoceMovimenti", &Main::VoceMovimenti_Click);
    enable("VoceFatture", &Main::VoceFatture_Click);
    enable("VoceStampaFattura", &Main::VoceStampaFattura_Click);
    enable("VoceStampaEtichette", &Main::VoceStampaEtichette_Click);
    enable("VoceBollo", &Main::VoceBollo_Click);
    enable("VoceAndamento", &Main::VoceAndamento_Click);
    enable("VoceImportaClienti", &Main::VoceImportaClienti_Click);
    enable("VoceImportaFornitori", &Main::VoceImportaFornitori_Click);
    enable("VoceCommercialista", &Main::VoceCommercialista_Click);
    enable("VoceCompArc", &Main::VoceCompArc_Click);
    enable("VoceRgnChv", &Main::VoceRgnChv_Click);
    enable("VoceSalvaCopia", &Main::VoceSalvaCopia_Click);
    enable("VoceRicevute", &Main::VoceRicevute_Click);
    enable("VoceZip", &Main::VoceZip_Click);
    enable("VoceFattureRicevute", &Main::VoceFattureRicevute_Click);
    enable("VoceVisualizzaFE", &Main::VoceVisualizzaFE_Click);
    enable("VoceInviaPEC", &Main::VoceInviaPEC_Click);
    enable("VoceRiceviPEC", &Main::VoceRiceviPEC_Click);
    enable("VoceImpostazioniPEC", &Main::VoceImpostazioniPEC_Click);
}

QWidget* Main::buildBarra()
{
    m_barra = new QWidget(this);
    m_barra->setObjectName(QStringLiteral("Barra"));
    m_barra->setFixedHeight(kBarraHeight);

    // Pictures made at the size drawn (tools/render-icons.sh): the first
    // paint neither decodes large ones nor scales them.
    m_exit = new QPushButton(buttonIcon("uscita"), QStringLiteral("Uscita"), m_barra);
    m_exit->setObjectName(QStringLiteral("Exit"));
    m_exit->setIconSize(QSize(16, 16));
    m_exit->setGeometry(6, 6, kP3D2Left - 12, kBarraHeight - 12);
    connect(m_exit, &QPushButton::clicked, this, &Main::Exit_Click);

    m_p3d2 = new QFrame(m_barra);
    m_p3d2->setObjectName(QStringLiteral("P3D2"));
    m_p3d2->setFrameShape(QFrame::Panel);
    m_p3d2->setFrameShadow(QFrame::Sunken);
    m_p3d2->setGeometry(kP3D2Left, 4, 400, kBarraHeight - 8);

    m_giorno = new QLabel(m_p3d2);
    m_giorno->setObjectName(QStringLiteral("Giorno"));
    QFont bold = m_giorno->font();
    bold.setBold(true);
    m_giorno->setFont(bold);
    m_giorno->setGeometry(8, 2, 400, 20);

    m_finestra = new QLabel(QStringLiteral("Scritta utile"), m_p3d2);
    m_finestra->setObjectName(QStringLiteral("Finestra"));
    m_finestra->setGeometry(8, 22, 400, 18);
    return m_barra;
}

QWidget* Main::buildPanOpStaz()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("PanOpStaz"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(panel);
    const char* const icons[4] = {"clienti", "fatture", "movimenti", "parcella"};
    for (int i = 0; i < 4; ++i) {
        auto* b =
            new QPushButton(buttonIcon(icons[i]), QString::fromLatin1(kOpStazCaptions[i]), panel);
        b->setObjectName(QStringLiteral("OpStaz%1").arg(i));
        b->setMinimumSize(110, 56);
        b->setIconSize(QSize(24, 24));
        // Buttons whose windows are not part of the program yet stay disabled.
        connect(b, &QPushButton::clicked, this, [this, i] { OpStaz_Click(i); });
        column->addWidget(b);
        m_opStaz[std::size_t(i)] = b;
    }
    column->addStretch(1);
    return panel;
}

QAction* Main::voce(const QString& name) const
{
    return findChild<QAction*>(name);
}

void Main::setArchivesReady(bool ready)
{
    m_archivesReady = ready;
    // What needs no archives: leaving, the printer and the about box. The
    // rest is disabled, and what was enabled comes back.
    static const QStringList kFree{QStringLiteral("MenuUscita"), QStringLiteral("VoceStampante"),
                                   QStringLiteral("VoceAbout")};
    // Only what this disabled comes back: a command off for its own reason
    // stays off.
    const auto holdBack = [ready](QObject* command, auto setEnabled, bool enabled) {
        if (!ready && enabled) {
            setEnabled(false);
            command->setProperty("falmideHeldBack", true);
        } else if (ready && command->property("falmideHeldBack").toBool()) {
            setEnabled(true);
            command->setProperty("falmideHeldBack", QVariant());
        }
    };
    for (const MenuDef& def : menuDefs())
        for (const MenuEntry& e : def.entries) {
            QAction* a = *e.name ? voce(QString::fromLatin1(e.name)) : nullptr;
            if (a && !kFree.contains(a->objectName()))
                holdBack(
                    a, [a](bool on) { a->setEnabled(on); }, a->isEnabled());
        }
    for (QPushButton* b : m_opStaz)
        holdBack(
            b, [b](bool on) { b->setEnabled(on); }, b->isEnabled());
}

void Main::updateBorders()
{
    const double dpi = logicalDpi(this);
    const QRect frame = frameGeometry();
    m_context.BordoDestro = twipsFromPixels(frame.left() + frame.width(), dpi);
    m_context.BordoInferiore = twipsFromPixels(frame.top() + frame.height(), dpi);
}

void Main::MDIForm_Resize()
{
    updateBorders();
    const double dpi = logicalDpi(this);
    const double width =
        datePanelWidth(twipsFromPixels(m_p3d2->x(), dpi), twipsFromPixels(this->width(), dpi),
                       twipsFromPixels(m_p3d2->width(), dpi));
    const int pixels = qMax(0, pixelsFromTwips(width, dpi));
    m_p3d2->resize(pixels, m_p3d2->height());
    m_giorno->resize(pixels, m_giorno->height());
    m_finestra->resize(qMax(0, pixels - 16), m_finestra->height());
}

void Main::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

void Main::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    updateBorders();
}

void Main::closeEvent(QCloseEvent* event)
{
    // The program ends at once: a day's copy under way is called off, and
    // the next start makes it.
    if (m_dailyCopy) {
        m_dailyCopy->cancel();
        m_dailyCopy->finish();
    }
    event->accept();
    QApplication::quit();
}

void Main::VoceStampante_Click()
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        MessageBox::warning(this, QStringLiteral("Nessuna stampante installata"));
        return;
    }
    // A set-up dialog: the choice becomes the program's printer; no page
    // range is asked for because nothing is printed here.
    QPrintDialog dialog(&applicationPrinter(), this);
    dialog.setWindowTitle(QStringLiteral("Imposta stampante"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    dialog.exec();
}

void Main::VoceAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

void Main::VoceClienti_Click()
{
    FArcCLI window(m_context, this);
    window.exec();
}

void Main::VoceFornitori_Click()
{
    FArcFOR window(m_context, this);
    window.exec();
}

void Main::IntUT_Click()
{
    FrmUtente window(m_context, this);
    window.exec();
}

void Main::VoceFatture_Click()
{
    // The consult window opens the invoice window on a listed invoice (its
    // date and number are looked up as the window opens) or on a new one.
    auto openInvoice = [this](const QString& date, const QString& number) {
        FArcFAT invoice(m_context, this);
        if (!date.isEmpty()) {
            invoice.setText(0, date);
            invoice.setText(1, number);
        }
        invoice.exec();
    };
    Consulta window(m_context, openInvoice, this);
    window.exec();
}

void Main::VoceStampaFattura_Click()
{
    STAFAT window(m_context, this);
    window.exec();
}

void Main::VoceMovimenti_Click()
{
    FArcMOV window(m_context, this);
    window.exec();
}

void Main::OpStaz_Click(int index)
{
    switch (index) {
    case 0:
        VoceClienti_Click();
        break;
    case 1:
        VoceFatture_Click();
        break;
    case 2:
        VoceMovimenti_Click();
        break;
    case 3: {
        FParcella window(m_context, this);
        window.exec();
        break;
    }
    default:
        break;
    }
}

void Main::VoceStampaEtichette_Click()
{
    StaETI window(m_context, this);
    window.exec();
}

void Main::VoceBollo_Click()
{
    StampDutyWindow window(m_context, this);
    window.exec();
}

void Main::VoceAndamento_Click()
{
    YearGlanceWindow window(m_context, this);
    window.exec();
}

void Main::VoceCommercialista_Click()
{
    openAccountantExport(m_context, this);
}

void Main::VoceImportaClienti_Click()
{
    openContactImport(m_context, Table::Clienti, this);
}

void Main::VoceImportaFornitori_Click()
{
    openContactImport(m_context, Table::Fornitori, this);
}

void Main::VoceCompArc_Click()
{
    ArchiveMaintenance(m_context, this).VoceCompArc();
}

void Main::VoceRgnChv_Click()
{
    ArchiveMaintenance(m_context, this).VoceRgnChv();
}

void Main::VoceSalvaCopia_Click()
{
    ArchiveMaintenance(m_context, this).VoceSalvaCopia();
}

void Main::VoceRicevute_Click()
{
    ElectronicInvoiceFiles(m_context, this).VoceRicevute();
}

void Main::VoceZip_Click()
{
    ElectronicInvoiceFiles(m_context, this).VoceZip();
}

void Main::VoceInviaPEC_Click()
{
    PecActions(m_context, this).VoceInviaPEC();
}

void Main::VoceRiceviPEC_Click()
{
    PecActions(m_context, this).VoceRiceviPEC();
}

void Main::VoceImpostazioniPEC_Click()
{
    PecActions(m_context, this).VoceImpostazioniPEC();
}

void Main::VoceVisualizzaFE_Click()
{
    askAndPreviewFatturaPA(m_context, this);
}

void Main::VoceFattureRicevute_Click()
{
    ElectronicInvoiceFiles(m_context, this).VoceFattureRicevute();
}

void Main::offerRepairWhenIdle(const QString& report)
{
    whenIdle([this, report] { ArchiveMaintenance(m_context, this).offerRepair(report); });
}

void Main::whenIdle(std::function<void()> action)
{
    auto* timer = new QTimer(this);
    timer->setInterval(200);
    connect(timer, &QTimer::timeout, this, [timer, action = std::move(action)] {
        if (QApplication::activeModalWidget())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

void Main::MenuUscita_Click()
{
    close();
}

void Main::Exit_Click()
{
    close();
}
