#include "DocumentLayoutTest.h"

#include "FatturaPAContent.h"
#include "FatturaPALayout.h"
#include "FatturaPAPreview.h"
#include "FeeDocumentLayout.h"
#include "IniFile.h"
#include "InvoiceArchive.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PageDump.h"
#include "PageRecord.h"
#include "PageRecorder.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "STAFAT.h"
#include "frmPreview.h"

#include "InvoiceSamples.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QtTest>

namespace {

// Settings of the usual case; a test row changes or removes some of them.
const QStringList kSettings = {"Generale/Calcolo=GEOMETRA",
                               "Generale/Intesta=Studio Tecnico",
                               "Generale/Nota_RA=(art. 25 DPR 600/73)",
                               "Generale/Minimi_1=Operazione in franchigia",
                               "Generale/Minimi_3=Non soggetta a ritenuta",
                               "CartaIntestata/Ditta=Via Roma 1 - Asti",
                               "Generale/Privacy_1=Dati trattati a norma di legge"};

// "key=value" changes one column; "key=" makes it Null.
void apply(QVariantMap& row, const QStringList& changes)
{
    for (const QString& change : changes) {
        const QString key = change.section('=', 0, 0);
        const QString value = change.section('=', 1);
        row.insert(key, value.isEmpty() ? QVariant() : QVariant(value));
    }
}

QVariantMap fromChanges(const QString& changes)
{
    QVariantMap row;
    apply(row, changes.split('|'));
    return row;
}

// Invoice columns after the key; a test row changes some.
QVariantMap usualDocument()
{
    return fromChanges("Data=2026-03-05|Numero=12|CodCli=R1|Oggetto=Frazionamento del mappale 12|"
                       "Descrizione=Rilievo topografico e redazione del tipo di frazionamento.|"
                       "Onorario=100000|AliqIVA=22|AliqContributo=4|AliqRA=20|"
                       "Note=Pagamento a 30 giorni.|ImportoIVA=22880|ImportoContributo=4000|"
                       "ImportoRA=20000|SpeseEsenti=0");
}

QVariantMap usualClient()
{
    return fromChanges("CodCliente=R1|Denominazione=Rossi Mario|Indirizzo=Via Verdi 3|Citta=Alba|"
                       "CAP=12051|PartitaIVA=01234567897|CodiceFiscale=rssmra80a01h501u|"
                       "Definiz=Egr. Sig.");
}

bool insert(Database& db, const QString& table, QVariantMap row, const QString& key)
{
    row.insert("Chiave", key);
    QStringList marks(row.size(), "?");
    QString error;
    const bool ok = db.execute("INSERT INTO " + table + " (" + row.keys().join(", ") +
                                   ") VALUES (" + marks.join(", ") + ")",
                               row.values(), &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

// Page 0 of the recorded document.
QStringList dump(PrintRun& run)
{
    return dumpPageFile(run.pageFilePath(0));
}

// Looks the document of that date and number up and, when found, records its
// page, as the print windows do; returns the message when not found.
QString printDocument(PageRecorder& recorder, AppContext& context, bool proForma,
                      const QString& date, const QString& number, InvoicePrintChoice choice = {})
{
    QString message;
    const auto key = DocumentKey::of(parseItalianDate(date), number);
    const auto found = findDocumentToPrint(
        context, proForma ? FeeDocumentKind::ProForma : FeeDocumentKind::Invoice, key, &message);
    if (found && proForma)
        StampaParcella(recorder, *found, context.settings());
    else if (found)
        StampaFattura(recorder, *found, context.settings(), choice);
    return message;
}

// In the amounts block every label ends a column before "euro:", measured in
// the font it is printed in.
void checkLabelsClearOfAmounts(PageRecorder& engine, const QStringList& page)
{
    const double room = (37 - 10 - 1) * engine.UnitX;
    const QStringList euro = page.filter(QRegularExpression(R"(^21 \S+ 37\.00 \|.*\| euro:$)"));
    QVERIFY(!euro.isEmpty());
    const double first = euro.first().section(' ', 1, 1).toDouble();
    const double last = euro.last().section(' ', 1, 1).toDouble();
    for (const QString& line : page) {
        const QStringList parts = line.split(" | ");
        const QStringList place = parts.value(0).split(' ');
        const double row = place.value(1).toDouble();
        if (place.value(0) != "21" || place.value(2) != "10.00" || row < first || row > last)
            continue;
        const QStringList style = parts.value(1).split(' ');
        engine.SetFontName(style.value(0));
        engine.SetFontSize(style.value(1).toDouble());
        engine.SetFontBold(style.contains("B"));
        engine.SetFontItalic(style.contains("I"));
        QVERIFY2(engine.TextWidth(parts.value(2)) <= room, qPrintable(line));
    }
}

const QString kSupplierFile =
    QStringLiteral(FALMIDE_SUPPLIERS) + QStringLiteral("/IT01234567897_00042.xml");

FatturaPAContent supplierContent()
{
    QString message;
    auto content = readFatturaPAFile(kSupplierFile, &message);
    if (!content)
        qFatal("%s", qPrintable(message));
    return *content;
}

// Two documents of many lines, one of them of a description long enough to
// take several rows.
FatturaPAContent lotOfLines()
{
    FatturaPAContent c = supplierContent();
    c.fileName = "IT01234567897_00043.xml";
    FatturaPABody first = c.bodies.first();
    first.lines.clear();
    const FatturaPALine usual{{}, {}, "2.00", "pz", "10.50", "21.00", "22.00", {}, false};
    for (int i = 1; i <= 70; ++i) {
        FatturaPALine line = usual;
        line.number = QString::number(i);
        line.description = i == 40 ? QString("Descrizione lunga ").repeated(30).trimmed()
                                   : QString("Articolo numero %1").arg(i);
        first.lines << line;
    }
    FatturaPABody second = c.bodies.first();
    second.number = "FT/2026/1188";
    c.bodies = {first, second};
    return c;
}

QStringList record(PrintFixture& fixture, const FatturaPAContent& content)
{
    PageRecorder& recorder = fixture.recorder();
    QString error;
    if (!recorder.BeginDocument(&error))
        return {error};
    layoutFatturaPA(recorder, content);
    if (!recorder.EndDocument(&error))
        return {error};
    QStringList all;
    for (int page = 0; page < fixture.run->pageCount(); ++page)
        all << QString("--- page %1").arg(page + 1)
            << dumpPageFile(fixture.run->pageFilePath(page));
    return all;
}

// The text of a dump line ("1 12.00 10.00 | Arial 8.50 | text").
QString textOf(const QString& line)
{
    return line.section(" | ", 2);
}

// Chooses `path` in the next file dialog as a user types it; a dialog that
// has not settled yet is answered again.
void chooseInDialog(QObject* context, const QString& path, QStringList* filters)
{
    whenModal<QFileDialog>(context, [context, path, filters](QFileDialog* dialog) {
        *filters = dialog->nameFilters();
        dialog->setDirectory(QFileInfo(path).absolutePath());
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible())
            chooseInDialog(context, path, filters);
    });
}

} // namespace

void DocumentLayoutTest::init()
{
    MessageBox::resetForTest();
    m_fixture.setUp();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    m_data.context().DatiUtente = {"Geom. Bianchi Luca", "Corso Alfieri 10", "Asti", "14100",
                                   "09876543217",        "BNCLCU70B02A479J"};
    m_fixture.recorder().setDecimalSeparator(',');
}

void DocumentLayoutTest::cleanup()
{
    m_data.tearDown();
    m_fixture.tearDown();
}

void DocumentLayoutTest::recordedPages_data()
{
    QTest::addColumn<bool>("proForma");
    QTest::addColumn<QStringList>("settings"); // "section/key=value"; no value removes the key
    QTest::addColumn<QStringList>("document");
    QTest::addColumn<QStringList>("client");
    QTest::addColumn<bool>("letterhead");

    // Each row: its name, then the changes to the usual case separated by "|".
    const std::tuple<const char*, bool, QString, QString, QString, bool> rows[] = {
        {"fattura_geometra", false, "", "SpeseEsenti=1550|Bollo=200", "", false},
        {"fattura_altro_profilo_senza_intesta", false,
         "Generale/Calcolo=ALTRO|Generale/Intesta=|Generale/Nota_RA=", "Note=|Descrizione=", "",
         false},
        {"fattura_senza_contributo", false, "", "ImportoContributo=|AliqContributo=", "", false},
        {"fattura_senza_ritenuta", false, "", "ImportoRA=|Oggetto=", "", false},
        {"fattura_minimi", false, "",
         "ImportoIVA=0|AliqIVA=|ImportoRA=", "CodiceFiscale=|Definiz=", false},
        {"fattura_cf_15_carta_senza_logo", false, "", "", "CodiceFiscale=RSSMRA80A01H501", true},
        {"fattura_carta_con_logo_spostato", false,
         "CartaIntestata/logo_x=500|CartaIntestata/logo_larg=4000|CartaIntestata/Ditta=", "", "",
         true},
        {"fattura_nota_ra_lunga", false,
         "Generale/Importo=Onorario per il frazionamento catastale e la pratica di accatastamento "
         "del fabbricato rurale|Generale/Nota_RA=(ritenuta operata ai sensi dell'art. 25 del "
         "D.P.R. 29/09/1973 n. 600, da versare entro il giorno 16 del mese successivo)",
         "SpeseEsenti=1550", "", false},
        {"parcella", true, "CartaIntestata/Ditta=", "SpeseEsenti=1550", "", true},
        {"parcella_con_logo_cf", true, "CartaIntestata/LogoParcella=1|Generale/Calcolo=", "",
         "PartitaIVA=", false},
    };
    for (const auto& [name, proForma, settings, document, client, letterhead] : rows)
        QTest::newRow(name) << proForma << settings.split('|', Qt::SkipEmptyParts)
                            << document.split('|', Qt::SkipEmptyParts)
                            << client.split('|', Qt::SkipEmptyParts) << letterhead;
}

// Each row's page is dumped record by record; a logo file is present only
// for the rows whose name says so.
void DocumentLayoutTest::recordedPages()
{
    QFETCH(bool, proForma);
    QFETCH(QStringList, settings);
    QFETCH(QStringList, document);
    QFETCH(QStringList, client);
    QFETCH(bool, letterhead);

    const QString ini = m_data.context().settingsFile();
    for (const QString& entry : kSettings + settings) {
        const QString key = entry.section('=', 0, 0);
        QVERIFY(ScriviIni(key.section('/', 0, 0), key.section('/', 1), ini, entry.section('=', 1)));
    }
    if (QString(QTest::currentDataTag()).contains("con_logo"))
        QVERIFY(pdftest::writeFile(m_data.context().programFolder + "/logo.bmp",
                                   pdftest::makeBmp(1, 1, 24, QByteArray("\x10\x20\x30\0", 4))));

    QVariantMap doc = usualDocument();
    if (!proForma)
        doc.insert("Bollo", QVariant());
    apply(doc, document);
    QVariantMap person = usualClient();
    apply(person, client);
    Database& db = m_data.context().DbArchivi;
    QVERIFY(insert(db, "Clienti", person, "R1        "));
    QVERIFY(insert(db, proForma ? "Parcelle" : "Fatture", doc, "2026        12"));

    PageRecorder& engine = m_fixture.recorder();
    QVERIFY(engine.BeginDocument());
    const QString message =
        printDocument(engine, m_data.context(), proForma, "05/03/2026", "12", {true, letterhead});
    QVERIFY(engine.EndDocument());
    QCOMPARE(message, QString());
    const QStringList page = dump(*m_fixture.run);
    // Golden dumps live beside the test.
    compareWithGolden(page,
                      QStringLiteral(FALMIDE_GOLDEN_DIR "/%1.txt").arg(QTest::currentDataTag()));
    checkLabelsClearOfAmounts(engine, page);
}

void DocumentLayoutTest::missingDocumentsAndClients()
{
    Database& db = m_data.context().DbArchivi;
    PageRecorder& engine = m_fixture.recorder();
    auto both = [&](const QString& number) {
        QStringList messages;
        for (bool proForma : {false, true}) {
            engine.BeginDocument();
            messages << printDocument(engine, m_data.context(), proForma, "05/03/2026", number);
            engine.EndDocument();
            // Nothing is drawn: the preview shows an empty page.
            if (!dump(*m_fixture.run).isEmpty())
                return QStringList{"drawn"};
        }
        return messages;
    };
    QCOMPARE(both("12"),
             QStringList({"Non sono state immesse fatture", "Non sono state immesse Parcelle"}));
    QVariantMap doc = usualDocument();
    QVERIFY(insert(db, "Fatture", doc, "2026        12"));
    QVERIFY(insert(db, "Parcelle", doc, "2026        12"));
    QCOMPARE(both("13"), QStringList({"Fattura non trovata", "Parcella non trovata"}));
    QCOMPARE(both("12"), QStringList(2, "Archivio clienti inconsistente"));
    QVariantMap other = usualClient();
    other.insert("CodCliente", "V9");
    QVERIFY(insert(db, "Clienti", other, "V9        "));
    QCOMPARE(both("12"), QStringList(2, "Dati personali del cliente non trovati"));
    doc.insert("CodCli", QVariant());
    QVERIFY(insert(db, "Fatture", doc, "2026        14"));
    QCOMPARE(both("14").first(), "Dati personali del cliente non trovati");
}

void DocumentLayoutTest::archivePath()
{
    // The number as stored, whether typed or as the field shows it once
    // left; no path for a date or a number that cannot name the file.
    const char* const cases[][3] = {{" 12 ", "05/03/2024", "Fattura_2024_12.pdf"},
                                    {"1 000", "05/03/2024", "Fattura_2024_1000.pdf"},
                                    {"0012", "05/03/2024", "Fattura_2024_12.pdf"},
                                    {"12", "31/02/2024", ""},
                                    {" ", "05/03/2024", ""},
                                    {"../1", "05/03/2024", ""}};
    for (const auto& [number, date, file] : cases)
        QCOMPARE(invoiceArchivePath("/dati", number, date),
                 *file ? QString("/dati/Fatture/2024/") + file : QString());
}

// The layouts find a document by its number however the field shows it, and
// by nothing else.
void DocumentLayoutTest::numbersAsFieldsShowThem()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(insert(db, "Clienti", usualClient(), "R1        "));
    QVariantMap doc = usualDocument();
    for (int n : {12, 1000, 1234567890}) {
        doc.insert("Numero", n);
        const QString key = "2026" + QString::number(n).rightJustified(10);
        QVERIFY(insert(db, "Fatture", doc, key));
        QVERIFY(insert(db, "Parcelle", doc, key));
    }
    PageRecorder& engine = m_fixture.recorder();
    auto title = [&](bool proForma, const QString& number) {
        engine.BeginDocument();
        const QString message =
            printDocument(engine, m_data.context(), proForma, "05/03/2026", number);
        engine.EndDocument();
        if (!message.isEmpty())
            return message;
        const QStringList titles =
            dump(*m_fixture.run).filter(proForma ? "PARCELLA PROFORMA N." : "FATTURA N.");
        return titles.isEmpty() ? QString("no title") : titles.first().section(" | ", 2);
    };
    for (bool proForma : {false, true}) {
        const QString heading = proForma ? "PARCELLA PROFORMA N. " : "FATTURA N. ";
        QCOMPARE(title(proForma, "1 000"), heading + "1000 / 2026");
        QCOMPARE(title(proForma, "0012"), heading + "12 / 2026");
        const QString notFound = proForma ? "Parcella non trovata" : "Fattura non trovata";
        QCOMPARE(title(proForma, "1 234"), notFound);
        QCOMPARE(title(proForma, "12a"), notFound);
        QCOMPARE(title(proForma, "1 234 567 890"), heading + "1234567890 / 2026");
        // Eleven digits would be cut to the key of 1234567890.
        QCOMPARE(title(proForma, "11234567890"), notFound);
    }
}

