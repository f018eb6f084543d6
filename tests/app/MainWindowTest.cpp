#include "MainWindowTest.h"

#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "Clock.h"
#include "Consulta.h"
#include "F6.h"
#include "FArcCLI.h"
#include "FArcFAT.h"
#include "FakePrinterSystem.h"
#include "FrmStampa.h"
#include "IniFile.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfTestSupport.h"
#include "STAFAT.h"
#include "StatusMessage.h"
#include "Twips.h"
#include "ViewerLauncher.h"
#include "WindowGeometry.h"
#include "frmAbout.h"
#include "frmPreview.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

void MainWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    m_dir = std::make_unique<QTemporaryDir>();
    m_context = std::make_unique<AppContext>();
    m_context->programFolder = m_dir->path();
    m_main = std::make_unique<Main>(*m_context);
}

void MainWindowTest::cleanup()
{
    // A test's own printer and viewer are gone with it: the program must not keep them.
    setApplicationPrinter(nullptr);
    setViewerLauncher([](const QString&) { return true; });
    m_main.reset();
    m_context.reset();
    m_dir.reset();
    Clock::setToday({});
}

void MainWindowTest::captionsAndStartState()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Falmide - EURO"));

    QStringList menus;
    for (QAction* a : m_main->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"&Archivi", "&Stampe", "S&tatistiche", "&Guida"}));

    // Every entry with its caption; those whose windows are not in the
    // program yet are present but disabled.
    const struct
    {
        const char* name;
        const char* caption;
        bool enabled;
    } entries[] = {
        {"VoceClienti", "Archivio &Clienti", true},
        {"VoceFatture", "Archivio &Fatture", true},
        {"VoceFornitori", "Archivio F&ornitori", true},
        {"VoceMovimenti", "&Movimenti passivi", true},
        {"IntUT", "&Intestazione utente", true},
        {"VoceStampante", "Imposta &stampante ...", true},
        {"VoceRgnChv", "&Riparazione archivi", true},
        {"VoceCompArc", "&Compattamento archivi", true},
        {"VoceSalvaCopia", "Salva copia archivi ...", true},
        {"MenuUscita", "&Uscita", true},
        {"VoceStampaFattura", "Stampa F&attura", true},
        {"VoceStampaEtichette", "Stampa &Etichette", true},
        {"VoceFatturato", "&Fatturato per periodo", true},
        {"VoceStampaMovimento", "Stampa &Movimenti passivi", true},
        {"VoceRitenuta", "Situazione &Ritenuta d'imposta", true},
        {"VoceAbout", "&About FALMIDE ...", true},
    };
    for (const auto& e : entries) {
        QAction* a = m_main->voce(e.name);
        QVERIFY2(a, e.name);
        QCOMPARE(a->text(), QString::fromUtf8(e.caption));
        QCOMPARE(a->isEnabled(), e.enabled);
    }
    // Separators stand where the menu groups its entries.
    auto* archivi = m_main->findChild<QMenu*>("MenuArchivi");
    QCOMPARE(archivi->actions().size(), 13);
    QVERIFY(archivi->actions().at(4)->isSeparator());
    QVERIFY(archivi->actions().at(7)->isSeparator());
    QVERIFY(archivi->actions().at(11)->isSeparator());

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
    QCOMPARE(qRound(m_context->BordoDestro),
             qRound(twipsFromPixels(frame.x() + frame.width(), dpi)));
    QCOMPARE(qRound(m_context->BordoInferiore),
             qRound(twipsFromPixels(frame.y() + frame.height(), dpi)));
    QVERIFY(m_context->SepDecimali == "," || m_context->SepDecimali == ".");
    QVERIFY(m_context->SepDecimali != m_context->SepMigliaia);
}

void MainWindowTest::captionWithProfession()
{
    QFile ini(m_dir->filePath("falmide.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Generale]\r\nCalcolo=GEOMETRA\r\n");
    ini.close();
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Falmide - EURO versione GEOMETRA"));
}

void MainWindowTest::menusWorkFromTheKeyboard()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));

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

void MainWindowTest::resizeKeepsDatePanelInside()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
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
}

void MainWindowTest::statusMessages()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    auto* stato = m_main->findChild<QLabel*>("Stato");
    MessaggioStato("Compattamento archivi", true);
    QCOMPARE(stato->text(), QStringLiteral("Compattamento archivi, Prego attendere..."));
    MessaggioStato("Stampa in corso", false);
    QCOMPARE(stato->text(), QStringLiteral("Stampa in corso"));
    MessaggioStato("", true);
    QCOMPARE(stato->text(), QStringLiteral("Pronto"));
}

