#include "AppTests.h"

#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "ButtonIcons.h"
#include "Clock.h"
#include "Consulta.h"
#include "DeferredIconStyle.h"
#include "DocumentFieldTyping.h"
#include "F6.h"
#include "FArcCLI.h"
#include "FArcFAT.h"
#include "FArcFOR.h"
#include "FArcMOV.h"
#include "FParcella.h"
#include "FakePrinterSystem.h"
#include "FconsCOD.h"
#include "FrmStampa.h"
#include "FrmUtente.h"
#include "IniFile.h"
#include "ListWindow.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "PeriodReportKind.h"
#include "PeriodWindow.h"
#include "PrintRun.h"
#include "STAFAT.h"
#include "StaETI.h"
#include "Twips.h"
#include "VidArch.h"
#include "ViewerLauncher.h"
#include "WindowGeometry.h"
#include "fZoom.h"
#include "frmAbout.h"
#include "frmPreview.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>
#include <QtTest>
#include <optional>

namespace {

bool loaded(Main& main)
{
    QString error;
    return main.MDIForm_Load(&error) == StartUpOutcome::Ready;
}

} // namespace

void MainWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    m_data.setUpFolder();
    m_main = std::make_unique<Main>(m_data.context());
}

void MainWindowTest::cleanup()
{
    // A test's own printer and viewer are gone with it: the program must not keep them.
    setApplicationPrinter(nullptr);
    setViewerLauncher([](const QString&) { return true; });
    m_main.reset();
    m_data.tearDown();
    Clock::setToday({});
}

void MainWindowTest::captionsAndStartState()
{
    QVERIFY(loaded(*m_main));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Falmide - EURO"));

    QStringList menus;
    for (QAction* a : m_main->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"&Archivi", "&Stampe", "S&tatistiche", "Fattura &elettronica",
                                 "&Guida"}));

    // Every entry with its caption, enabled: name and caption in turn.
    const QStringList entries =
        QString::fromUtf8(
            "VoceClienti|Archivio &Clienti|VoceFatture|Archivio &Fatture|VoceFornitori|"
            "Archivio F&ornitori|VoceMovimenti|&Movimenti passivi|VoceImportaClienti|"
            "Importa c&lienti ...|VoceImportaFornitori|Importa for&nitori ...|IntUT|"
            "&Intestazione utente|"
            "VoceStampante|Imposta &stampante ...|VoceRgnChv|&Riparazione archivi|VoceCompArc|"
            "Com&pattamento archivi|VoceSalvaCopia|Salva copia &archivi ...|MenuUscita|&Uscita|"
            "VoceStampaFattura|Stampa F&attura|VoceStampaEtichette|Stampa &Etichette|VoceFatturato|"
            "&Fatturato per periodo|VoceStampaMovimento|Stampa &Movimenti passivi|VoceRitenuta|"
            "Situazione &Ritenuta d'imposta|VoceBollo|Imposta di &bollo|VoceAndamento|&Andamento|"
            "VoceCommercialista|Esporta per il &commercialista ...|VoceRicevute|"
            "Importa &ricevute SdI ...|VoceZip|File &ZIP del periodo ...|VoceFattureRicevute|"
            "Importa &fatture ricevute ...|VoceVisualizzaFE|&Visualizza fattura elettronica ...|"
            "VoceInviaPEC|Invia con &PEC ...|VoceRiceviPEC|Ri&cevi dalla PEC|VoceImpostazioniPEC|"
            "Impostazioni PEC ...|VoceAbout|&About FALMIDE ...")
            .split('|');
    for (qsizetype i = 0; i < entries.size(); i += 2) {
        QAction* a = m_main->voce(entries[i]);
        QVERIFY2(a && a->isEnabled(), qPrintable(entries[i]));
        QCOMPARE(a->text(), entries[i + 1]);
    }
    // Separators stand where the menu groups its entries.
    auto* archivi = m_main->findChild<QMenu*>("MenuArchivi");
    QCOMPARE(archivi->actions().size(), 16);
    for (int at : {4, 7, 10, 14})
        QVERIFY(archivi->actions().at(at)->isSeparator());

    const QStringList buttons{"Clienti", "Fatture", "Movimenti", "Parcella"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(m_main->opStaz(i)->text(), buttons[i]);
        QVERIFY(m_main->opStaz(i)->isEnabled());
    }
    QCOMPARE(m_main->findChild<QPushButton*>("Exit")->text(), QStringLiteral("Uscita"));
    QCOMPARE(m_main->findChild<QLabel*>("Giorno")->text(),
             QStringLiteral("domenica 6 dicembre 2026"));
    QCOMPARE(m_main->findChild<QLabel*>("Finestra")->text(), QString());
    QCOMPARE(m_main->findChild<QLabel*>("Stato")->text(), QStringLiteral("Pronto"));

    // The edges children centre against, in twips.
    const double dpi = logicalDpi(m_main.get());
    const QRect frame = m_main->frameGeometry();
    QCOMPARE(qRound(m_data.context().BordoDestro),
             qRound(twipsFromPixels(frame.x() + frame.width(), dpi)));
    QCOMPARE(qRound(m_data.context().BordoInferiore),
             qRound(twipsFromPixels(frame.y() + frame.height(), dpi)));
    QVERIFY(m_data.context().SepDecimali == "," || m_data.context().SepDecimali == ".");
    QVERIFY(m_data.context().SepDecimali != m_data.context().SepMigliaia);
}