void DocumentLayoutTest::printWindowFillsAndArchives()
{
    {
        STAFAT empty(m_data.context());
        QCOMPARE(empty.text(0) + empty.text(1), QString());
    }
    Database& db = m_data.context().DbArchivi;
    QVariantMap doc = usualDocument();
    QVERIFY(insert(db, "Clienti", usualClient(), "R1        "));
    QVERIFY(insert(db, "Fatture", doc, "2026        12"));
    doc.insert("Numero", 40);
    doc.insert("Data", "2025-12-30");
    QVERIFY(insert(db, "Fatture", doc, "2025        40"));

    const QString archive = m_data.context().programFolder + "/Fatture/2026/Fattura_2026_12.pdf";
    for (int round = 0; round < 2; ++round) {
        STAFAT window(m_data.context());
        QCOMPARE(window.windowTitle(), "Stampa Fattura");
        // The latest year comes last in key order, whatever its numbers.
        QCOMPARE(window.text(0), "12");
        QCOMPARE(window.text(1), "05/03/2026");
        QVERIFY(window.StampaData()->isChecked());
        QVERIFY(!window.Carta()->isChecked());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QString offered;
        whenModal<frmPreview>(&window, [&offered](frmPreview* preview) {
            offered = preview->pdfPath();
            auto* pdf = preview->findChild<QPushButton*>("PDF");
            QVERIFY(pdf->isVisible());
            QTest::mouseClick(pdf, Qt::LeftButton);
        });
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!window.isVisible());
        // The same invoice goes to the same archive file.
        QCOMPARE(offered, archive);
        CHECK_PDF(archive, {"FATTURA N. 12 / 2026", "NETTO A CORRISPONDERE", "1 068,80"});
        // A viewer's caption names the invoice, not the folders of the archive.
        QVERIFY(pdftest::output("pdfinfo", {archive})
                    .contains(QRegularExpression("^Title: +Fattura 12/2026\n")));
    }
}

