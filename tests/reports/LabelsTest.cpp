#include "LabelsTest.h"

#include "AddressLabels.h"
#include "FakePrinterSystem.h"
#include "MessageBox.h"
#include "PdfTestSupport.h"
#include "PrinterSystem.h"
#include "StaETI.h"
#include "TestDataFolder.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// Paper that remembers what was drawn on it, sheet by sheet.
class LogSheet : public SheetTarget
{
public:
    struct Text
    {
        int sheet;
        double x, y;
        QString text;
    };
    struct Box
    {
        int sheet;
        double top, left, right; // layout rows and columns
    };
    void setFont(const FontState&) override {}
    double truncationWidth(const QString&) override { return 0; }
    void drawText(double x, double y, const QString& text, int) override
    {
        texts.push_back({sheet, x, y, text});
    }
    void drawBox(double top, double left, double, double right, double, bool, double,
                 double) override
    {
        boxes.push_back({sheet, top, left, right});
    }
    void drawLine(double, double, double, double, double) override {}
    void drawImage(double, double, double, double, const QString&) override {}
    void fillRect(double, double, double, double, unsigned) override {}
    void drawColouredLine(double, double, double, double, double, unsigned) override {}
    bool newSheet(QString*) override { return ++sheet, true; }
    bool endSheets(QString*) override { return ended = true; }

    std::vector<Text> texts;
    std::vector<Box> boxes;
    int sheet = 0;
    bool ended = false;
};

bool addAddress(Database& db, const QString& code, const QVariant& name, const QVariant& address,
                const QString& town)
{
    QString error;
    return db.execute(QStringLiteral("INSERT INTO Clienti (Chiave, CodCliente, Denominazione, "
                                     "Indirizzo, Citta, CAP) VALUES (?, ?, ?, ?, ?, ?)"),
                      {code.leftJustified(10), code, name, address, town, QStringLiteral("20100")},
                      &error);
}

// Eight clients A01..A08 and B1, and NOME without name and address.
bool fill(Database& db)
{
    bool ok = true;
    for (int i = 1; i <= 8; ++i)
        ok = ok && addAddress(db, QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')),
                              QStringLiteral("Studio Rossi %1").arg(i),
                              QStringLiteral("Via Roma %1").arg(i), QStringLiteral("Milano"));
    return ok && addAddress(db, "B1", "Bianchi", "Corso Italia 1", "Monza") &&
           addAddress(db, "NOME", QVariant(), QVariant(), "Lodi");
}

} // namespace

void LabelsTest::init()
{
    m_fixture.setUp();
    MessageBox::resetForTest();
}

void LabelsTest::cleanup()
{
    m_fixture.tearDown();
}

void LabelsTest::placementAndBoxes()
{
    TestDataFolder data;
    QString error;
    QVERIFY(data.setUp(&error));
    Database& db = data.context().DbArchivi;
    QVERIFY(fill(db));
    PageRecorder& e = m_fixture.recorder();
    for (const bool twoColumns : {false, true}) {
        LogSheet sheet;
        e.drawStraightOn(&sheet);
        QCOMPARE(StampaEtichette(e, db, Table::Clienti, labelRange("", ""), twoColumns, &error),
                 LabelOutcome::Printed);
        QVERIFY(sheet.ended);
        std::vector<LogSheet::Text> labels;
        for (const auto& t : sheet.texts)
            if (t.text == QLatin1String("Spett.le"))
                labels.push_back(t);
        QCOMPARE(labels.size(), 10u);
        if (!twoColumns) {
            // Six a page, one below the other; the seventh at the top of the next.
            QCOMPARE(labels[5].sheet, 0);
            QCOMPARE(labels[6].sheet, 1);
            QCOMPARE(labels[6].y, labels[0].y);
            QCOMPARE(labels[1].y - labels[0].y, 10 * e.UnitY);
            QCOMPARE(labels[1].x, labels[0].x);
        } else {
            // Left then right, twelve a page.
            QCOMPARE(labels[1].y, labels[0].y);
            QCOMPARE(labels[1].x - labels[0].x, 34 * e.UnitX);
            QCOMPARE(labels[9].sheet, 0);
        }
        // The last is NOME: no name, no address; a box 20 columns wide.
        const auto& town = sheet.texts.back();
        QCOMPARE(town.text, QStringLiteral("20100 Lodi"));
        QCOMPARE(sheet.texts[sheet.texts.size() - 2].text, QStringLiteral("Spett.le"));
        const auto& box = sheet.boxes.back();
        QCOMPARE(box.right - box.left, 22.0); // columns: from column - 2 to column + 20
        QCOMPARE(box.left, (twoColumns ? 34 : 0) + 2.0);
    }
    e.drawStraightOn(nullptr);
}

void LabelsTest::windowPrintsOnThePrinter()
{
    TestDataFolder data;
    QString error;
    QVERIFY(data.setUp(&error));
    AppContext& context = data.context();
    QVERIFY(fill(context.DbArchivi));
    FakePrinterSystem printers;
    PrinterSystem::setCurrent(&printers);
    const QString out = m_fixture.printer->outputFileName();

    struct Case
    {
        const char* first;
        const char* last;
        int pages;
        QStringList shown;
        QStringList left;
    };
    const Case cases[] = {
        {"", "", 2, {"Studio Rossi 1", "Bianchi", "20100 Lodi"}, {}},
        {"a0", "A05", 1, {"Studio Rossi 1", "Studio Rossi 5"}, {"Studio Rossi 6", "Bianchi"}},
    };
    for (const Case& c : cases) {
        QFile::remove(out);
        StaETI window(context);
        window.setText(0, c.first);
        window.setText(1, c.last);
        window.show();
        QTest::mouseClick(window.BtStampa(), Qt::LeftButton);
        QCOMPARE(window.text(1).size(), 10);
        QCOMPARE(pdftest::pageCount(out), c.pages);
        const QString text = pdftest::output("pdftotext", {out, "-"});
        for (const QString& s : c.shown)
            QVERIFY2(text.contains(s), qPrintable(s));
        for (const QString& s : c.left)
            QVERIFY2(!text.contains(s), qPrintable(s));
        QVERIFY(!window.isVisible());
    }

    // No suppliers: said so, nothing printed.
    QFile::remove(out);
    StaETI suppliers(context);
    suppliers.Fornitori()->setChecked(true);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    suppliers.BtStampa_Click();
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Non sono stati catalogati dati"));
    QVERIFY(!QFile::exists(out));

    printers.installed.clear();
    StaETI none(context);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    none.BtStampa_Click();
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Nessuna stampante installata"));
    PrinterSystem::setCurrent(nullptr);
}