namespace {

// What the window looks like as it is first painted.
class FirstPaint : public QObject
{
public:
    FirstPaint(Main& main, AppContext& context) : m_main(main), m_context(context) {}
    bool painted = false;
    bool archivesOpen = true;
    bool closeWindow = false; // ahead of anything the paint itself queues
    QStringList enabled;      // the menu entries and buttons enabled

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || painted)
            return false;
        painted = true;
        archivesOpen = m_context.DbArchivi.isOpen();
        for (const char* name : {"VoceClienti", "VoceFatture", "VoceFatturato", "VoceCompArc",
                                 "VoceInviaPEC", "VoceStampante", "VoceAbout", "MenuUscita"})
            if (m_main.voce(QString::fromLatin1(name))->isEnabled())
                enabled << QString::fromLatin1(name);
        for (int i = 0; i < 4; ++i)
            if (m_main.opStaz(i)->isEnabled())
                enabled << m_main.opStaz(i)->objectName();
        if (m_main.findChild<QPushButton*>("Exit")->isEnabled())
            enabled << QStringLiteral("Exit");
        if (closeWindow)
            QMetaObject::invokeMethod(&m_main, &QWidget::close, Qt::QueuedConnection);
        return false;
    }

private:
    Main& m_main;
    AppContext& m_context;
};

} // namespace

// The pictures compiled into the program are the committed PNG files pixel
// for pixel, at both sizes, and the buttons show them at the size drawn.
namespace {

// Counts what the style underneath is asked for.
class CountingStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        ++asked[which];
        return QProxyStyle::standardIcon(which, option, widget);
    }
    mutable QHash<int, int> asked;
};

} // namespace

void MainWindowTest::extensionButtonPictureMadeWhenDrawn()
{
    const auto image = [](const QIcon& icon) { return icon.pixmap(16).toImage(); };
    const QImage expected =
        image(QApplication::style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton));
    QVERIFY(!expected.isNull());

    auto* counting = new CountingStyle(QStyleFactory::create(QApplication::style()->name()));
    auto style = std::make_unique<DeferredIconStyle>(counting);
    const QIcon icon = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QVERIFY(!icon.isNull());
    QCOMPARE(counting->asked.value(QStyle::SP_ToolBarHorizontalExtensionButton), 0);
    // Made once, when first drawn, and the style's very picture; copies
    // share it.
    QCOMPARE(image(icon), expected);
    const QIcon copy = icon;
    QCOMPARE(image(copy), expected);
    QCOMPARE(counting->asked.value(QStyle::SP_ToolBarHorizontalExtensionButton), 1);

    // Other icons, and any asked for with an option, come at once.
    style->standardIcon(QStyle::SP_DialogOkButton);
    QCOMPARE(counting->asked.value(QStyle::SP_DialogOkButton), 1);
    QStyleOption option;
    style->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton, &option);
    QCOMPARE(counting->asked.value(QStyle::SP_ToolBarVerticalExtensionButton), 1);

    // An icon drawn after its style went comes from the application's.
    const QIcon orphan = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    style.reset();
    QCOMPARE(image(orphan), expected);
}