void MainWindowTest::printerSetupWithoutPrinters()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("this machine has printers installed");
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    m_main->voce("VoceStampante")->trigger();
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Nessuna stampante installata"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Warning);
    QCOMPARE(MessageBox::shownCount(), 1);
}

void MainWindowTest::invoicesOpenTheConsultWindow()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QString caption;
    whenModal<QDialog>(this, [&caption](QDialog* window) {
        caption = window->windowTitle();
        window->reject();
    });
    QTest::mouseClick(m_main->opStaz(1), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("Documenti"));
}

void MainWindowTest::statisticsOpenTheirWindows()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    for (const auto& [entry, window] :
         {std::pair{"VoceFatturato", "STAFatturato"}, std::pair{"VoceStampaMovimento", "STAMOV"},
          std::pair{"VoceRitenuta", "STARA"}}) {
        QString opened;
        whenModal<QDialog>(this, [&opened](QDialog* dialog) {
            opened = dialog->objectName();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        m_main->voce(entry)->trigger();
        QCOMPARE(opened, QString::fromLatin1(window));
    }
}

// A new client or supplier is added from the code list of a document.
void MainWindowTest::codeListsOpenTheArchives()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    for (const auto& [declaration, archive] :
         {std::pair{"AOLA0002", "FArcCLI"}, std::pair{"AOLA0202", "FArcFOR"}}) {
        F6 list(*m_context, FieldDeclaration::parse(declaration), {}, m_main.get());
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

void MainWindowTest::exitButtonCloses()
{
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QTest::mouseClick(m_main->findChild<QPushButton*>("Exit"), Qt::LeftButton);
    QVERIFY(!m_main->isVisible());
}

namespace {

// Types into a field of a window and leaves it with Tab, as the user does.
void enter(QWidget* window, int index, const QString& text)
{
    auto* field = window->findChild<QLineEdit*>(QStringLiteral("Dati%1").arg(index));
    QVERIFY(field);
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

// Presses the print window's button and answers the preview that opens.
void printFromWindow(FArcFAT* invoice, std::function<void(frmPreview*)> answer)
{
    whenModal<STAFAT>(invoice, [answer](STAFAT* print) {
        whenModal<frmPreview>(print, answer);
        QTest::mouseClick(print->BtStampa(), Qt::LeftButton);
    });
    QTest::mouseClick(invoice->Stampa(), Qt::LeftButton);
}

// The texts appear in this order, runs of blanks taken as one.
QString missingInOrder(QString text, const QStringList& expected)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    text.replace(blanks, QStringLiteral(" "));
    qsizetype from = 0;
    for (QString s : expected) {
        s.replace(blanks, QStringLiteral(" "));
        from = text.indexOf(s, from);
        if (from < 0)
            return s;
    }
    return {};
}

} // namespace

// The whole way of an invoice through the real windows: a new client, the
// consult window, a new invoice saved, printed on paper and archived as PDF.
void MainWindowTest::invoiceFromClientToArchive()
{
    QVERIFY(ScriviIni("Generale", "Calcolo", m_context->settingsFile(), "GEOMETRA"));
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    FakePrinterSystem printers;
    PrinterSystem::setCurrent(&printers);
    QPrinter paper(QPrinter::HighResolution);
    paper.setOutputFormat(QPrinter::PdfFormat);
    paper.setPageSize(QPageSize(QPageSize::A4));
    paper.setOutputFileName(m_dir->filePath("paper.pdf"));
    setApplicationPrinter(&paper);
    QStringList opened;
    setViewerLauncher([&opened](const QString& path) {
        opened << path;
        return true;
    });
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

    whenModal<Consulta>(m_main.get(), [&printers](Consulta* consult) {
        whenModal<FArcFAT>(consult, [&printers](FArcFAT* invoice) {
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
            printFromWindow(invoice, [](frmPreview* preview) {
                QTest::mouseClick(preview->findChild<QPushButton*>("PDF"), Qt::LeftButton);
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
    const QString archive = m_dir->filePath("Fatture/2026/Fattura_2026_1.pdf");
    QCOMPARE(opened, QStringList{archive});
    CHECK_PDF(archive, {"FATTURA N. 1 / 2026"});
    const QString text = pdftest::output("pdftotext", {"-layout", archive, "-"});
    const QString missing = missingInOrder(
        text, {"ONORARIO", "Contr.integr. 4% su euro:  1 000,00", "Totale imponibile",
               "I.V.A. 22% su euro:  1 040,00", "TOTALE FATTURA", "R.A. 20% su euro:  1 000,00",
               "NETTO A CORRISPONDERE", "1 068,80"});
    QVERIFY2(missing.isEmpty(), qPrintable(missing + " missing from:\n" + text));
}