void DocumentLayoutTest::notFoundStillOpensPreview()
{
    STAFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClicks(window.Dati(0), "12");
    QTest::keyClick(window.Dati(0), Qt::Key_Enter);
    QTest::keyClicks(window.Dati(1), "05032024");
    QTest::keyClick(window.Dati(1), Qt::Key_Enter);
    QCOMPARE(window.text(1), "05/03/2024");
    bool withExport = true;
    whenModal<frmPreview>(&window, [&withExport](frmPreview* preview) {
        withExport = preview->findChild<QPushButton*>("PDF")->isVisible();
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtStampa(), Qt::LeftButton);
    QCOMPARE(MessageBox::lastText(), "Non sono state immesse fatture");
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(!withExport);
    // The year folder is made for the archive even when nothing can be exported.
    QVERIFY(QFileInfo(m_data.context().programFolder + "/Fatture/2024").isDir());
    QVERIFY(!QFile::exists(m_data.context().programFolder + "/Fatture/2024/Fattura_2024_12.pdf"));
}

void DocumentLayoutTest::supplierPages()
{
    const QStringList pages = record(m_fixture, supplierContent());
    compareWithGolden(pages, QStringLiteral(FALMIDE_GOLDEN_DIR) + "/fatturapa_fornitore.txt");
}

void DocumentLayoutTest::manyLinesFlowOntoNumberedPages()
{
    const QStringList dump = record(m_fixture, lotOfLines());
    const int pages = m_fixture.run->pageCount();
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    QStringList numbers, headings;
    QString lastPageSeen;
    int longRows = 0;
    QString page;
    for (const QString& line : dump) {
        if (line.startsWith("--- page")) {
            page = line;
            continue;
        }
        const QString text = textOf(line);
        if (text.startsWith("Pagina "))
            numbers << text;
        if (text == "Descrizione")
            headings << page;
        if (text.startsWith("Descrizione lunga"))
            ++longRows;
        // Everything stays between the heading's rule and the footer's.
        if (line.startsWith("1 ") || line.startsWith("2 ")) {
            const double row = line.section(' ', 1, 1).toDouble();
            QVERIFY2(row >= 2 && row <= 80.5, qPrintable(line));
        }
    }
    QStringList expected;
    for (int p = 1; p <= pages; ++p)
        expected << QString("Pagina %1 di %2").arg(p).arg(pages);
    QCOMPARE(numbers, expected);
    // The long description wraps; the table cut by a page is headed again.
    QVERIFY2(longRows >= 3, qPrintable(QString::number(longRows)));
    QVERIFY2(headings.size() >= 3, qPrintable(headings.join(", ")));
    // Every line of both documents shows once, in its order.
    for (const char* wanted : {"Articolo numero 1", "Articolo numero 70", "DOCUMENTO 2 DI 2"})
        QCOMPARE(dump.filter(QRegularExpression("\\| " +
                                                QRegularExpression::escape(QString(wanted)) + "$"))
                     .size(),
                 1);
}

void DocumentLayoutTest::exportedPdf()
{
    FatturaPAContent content = supplierContent();
    content.isSigned = true;
    content.signatureProblem = "la firma del file .p7m non corrisponde al contenuto";
    PageRecorder& recorder = m_fixture.recorder();
    QVERIFY(recorder.BeginDocument());
    layoutFatturaPA(recorder, content);
    QVERIFY(recorder.EndDocument());
    const QString pdf = fatturaPAViewPdfPath(m_data.path(), "IT01234567897_00042.xml.p7m");
    QCOMPARE(pdf, m_data.path() + "/Stampe/IT01234567897_00042.pdf");
    QString error;
    QVERIFY2(ExportPdf(*m_fixture.run, 1, 9999, {pdf, "Fattura elettronica", {}, {}}, &error),
             qPrintable(error));
    // Names, amounts the Italian way, the payment and the attachment's name.
    CHECK_PDF(pdf,
              {"Cartoleria Tecnica Bianchi S.r.l.", "Geom. Mario Rossi", "FT/2026/1187", "1.000,00",
               "220,00", "75,37", "25,12345", "1.304,91", "20/12/2026",
               "IT60X0542811101000000123456", "FT_2026_1187.pdf", "N1 Escluse ex art. 15",
               "TD01 Fattura", "firma digitale del file non è stata verificata", "Pagina 1 di 1"});
}

void DocumentLayoutTest::previewFromFileDialog()
{
    QWidget parent;
    parent.show();
    QVERIFY(QTest::qWaitForWindowActive(&parent));
    int pageCount = 0;
    QString offered;
    QStringList filters;
    whenModal<frmPreview>(&parent, [&](frmPreview* preview) {
        pageCount = preview->pageCount();
        offered = preview->pdfPath();
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    chooseInDialog(&parent, kSupplierFile, &filters);
    askAndPreviewFatturaPA(m_data.context(), &parent);
    QCOMPARE(filters, QStringList{"Fatture elettroniche (*.xml *.p7m)"});
    QCOMPARE(pageCount, 1);
    QCOMPARE(offered, m_data.context().programFolder + "/Stampe/IT01234567897_00042.pdf");
    QCOMPARE(MessageBox::shownCount(), 0);

    // A file that is no invoice is named, and no preview opens.
    const QString other = m_data.filePath("ricevuta.xml");
    QVERIFY(samples::put(other, "<RicevutaConsegna/>"));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QVERIFY(!previewFatturaPAFile(m_data.context(), &parent, other));
    QCOMPARE(MessageBox::lastText(),
             "ricevuta.xml: non è una fattura elettronica FatturaPA (contiene RicevutaConsegna)");
}