void MainWindowTest::buttonPicturesAreTheirFiles()
{
    for (const char* name : {"clienti", "fatture", "movimenti", "parcella", "uscita"}) {
        const QIcon icon = buttonIcon(name);
        QVERIFY2(!icon.isNull(), name);
        for (const auto& [suffix, ratio] : {std::pair{"", 1.0}, std::pair{"@2x", 2.0}}) {
            const QString file = QStringLiteral(FALMIDE_BUTTON_PICTURES "/%1%2.png")
                                     .arg(QLatin1String(name), QLatin1String(suffix));
            const QImage expected =
                QImage(file).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QVERIFY2(!expected.isNull(), qPrintable(file));
            const QSize drawn = expected.size() / ratio;
            QImage shown = icon.pixmap(drawn, ratio)
                               .toImage()
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            shown.setDevicePixelRatio(1.0);
            QVERIFY2(shown == expected, qPrintable(file));
        }
    }
    QVERIFY(buttonIcon("altro").isNull());

    auto* exit = m_main->findChild<QPushButton*>("Exit");
    QCOMPARE(exit->iconSize(), QSize(16, 16));
    QVERIFY(!exit->icon().isNull());
}

void MainWindowTest::windowPaintedBeforeArchivesOpen()
{
    std::optional<StartUpOutcome> outcome;
    connect(m_main.get(), &Main::loaded, this,
            [&outcome](StartUpOutcome loaded, const QString&) { outcome = loaded; });
    FirstPaint firstPaint(*m_main, m_data.context());
    m_main->showAndLoad();
    // Installed last, it sees the paint before the window's own watcher.
    m_main->installEventFilter(&firstPaint);

    // Keys typed before the archives are open act once they are: Alt+A C
    // opens the clients' archive.
    QObject scope;
    QString opened;
    whenModal<QDialog>(&scope, [&opened](QDialog* window) {
        opened = window->objectName();
        window->reject();
    });
    QTest::keyClick(m_main.get(), Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(m_main.get(), Qt::Key_C);
    QVERIFY(!m_data.context().DbArchivi.isOpen());
    QVERIFY(!m_main->archivesReady());

    QTRY_VERIFY(outcome.has_value());
    QCOMPARE(*outcome, StartUpOutcome::Ready);
    QVERIFY(firstPaint.painted);
    QVERIFY(!firstPaint.archivesOpen);
    // Only what needs no archives could be used at the first paint.
    QCOMPARE(firstPaint.enabled, (QStringList{"VoceStampante", "VoceAbout", "MenuUscita", "Exit"}));
    QVERIFY(m_data.context().DbArchivi.isOpen());
    QVERIFY(m_main->archivesReady());
    for (const char* name : {"VoceClienti", "VoceFatture", "VoceFatturato", "VoceCompArc",
                             "VoceInviaPEC", "VoceStampante", "VoceAbout", "MenuUscita"})
        QVERIFY2(m_main->voce(QString::fromLatin1(name))->isEnabled(), name);
    for (int i = 0; i < 4; ++i)
        QVERIFY(m_main->opStaz(i)->isEnabled());
    QCOMPARE(m_main->findChild<QLabel*>("Giorno")->text(),
             QStringLiteral("domenica 6 dicembre 2026"));
    QTRY_COMPARE(opened, QStringLiteral("FArcCLI"));
    QVERIFY(!m_main->findChild<QMenu*>("MenuArchivi")->isVisible());
}

void MainWindowTest::windowClosedBeforeArchivesOpenOpensNothing()
{
    // As a quit met right after the first paint: the opening the paint
    // queued comes after the close, and finds nothing to open for.
    bool told = false;
    connect(m_main.get(), &Main::loaded, this, [&told] { told = true; });
    FirstPaint firstPaint(*m_main, m_data.context());
    firstPaint.closeWindow = true;
    m_main->showAndLoad();
    m_main->installEventFilter(&firstPaint);
    QTRY_VERIFY(firstPaint.painted);
    QTRY_VERIFY(!m_main->isVisible());
    QCoreApplication::sendPostedEvents();
    QVERIFY(!told);
    QVERIFY(!m_data.context().DbArchivi.isOpen());
    QVERIFY(!m_main->archivesReady());
}

void MainWindowTest::menusWorkFromTheKeyboard()
{
    QVERIFY(loaded(*m_main));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));

    // Alt+A C chooses "Archivio &Clienti" at once: no other entry of the
    // menu answers to C.
    {
        QObject scope; // a window that never opens leaves no watcher behind
        QString opened;
        whenModal<QDialog>(&scope, [&opened](QDialog* window) {
            opened = window->objectName();
            window->reject();
        });
        QTest::keyClick(m_main.get(), Qt::Key_A, Qt::AltModifier);
        auto* archivi = m_main->findChild<QMenu*>("MenuArchivi");
        QTRY_VERIFY(archivi->isVisible());
        QTest::keyClick(archivi, Qt::Key_C);
        QTRY_COMPARE(opened, QStringLiteral("FArcCLI"));
        QVERIFY(!archivi->isVisible());
    }
    // The offscreen platform gives the focus back to no window by itself.
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));

    // Alt+G opens "&Guida", A picks "&About FALMIDE ...": the box shows the
    // program's captions and closes with a click on OK.
    QString seenTitle, seenVersion, seenCaption;
    whenModal<frmAbout>(this, [&](frmAbout* about) {
        seenCaption = about->windowTitle();
        seenTitle = about->findChild<QLabel*>("lblTitle")->text();
        seenVersion = about->findChild<QLabel*>("lblVersion")->text();
        QCOMPARE(about->findChild<QPushButton*>("cmdSysInfo")->text(),
                 QStringLiteral("&System Info..."));
        QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    QTest::keyClick(m_main.get(), Qt::Key_G, Qt::AltModifier);
    auto* guida = m_main->findChild<QMenu*>("MenuGuida");
    QTRY_VERIFY(guida->isVisible());
    QTest::keyClick(guida, Qt::Key_A);
    QTRY_COMPARE(seenTitle, QStringLiteral("Falmide"));
    QCOMPARE(seenCaption, QStringLiteral("About Falmide"));
    QVERIFY(seenVersion.startsWith("Version "));
    QCOMPARE(seenVersion.count('.'), 2);
    QVERIFY(!QApplication::activeModalWidget());

    // Without a system information program the box says so.
    QCOMPARE(frmAbout::programmaInfoSistema({"falmide-no-such-program"}), QString());
    frmAbout about(m_main.get());
    if (frmAbout::programmaInfoSistema().isEmpty()) {
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(about.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(),
                 QStringLiteral("System Information Is Unavailable At This Time"));
    }
}

namespace {

// The access key of a caption: the character after a single "&".
QChar accessKey(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toLower();
        ++i; // "&&" is an ampersand
    }
    return {};
}

// The captions of a menu or a window that share an access key, "C: Archivio
// &Clienti, &Compattamento archivi"; empty when each key is one caption's.
QStringList sharedKeys(const QStringList& captions)
{
    QMap<QChar, QStringList> byKey;
    for (const QString& caption : captions)
        if (const QChar key = accessKey(caption); !key.isNull())
            byKey[key] << caption;
    QStringList shared;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value().size() > 1)
            shared << QStringLiteral("%1: %2").arg(it.key().toUpper(), it.value().join(", "));
    return shared;
}

