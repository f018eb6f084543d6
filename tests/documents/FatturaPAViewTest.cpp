#include "FatturaPAViewTest.h"

#include "FatturaPAContent.h"
#include "FatturaPALayout.h"
#include "FatturaPAPreview.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PageDump.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "frmPreview.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

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
    for (int i = 1; i <= 70; ++i) {
        FatturaPALine line{QString::number(i),
                           QString("Articolo numero %1").arg(i),
                           "2.00",
                           "pz",
                           "10.50",
                           "21.00",
                           "22.00",
                           "",
                           false};
        if (i == 40)
            line.description = QString("Descrizione lunga ").repeated(30).trimmed();
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

void FatturaPAViewTest::init()
{
    MessageBox::resetForTest();
    m_fixture.setUp();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    m_fixture.recorder().setDecimalSeparator(',');
}

void FatturaPAViewTest::cleanup()
{
    m_data.tearDown();
    m_fixture.tearDown();
}

void FatturaPAViewTest::supplierPages()
{
    const QStringList pages = record(m_fixture, supplierContent());
    compareWithGolden(pages, QStringLiteral(FALMIDE_GOLDEN_DIR) + "/fatturapa_fornitore.txt");
}

void FatturaPAViewTest::manyLinesFlowOntoNumberedPages()
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

void FatturaPAViewTest::exportedPdf()
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

void FatturaPAViewTest::previewFromFileDialog()
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
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<RicevutaConsegna/>");
    file.close();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QVERIFY(!previewFatturaPAFile(m_data.context(), &parent, other));
    QCOMPARE(MessageBox::lastText(),
             "ricevuta.xml: non è una fattura elettronica FatturaPA (contiene RicevutaConsegna)");
}