// What a window on screen shows with an access key: its buttons (tool
// buttons and check boxes too), the captions of its fields, its frames'
// titles.
QStringList windowCaptions(QWidget* window)
{
    QStringList captions;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            captions << button->text();
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            captions << label->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(w))
            captions << frame->title();
    }
    return captions;
}

} // namespace

// Every menu and every window: an access key chooses one thing, it never
// only moves the highlight between two.
void MainWindowTest::accessKeysAreUnique()
{
    QVERIFY(loaded(*m_main));
    QStringList failures;
    QStringList titles;
    for (QAction* title : m_main->menuBar()->actions()) {
        titles << title->text();
        QStringList entries;
        for (QAction* entry : title->menu()->actions())
            entries << entry->text();
        for (const QString& shared : sharedKeys(entries))
            failures << title->text() + " > " + shared;
    }
    for (const QString& shared : sharedKeys(titles))
        failures << "menu bar > " + shared;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    PrintRun run(printer);
    QString error;
    QVERIFY(run.recorder().BeginDocument(&error) && run.recorder().EndDocument(&error));
    FakePrinterSystem printers;
    AppContext& c = m_data.context();
    QWidget* p = m_main.get();
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<FArcCLI>(c, p));
    windows.push_back(std::make_unique<FArcFOR>(c, p));
    windows.push_back(std::make_unique<FrmUtente>(c, p));
    windows.push_back(std::make_unique<FArcFAT>(c, p));
    windows.push_back(std::make_unique<FParcella>(c, p));
    windows.push_back(std::make_unique<FArcMOV>(c, p));
    windows.push_back(std::make_unique<Consulta>(c, Consulta::OpenInvoice(), p));
    windows.push_back(std::make_unique<STAFAT>(c, p));
    windows.push_back(std::make_unique<StaETI>(c, p));
    windows.push_back(std::make_unique<STAFatturato>(c, p));
    windows.push_back(std::make_unique<STAMOV>(c, p));
    windows.push_back(std::make_unique<STARA>(c, p));
    windows.push_back(std::make_unique<DispFAT>(c, ParametriLista{}, p));
    windows.push_back(std::make_unique<DispRA>(c, ParametriLista{}, p));
    windows.push_back(std::make_unique<DispMOV>(c, ParametriLista{}, p));
    windows.push_back(std::make_unique<frmAbout>(p));
    windows.push_back(std::make_unique<VidArch>(c, p));
    windows.push_back(std::make_unique<FconsCOD>(c, Table::Clienti, p));
    windows.push_back(
        std::make_unique<F6>(c, FieldDeclaration::parse("AOLA0002"), TwipsPoint{}, p));
    windows.push_back(std::make_unique<fZoom>(QStringLiteral("testo"), p));
    windows.push_back(std::make_unique<FrmStampa>(PageRange{1, 1}, p, printers));
    PdfExportRequest pdf;
    pdf.path = m_data.filePath("prova.pdf");
    windows.push_back(std::make_unique<frmPreview>(run, p, nullptr, pdf));
    QList<QStringList> captions;
    for (const auto& window : windows) {
        // Shown, as a tool bar lays its buttons out only then.
        // A list window says when its period holds nothing.
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        captions << windowCaptions(window.get());
        window->hide();
        for (const QString& shared : sharedKeys(captions.last()))
            failures << window->objectName() + " > " + shared;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    // The invoice's print button and the consult window's "Nuovo" have theirs.
    QVERIFY(captions.at(3).contains("&Stampa ...."));
    QVERIFY(captions.at(6).contains("&Nuovo"));
}

void MainWindowTest::resizeKeepsDatePanelInsideThenExit()
{
    QVERIFY(loaded(*m_main));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    auto* panel = m_main->findChild<QFrame*>("P3D2");
    auto* giorno = m_main->findChild<QLabel*>("Giorno");

    m_main->resize(900, 600);
    QTRY_COMPARE(m_main->width(), 900);
    const double dpi = logicalDpi(m_main.get());
    const int margin = pixelsFromTwips(210, dpi);
    QVERIFY(qAbs(panel->x() + panel->width() + margin - 900) <= 1);
    QCOMPARE(giorno->width(), panel->width());
    const int wide = panel->width();

    m_main->resize(700, 600);
    QTRY_COMPARE(m_main->width(), 700);
    QCOMPARE(panel->width(), wide - 200);
    QCOMPARE(giorno->width(), panel->width());

    QTest::mouseClick(m_main->findChild<QPushButton*>("Exit"), Qt::LeftButton);
    QVERIFY(!m_main->isVisible());
}

void MainWindowTest::printerSetupWithoutPrinters()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("this machine has printers installed");
    QVERIFY(loaded(*m_main));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    m_main->voce("VoceStampante")->trigger();
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Nessuna stampante installata"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Warning);
    QCOMPARE(MessageBox::shownCount(), 1);
}

void MainWindowTest::statisticsOpenTheirWindows()
{
    QVERIFY(loaded(*m_main));
    // Each entry opens its window; every report kind has its entry there,
    // beside the stamp duty's.
    QStringList opened;
    for (QAction* entry : m_main->findChild<QMenu*>("MenuStatistiche")->actions()) {
        if (entry->isSeparator())
            continue;
        whenModal<QDialog>(this, [&opened](QDialog* dialog) {
            opened << dialog->objectName();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        entry->trigger();
    }
    QCOMPARE(opened, (QStringList{"STAFatturato", "STAMOV", "STARA", "STABOLLO", "STAAndamento",
                                  "AccountantExport"}));
    QStringList kinds;
    for (const PeriodReportKind* kind : periodReportKinds())
        kinds << QString::fromUtf8(kind->windowName);
    kinds << QStringLiteral("STABOLLO") << QStringLiteral("STAAndamento")
          << QStringLiteral("AccountantExport");
    opened.sort();
    kinds.sort();
    QCOMPARE(opened, kinds);
}

// A new client or supplier is added from the code list of a document.
void MainWindowTest::codeListsOpenTheArchives()
{
    QVERIFY(loaded(*m_main));
    for (const auto& [declaration, archive] :
         {std::pair{"AOLA0002", "FArcCLI"}, std::pair{"AOLA0202", "FArcFOR"}}) {
        F6 list(m_data.context(), FieldDeclaration::parse(declaration), {}, m_main.get());
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        QString opened;
        whenModal<QDialog>(this, [&opened](QDialog* window) {
            opened = window->objectName();
            window->reject();
        });
        QTest::mouseClick(list.Nuovo(), Qt::LeftButton);
        QCOMPARE(opened, QString::fromLatin1(archive));
    }
}

namespace {

// Presses the print window's button and answers the preview that opens.
void printFromWindow(FArcFAT* invoice, const std::function<void(frmPreview*)>& answer)
{
    whenModal<STAFAT>(invoice, [answer](STAFAT* print) {
        whenModal<frmPreview>(print, answer);
        QTest::mouseClick(print->BtStampa(), Qt::LeftButton);
    });
    QTest::mouseClick(invoice->Stampa(), Qt::LeftButton);
}

} // namespace

// The whole way of an invoice through the real windows: a new client, the
// consult window, a new invoice saved and printed on paper. Its archive PDF
// and its amounts are the document tests' own.
void MainWindowTest::invoiceFromClientToArchive()
{
    QVERIFY(ScriviIni("Generale", "Calcolo", m_data.context().settingsFile(), "GEOMETRA"));
    QVERIFY(loaded(*m_main));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Falmide - EURO versione GEOMETRA"));
    FakePrinterSystem printers;
    PrinterSystem::setCurrent(&printers);
    QPrinter paper(QPrinter::HighResolution);
    paper.setOutputFormat(QPrinter::PdfFormat);
    paper.setPageSize(QPageSize(QPageSize::A4));
    paper.setOutputFileName(m_data.filePath("paper.pdf"));
    setApplicationPrinter(&paper);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));

    whenModal<FArcCLI>(m_main.get(), [](FArcCLI* client) {
        QTRY_VERIFY(client->Dati(0)->hasFocus());
        enter(client, 0, "r1");
        enter(client, 1, "Rossi Mario");
        QTest::mouseClick(client->BtMem(), Qt::LeftButton);
        QTest::keyClick(client, Qt::Key_Escape);
    });
    QTest::mouseClick(m_main->opStaz(0), Qt::LeftButton);

    whenModal<Consulta>(m_main.get(), [](Consulta* consult) {
        QCOMPARE(consult->windowTitle(), QStringLiteral("Documenti"));
        whenModal<FArcFAT>(consult, [](FArcFAT* invoice) {
            QTRY_VERIFY(invoice->Dati(2)->hasFocus());
            enter(invoice, 2, "R1");
            enter(invoice, 3, "Frazionamento");
            enter(invoice, 5, "1000");
            enter(invoice, 7, "4");
            enter(invoice, 6, "22");
            enter(invoice, 8, "20");
            QVERIFY(!invoice->Stampa()->isEnabled());
            QTest::mouseClick(invoice->BtMem(), Qt::LeftButton);
            QVERIFY(invoice->Stampa()->isEnabled());

            printFromWindow(invoice, [](frmPreview* preview) {
                whenModal<FrmStampa>(preview, [](FrmStampa* selection) {
                    QTest::mouseClick(selection->findChild<QPushButton*>("Command1"),
                                      Qt::LeftButton);
                });
                QTest::mouseClick(preview->findChild<QPushButton*>("Stampa"), Qt::LeftButton);
            });
            QTest::keyClick(invoice, Qt::Key_Escape);
        });
        auto* nuovo = consult->findChild<QToolBar*>("Toolbar1")->widgetForAction(consult->Nuovo());
        QTest::mouseClick(nuovo, Qt::LeftButton);
        QTest::keyClick(consult, Qt::Key_Escape);
    });
    QTest::mouseClick(m_main->opStaz(1), Qt::LeftButton);
    PrinterSystem::setCurrent(nullptr);

    QCOMPARE(pdftest::pageCount(paper.outputFileName()), 1);
    const QString printed = pdftest::output("pdftotext", {paper.outputFileName(), "-"});
    QVERIFY2(printed.contains("FATTURA N. 1 / 2026"), qPrintable(printed));
}
