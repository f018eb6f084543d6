#include "PrintTests.h"

#include "LogTarget.h"
#include "PageFolder.h"
#include "PageRange.h"
#include "PageRecord.h"
#include "PageRecorder.h"
#include "PdfTestSupport.h"
#include "PrinterJob.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <cmath>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QString joinedTexts(const LogTarget& target)
{
    QString joined;
    for (const auto& t : target.texts)
        joined += t.text + ' ';
    return joined.simplified();
}

} // namespace

void PageRecorderTest::numbers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value"); // NaN: rejected
    QTest::addColumn<bool>("written"); // the print form of value, with a comma
    const double rejected = qQNaN();
    QTest::newRow("three and a half") << " 3,5 " << 3.5 << true;
    QTest::newRow("whole") << " 12 " << 12.0 << true;
    QTest::newRow("negative zero") << " 0 " << -0.0 << true;
    QTest::newRow("negative") << "-2,25 " << -2.25 << true;
    QTest::newRow("below one") << " 0,125 " << 0.125 << true;
    QTest::newRow("huge") << " 1e+300 " << 1e300 << true;
    QTest::newRow("leading point") << " .5 " << 0.5 << false;
    QTest::newRow("blanks inside") << " 1 234,5 " << 1234.5 << false;
    QTest::newRow("plus") << "+4" << 4.0 << false;
    QTest::newRow("exponent") << "1,5e3" << 1500.0 << false;
    QTest::newRow("second comma") << "1,2,3" << rejected << false;
    QTest::newRow("empty") << "" << rejected << false;
    QTest::newRow("trailing letters") << "3x" << rejected << false;
    QTest::newRow("infinity") << "inf" << rejected << false;
    QTest::newRow("overflow") << "1e999" << rejected << false;
    QTest::newRow("non-ascii digit") << QString::fromUtf8("٣") << rejected << false;
}

void PageRecorderTest::numbers()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(bool, written);
    const auto read = PageRecord::readNumber(field);
    QCOMPARE(read.has_value(), !qIsNaN(value));
    if (read)
        QCOMPARE(*read, value);
    // Replaying reads the field's bytes, to the same result.
    QCOMPARE(PageRecord::numberField(field.toUtf8()), read);
    // Written with either separator, a number reads back exactly.
    if (written) {
        const QString point = QString(field).replace(',', '.');
        QCOMPARE(PageRecord::number(value, ','), field);
        QCOMPARE(PageRecord::number(value, '.'), point);
        QCOMPARE(PageRecord::readNumber(point).value_or(-1), value);
    }
}

void PageRecorderTest::recordLinesSplitIntoElevenFieldsAtMost()
{
    // Past the eleventh field the tabs belong to the last one.
    const QStringList fields = PageRecord::split("0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12");
    QCOMPARE(fields.size(), 11);
    QCOMPARE(fields.at(10), "10\t11\t12");
    QCOMPARE(PageRecord::split(QString()), QStringList{QString()});
    QCOMPARE(PageRecord::number(qQNaN(), ','), " 0 ");

    // Replaying splits the bytes the same way, short fields and long texts alike.
    for (const QString& line :
         {QStringLiteral("0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12"), QString(),
          QStringLiteral("21\t 3 \t 5 \t 0 \tUna descrizione lunga più di sedici caratteri"),
          QStringLiteral("\t\tcampo dopo due vuoti, ancora più lungo di sedici\t\tfine"),
          QStringLiteral("0123456789abcdefghij\t0123456789abcdefgh\t")}) {
        const QByteArray bytes = line.toUtf8();
        const PageRecord::FieldViews views = PageRecord::splitFields(bytes);
        QStringList fields;
        for (int i = 0; i < views.count; ++i)
            fields << QString::fromUtf8(views.at[i]);
        QCOMPARE(fields, PageRecord::split(line));
    }
}

// Numbers as the recorder writes them read back exactly, with either
// separator: plain decimals are read by a quicker way than the others.
void PageRecorderTest::numbersReadBackExactly()
{
    QRandomGenerator random(20260107);
    QList<double> values;
    values << 0 << -0.0 << 0.1 << 0.2 + 0.1 << 1.0 / 3 << -2.675 << 199.9 << 1e15 << 123456.75
           << 1e-7 << 9007199254740993.0 << 1e22 << 5e-324 << 1e300 << -1e-300;
    for (int i = 0; i < 5000; ++i) {
        const double magnitude = std::pow(10.0, random.bounded(-6, 16));
        values << (random.generateDouble() - 0.5) * magnitude;
        values << std::round(random.generateDouble() * 1e6) / 1000; // twips as layouts make them
    }
    for (const double value : values) {
        for (const QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
            const QString field = PageRecord::number(value, separator);
            const auto read = PageRecord::numberField(field.toUtf8());
            QVERIFY2(read && *read == value, qPrintable(field));
        }
    }
}

void PageRecorderTest::bufferedLinesAsFieldByField()
{
    // Numbers of every kind a layout or damage can give: whole, of a few
    // decimals, of full precision, huge, tiny, not finite.
    QRandomGenerator random(20261208);
    QList<double> values;
    values << 0 << -0.0 << 0.001 << -0.0005 << 0.1 << 0.2 + 0.1 << 1.0 / 3 << -2.675 << 6.15
           << 37.25 << 999999999999.999 << 1e12 << 1e12 + 0.5 << 1e15 << 1e16 << 123456.75 << 1e-7
           << 9007199254740993.0 << 1e22 << 5e-324 << 1e300 << -1e300 << -1e-300 << 1e63 << 1e64
           << 1e65 << 1e-60 << 1e-63 << 1e-64 << qInf() << -qInf() << qQNaN() << 16777215.0
           << -32768.0;
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, random.bounded(-8, 18));
        values << (random.generateDouble() - 0.5) * magnitude;
        values << std::round((random.generateDouble() - 0.3) * magnitude * 1000) / 1000;
        values << double(random.bounded(-100000, 100000)) / (1 << random.bounded(0, 12));
        values << double(random.bounded(0, 1000000)) / 100;
    }
    const QString texts[] = {"",
                             "Fattura 12/2026 Rossi",
                             "con\tTAB\tdentro",
                             QString::fromUtf8("Società à € – “virgolette”\tfine"),
                             QString::fromUtf8("😀 ok\t"),
                             QString(QChar(0xD800)) + "a", // a lone surrogate
                             QString(300, QLatin1Char('x')) + QString::fromUtf8("è")};
    for (const char separator : {'.', ','}) {
        QByteArray buffered;
        QByteArray joined;
        for (qsizetype i = 0; i + 3 < values.size(); i += 4) {
            const QString& text = texts[i / 4 % std::size(texts)];
            const bool on = (i / 4) % 2 == 0;
            const int code = (i / 4) % 2 ? PageRecord::Text : PageRecord::State;
            const PageRecord::Field fields[] = {
                PageRecord::asNumber(values[i]), PageRecord::asNumber(values[i + 1]),
                PageRecord::asText(text),        PageRecord::asNumber(values[i + 2]),
                PageRecord::asBoolean(on),       PageRecord::asNumber(values[i + 3])};
            PageRecord::appendLine(buffered, code, fields, separator);
            const QChar s = QLatin1Char(separator);
            joined += PageRecord::line(
                code, {PageRecord::number(values[i], s), PageRecord::number(values[i + 1], s),
                       PageRecord::escapeText(text), PageRecord::number(values[i + 2], s),
                       PageRecord::boolean(on), PageRecord::number(values[i + 3], s)});
            if (buffered != joined) {
                const QByteArray got =
                    buffered.mid(buffered.lastIndexOf("\r\n", buffered.size() - 3));
                const QByteArray want = joined.mid(joined.lastIndexOf("\r\n", joined.size() - 3));
                QCOMPARE(got, want);
            }
        }
        QCOMPARE(buffered, joined);
    }
    // A line with no fields.
    QByteArray bare;
    PageRecord::appendLine(bare, PageRecord::FontBold, {}, '.');
    QCOMPARE(bare, PageRecord::line(PageRecord::FontBold, {}));
}

void PageRecorderTest::recordsLayoutAsGoldenDump()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    beginInUnits(e, 276, 199.5);
    e.SetFontName("Arial");
    e.SetFontSize(12);
    e.SetFontBold(true);
    e.PrintText(4, 5, 0, "Fattura\tN 12");
    e.PrintTextRight(5, 60.25, 10, "Totale euro");
    e.PrintTextStyled(6, 40, 0, 8, 2, "011", "nota");
    // The flags 011 ask for italic and underlined, not bold, for this text only.
    QCOMPARE(e.printerFont(), (FontState{"Arial", 12, true, false, false}));
    e.DrawBox(1, 4.5, 3.5, 76.5, 4, 1);
    e.DrawHLine(8.5, 5, 23, 4);
    e.DrawVLine(60, 5, 86, 2);
    e.DrawImage(100, 100, 3000, 1000, "/tmp/logo");
    e.DrawFilledBox(40, 30, 45.5, 34, 0x2E6DB4);
    e.DrawColouredLine(50, 31, 47.25, 43.5, 16, 0xD9822B);
    e.SetFontItalic(true);
    e.SetFontUnderline(false);
    e.PrintText(-2.5, 0.125, 0, "margine");
    QVERIFY(e.NewPage());
    e.PrintText(1, 1, 0, "seconda");
    QVERIFY(e.EndDocument());
    QCOMPARE(e.pageCount(), 2);

    QString page0 = "10\tArial\r\n11\t 12 \r\n12\t-1\r\n"
                    "21\t 4 \t 5 \t 0 \tFattura\x1bN 12\r\n"
                    "22\t 5 \t 60.25 \t 10 \tTotale euro\r\n"
                    "20\t 6 \t 40 \t 0 \t 8 \t 2 \t011\tnota\r\n"
                    "30\t 1 \t 4.5 \t 3.5 \t 76.5 \t 4 \t 1 \r\n"
                    "31\t 8.5 \t 5 \t 23 \t 4 \r\n"
                    "32\t 60 \t 5 \t 86 \t 2 \r\n"
                    "90\t 100 \t 100 \t 3000 \t 1000 \t/tmp/logo\r\n"
                    "33\t 40 \t 30 \t 45.5 \t 34 \t 3042740 \r\n"
                    "34\t 50 \t 31 \t 47.25 \t 43.5 \t 16 \t 14254635 \r\n"
                    "14\t-1\r\n13\t0\r\n"
                    "21\t-2.5 \t 0.125 \t 0 \tmargine\r\n";
    QString page1 = "0\t 276 \t 199.5 \tArial\t 12 \t-1\t0\t-1\r\n21\t 1 \t 1 \t 0 \tseconda\r\n";
    // Numbers follow the user's locale (the tests run in Italian and English).
    const QChar separator = PageRecord::systemDecimalSeparator();
    QCOMPARE(QString(pdftest::readFile(run.pageFilePath(0))), page0.replace('.', separator));
    QCOMPARE(QString(pdftest::readFile(run.pageFilePath(1))), page1.replace('.', separator));
    // The TAB written as ESC comes back on replay; styled text changes the font only for itself.
    const LogTarget target = replayed(run);
    QCOMPARE(target.log.value(0), "text 997.5 1104 0 [Fattura\tN 12]");
    QCOMPARE(target.texts.value(2).font, (FontState{"Arial", 8, false, true, true}));
    QCOMPARE(target.texts.value(3).font, (FontState{"Arial", 12, true, false, true}));
    // Chart shapes come back in twips with their colours.
    QCOMPARE(target.log.mid(7, 2),
             (QStringList{"fill 11040 5985 12558 6783 2e6db4",
                          "colourline 6184.5 13800 8678.25 13041 16 d9822b"}));
}

void PageRecorderTest::pageStateOnEveryPageButTheFirst()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    beginInUnits(e, 184, 140);
    // A long font name makes the state record longer than 60 bytes: the page
    // after the last NewPage still counts as blank, because nothing is drawn on it.
    const QString font = "Liberation Sans Narrow Condensed Extra";
    e.SetFontName(font);
    e.SetFontSize(8);
    for (int page = 0; page < 13; ++page) {
        e.PrintText(1, 1, 0, QString("pagina %1").arg(page));
        e.NewPage();
    }
    e.SetFontSize(9); // a font change alone draws nothing
    e.EndDocument();
    QCOMPARE(e.pageCount(), 13);
    QVERIFY(!QFile::exists(run.pageFilePath(13)));
    QCOMPARE(QFileInfo(run.pageFilePath(12)).fileName(), "~WRK0012.Tmp");
    QCOMPARE(PageRecord::pageFileName(10000), "~WRK10000.Tmp");
    QVERIFY(!QString(pdftest::readFile(run.pageFilePath(0))).startsWith("0\t"));
    for (int page = 1; page < 13; ++page)
        QVERIFY2(QString(pdftest::readFile(run.pageFilePath(page)))
                     .startsWith("0\t 184 \t 140 \t" + font + "\t 8 \t0\t0\t0\r\n"),
                 qPrintable(QString::number(page)));

    // A later page takes units and font from its state record, whatever was set since;
    // the recorder keeps its own.
    e.UnitY = 1;
    e.UnitX = 1;
    e.SetFontName("Courier New");
    const LogTarget target = replayed(run, 5);
    QCOMPARE(e.UnitY, 1.0);
    QCOMPARE(target.texts.value(0).font.name, font);
    QCOMPARE(target.texts.value(0).font.size, 8.0);
    QCOMPARE(target.texts.value(0).y, 184.0);

    // A document with nothing drawn still has one page; it deletes what the last one left.
    QVERIFY(e.BeginDocument() && e.EndDocument());
    QCOMPARE(e.pageCount(), 1);
    QVERIFY(!QFile::exists(run.pageFilePath(1)));
    QCOMPARE(replayed(run).log, QStringList());
}

void PageRecorderTest::privateFolderAndFailedPageFile()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    // Paper to draw on once nothing records.
    PrinterJob paper(*m_fixture.printer);
    e.drawStraightOn(&paper);
    // Page files live in a folder of TEMP that only this user may enter.
    const QDir folder(run.pages().TempFolder());
    QVERIFY(folder.path().startsWith(m_fixture.dir->path() + '/'));
    QCOMPARE(QFileInfo(folder.path()).permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                  QFile::WriteOther | QFile::ExeOther),
             QFileDevice::Permissions());
    beginInUnits(e, 200, 100);
    e.PrintText(1, 1, 0, "prima pagina");
    // Something in the way of the next page file.
    QVERIFY(folder.mkpath("~WRK0001.Tmp"));
    QString error;
    QVERIFY(!e.NewPage(&error));
    QVERIFY2(error.contains("~WRK0001.Tmp"), qPrintable(error));
    QVERIFY(!e.recording());
    // The rest of the layout draws nothing, and certainly not on paper.
    e.PrintText(2, 1, 0, "seconda pagina");
    e.DrawBox(1, 1, 5, 5, 4, 1);
    QVERIFY(!e.NewPage());
    QString endError;
    QVERIFY(!e.EndDocument(&endError));
    QCOMPARE(endError, error);
    QCOMPARE(e.pageCount(), 0);
    QVERIFY(!QFile::exists(m_fixture.printer->outputFileName()));
    QVERIFY(!QFile::exists(run.pageFilePath(0)));

    // The next document starts afresh.
    QVERIFY(folder.rmdir("~WRK0001.Tmp"));
    recordReport(e, 2, 1);
    QCOMPARE(e.pageCount(), 2);
}

void PageRecorderTest::truncationKeepsLongestFittingPrefix_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<double>("maxWidth");
    QTest::newRow("Arial 10 columns") << "Arial" << 10.0;
    QTest::newRow("Times 10 columns") << "Times New Roman" << 10.0;
    QTest::newRow("Arial half column") << "Arial" << 0.5;
    QTest::newRow("Times 15.5 columns") << "Times New Roman" << 15.5;
}

void PageRecorderTest::truncationKeepsLongestFittingPrefix()
{
    QFETCH(QString, font);
    QFETCH(double, maxWidth);
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    e.BeginDocument();
    useFont(e, font, 12);
    const QString text = "Onorario per rilievo topografico, lotto 7";
    e.PrintText(3, 5, maxWidth, text);
    e.PrintTextRight(4, 60, maxWidth, text);
    e.EndDocument();

    // The PDF target cuts with the printer's widths: the Liberation fonts.
    const LogTarget target = replayed(run, 0, [&e](const QString& s) { return e.TextWidth(s); });
    QCOMPARE(target.texts.size(), 2);
    const double limit = maxWidth * e.UnitX;
    for (const auto& drawn : target.texts) {
        QVERIFY(text.startsWith(drawn.text) && drawn.text.size() < text.size());
        QVERIFY(e.TextWidth(drawn.text) <= limit);
        QVERIFY(e.TextWidth(text.left(drawn.text.size() + 1)) > limit);
    }
    // Wide letters fill ten columns of M with fewer characters than narrow ones.
    QVERIFY(maxWidth != 10 || target.texts[0].text.size() > 10);
}

void PageRecorderTest::paragraphPastRowLimitReturnsRest()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    e.BeginDocument();
    useFont(e, "Arial", 12);
    const QString first =
        "Rilievo plano-altimetrico del lotto con restituzione grafica in scala adeguata e "
        "redazione della relazione tecnica descrittiva delle opere eseguite in cantiere";
    const QString second = "Secondo paragrafo da non perdere";
    QString text = first + "\r\n" + second;
    double row = 10;
    double spacing = 0;
    e.PrintParagraph(5, 20, row, 11, text, 0, spacing);
    QCOMPARE(spacing, 1.0);
    QCOMPARE(row, 12.0); // two lines printed, the second passed the limit
    // The rest starts inside the first paragraph and keeps the second.
    QVERIFY(!text.isEmpty() && !text.startsWith(' '));
    QVERIFY(first.endsWith(text.left(text.indexOf("\r\n"))));
    QVERIFY(text.endsWith("\r\n" + second));

    // Printing the rest on the next pages loses no word and adds none.
    for (int guard = 0; !text.isEmpty() && guard < 50; ++guard) {
        e.NewPage();
        row = 1;
        e.PrintParagraph(5, 20, row, 3, text, 0, spacing);
    }
    QVERIFY(text.isEmpty());
    e.EndDocument();
    QVERIFY(e.pageCount() > 2);
    QString printed;
    for (int page = 0; page < e.pageCount(); ++page)
        printed += joinedTexts(replayed(run, page)) + ' ';
    QCOMPARE(printed.simplified(), (first + ' ' + second).simplified());
}

void PageRecorderTest::justifiedLinesEndAtRightEdge()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    for (const char* font : {"Arial", "Times New Roman"}) {
        e.BeginDocument();
        useFont(e, font, 12);
        QString text =
            "Prestazione professionale per la redazione del frazionamento catastale e "
            "dell'accatastamento dell'unita immobiliare sita nel comune di residenza del "
            "committente con sopralluogo, rilievo dei confini, verifica delle distanze dai "
            "fabbricati vicini e deposito della pratica presso l'ufficio provinciale";
        double row = 23;
        double spacing = 1;
        e.PrintParagraph(11, 45, row, 40, text, 3, spacing);
        e.EndDocument();

        const auto target = replayed(run, 0, [&e](const QString& s) { return e.TextWidth(s); });
        const double right = (11 + 45) * e.UnitX;
        const double left = 11 * e.UnitX;
        int justified = 0;
        for (const auto& t : target.texts) {
            if (t.align != 1)
                continue;
            ++justified;
            QCOMPARE(t.x, right);
            // The spread part ends no further than one blank from the last word.
            const auto leftPart =
                std::find_if(target.texts.begin(), target.texts.end(),
                             [&](const auto& o) { return o.align == 0 && o.y == t.y; });
            QVERIFY(leftPart != target.texts.end());
            const double gap = right - e.TextWidth(t.text) - (left + e.TextWidth(leftPart->text));
            QVERIFY2(gap >= 0 && gap <= 2 * e.TextWidth(" ") + 1, qPrintable(QString::number(gap)));
        }
        QVERIFY2(justified >= 2, qPrintable(target.log.join('\n')));
        // The last line of the paragraph is left-aligned.
        QCOMPARE(target.texts.last().align, 0);
        QCOMPARE(target.texts.last().x, left);
    }
}

void PageRecorderTest::paragraphLineCountsAgree_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QString() << 20.0 << 0;
    QTest::newRow("one word") << "Onorario" << 20.0 << 1;
    QTest::newRow("blank paragraph between") << "uno\r\n\r\ndue" << 20.0 << 3;
    QTest::newRow("trailing line end") << "uno\r\n" << 20.0 << 1;
    QTest::newRow("bare line feeds") << "uno\ndue\ntre" << 20.0 << 3;
    QTest::newRow("word wider than the line") << "Precipitevolissimevolmente" << 3.0 << -1;
}

void PageRecorderTest::paragraphLineCountsAgree()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(int, lines);
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    e.BeginDocument();
    useFont(e, "Arial", 12);
    QString counted = text;
    int16_t count = -7;
    e.CountParagraphLines(width, counted, count);
    QVERIFY(counted.isEmpty());
    if (lines >= 0)
        QCOMPARE(int(count), lines);

    QString printed = text;
    double row = 0;
    double spacing = 1;
    e.PrintParagraph(1, width, row, 1000, printed, 0, spacing);
    QVERIFY(printed.isEmpty());
    QCOMPARE(int(row), int(count));
    e.EndDocument();
    // A word too wide for the line is broken, never lost.
    QCOMPARE(joinedTexts(replayed(run)).remove(' '), text.remove(QRegularExpression("[\r\n ]")));
}

void PageRecorderTest::paragraphAlignments()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    beginInUnits(e, 200, 150);
    e.SetFontName("Arial");
    e.SetFontSize(10);
    for (int align : {1, 2}) {
        QString text = "Minimi uno\r\nMinimi due";
        double row = align * 10;
        double spacing = 2;
        e.PrintParagraph(5, 50, row, 100, text, align, spacing);
        QCOMPARE(row, align * 10 + 4.0);
    }
    e.EndDocument();
    QCOMPARE(replayed(run).log,
             (QStringList{"text 8100 2000 1 [ Minimi uno]", "text 8100 2400 1 [ Minimi due]",
                          "text 4500 4000 2 [ Minimi uno]", "text 4500 4400 2 [ Minimi due]"}));
}

void PageRecorderTest::pageFilesServeTheNextRun()
{
    QString folder;
    QSet<ino_t> inodes;
    QList<QByteArray> written;
    {
        PrintRun first(*m_fixture.printer);
        recordReport(first.recorder(), 5, 3);
        QCOMPARE(first.pageCount(), 5);
        folder = first.pages().TempFolder();
        for (int page = 0; page < 5; ++page)
            inodes << inodeOf(first.pageFilePath(page));
        // The preview closes: no page is left to read. In memory the files
        // are emptied; on a disk they keep their bytes until written over.
        first.pages().DeletePageFiles();
        QCOMPARE(QDir(folder).entryList({"~WRK*.Tmp"}, QDir::Files), QStringList());
        // The five pages and the blank one the layout's last NewPage began.
        const QStringList spares = QDir(folder).entryList({"spare-*"}, QDir::Files);
        QCOMPARE(spares.size(), 6);
        struct statfs fs;
        QCOMPARE(::statfs(QFile::encodeName(folder).constData(), &fs), 0);
        const bool inMemory = fs.f_type == TMPFS_MAGIC;
        for (const QString& spare : spares)
            if (inMemory)
                QCOMPARE(QFileInfo(QDir(folder).filePath(spare)).size(), 0);
        LogTarget nothing;
        QVERIFY(!first.ReplayPage(0, nothing));
    }
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(PageFolderPool::idleCount() >= 1);

    // The next run writes into the same files, and reads only its own pages;
    // its pages are shorter and nothing of the longer ones is left after them.
    {
        PrintRun second(*m_fixture.printer);
        recordReport(second.recorder(), 2, 1);
        QCOMPARE(second.pages().TempFolder(), folder);
        QCOMPARE(second.pageCount(), 2);
        for (int page = 0; page < 2; ++page)
            QVERIFY(inodes.contains(inodeOf(second.pageFilePath(page))));
        QCOMPARE(QDir(folder).entryList({"~WRK*.Tmp"}, QDir::Files),
                 (QStringList{"~WRK0000.Tmp", "~WRK0001.Tmp"}));
        QVERIFY(joinedTexts(replayed(second, 1)).contains("Fattura 2/1 "));
        for (int page = 0; page < 2; ++page) {
            written << pdftest::readFile(second.pageFilePath(page));
            QVERIFY(written.last().endsWith("\r\n"));
            QVERIFY(!written.last().contains("Fattura " + QByteArray::number(page + 1) + "/2 "));
        }
        LogTarget target;
        QString error;
        QVERIFY(!second.ReplayPage(2, target, &error));
        QVERIFY2(error.contains("pagina 3"), qPrintable(error));
        QCOMPARE(target.log, QStringList());
        // The same document recorded again, shorter: the page it leaves
        // out is not there to be read.
        recordReport(second.recorder(), 1, 3);
        QVERIFY(!QFile::exists(second.pageFilePath(1)));
        QVERIFY(!second.ReplayPage(1, target));
    }
    // Without a folder to come back to (a cleaner removed it), a new one is made.
    QVERIFY(QDir(folder).removeRecursively());
    PrintRun third(*m_fixture.printer);
    recordReport(third.recorder(), 2, 1);
    QVERIFY(third.pages().TempFolder() != folder);
    // New files hold what the ones written over did.
    QCOMPARE(pdftest::readFile(third.pageFilePath(0)), written.value(0));
    QCOMPARE(pdftest::readFile(third.pageFilePath(1)), written.value(1));
}

void PageRecorderTest::pageLimitStopsTheDocument()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    // Page numbers past 16 bits name files of their own.
    QCOMPARE(PageRecord::pageFileName(32767), "~WRK32767.Tmp");
    QCOMPARE(PageRecord::pageFileName(1234567), "~WRK1234567.Tmp");

    e.setPageLimit(3);
    beginInUnits(e, 184, 140);
    QString error;
    bool added = true;
    int pages = 1;
    for (; added && pages < 10; ++pages) {
        e.PrintText(1, 1, 0, QString("pagina %1").arg(pages));
        added = e.NewPage(&error);
    }
    QCOMPARE(pages, 4); // the fourth page was refused
    QCOMPARE(error, "Il documento supera le 3 pagine.");
    QString endError;
    QVERIFY(!e.EndDocument(&endError));
    QCOMPARE(endError, error);
    QCOMPARE(e.pageCount(), 0);
    QCOMPARE(QDir(run.pages().TempFolder()).entryList({"~WRK*.Tmp"}, QDir::Files), QStringList());

    // Below the limit a document is whole (the layout's NewPage after its
    // last line opens the third page, which is dropped).
    recordReport(e, 2, 2);
    QCOMPARE(e.pageCount(), 2);
    e.setPageLimit(kMostPages);
    recordReport(e, 4, 2);
    QCOMPARE(e.pageCount(), 4);
}

// A text is called clearly narrower than a room only when its shaped width
// really is; amounts far from their limit are found so without shaping.
void PageRecorderTest::roughMeasureNeverUnderstates()
{
    PageRecorder& e = m_fixture.recorder();
    e.BeginDocument();
    const QStringList texts{QString(),
                            QStringLiteral("0,00"),
                            QStringLiteral("1.234,56"),
                            QStringLiteral("-987.654.321,00"),
                            QStringLiteral("AVATAR WAVE To Ty"),
                            QStringLiteral("fi ffl"),
                            QString::fromUtf8("Società € 1.000")};
    for (const char* face : {"Times New Roman", "Arial"}) {
        for (const bool bold : {false, true}) {
            useFont(e, face, 8);
            e.SetFontBold(bold);
            for (const QString& text : texts) {
                const double width = e.TextWidth(text);
                for (double room = 0; room < 2 * width + 200; room += 7) {
                    if (e.TextClearlyNarrower(text, room))
                        QVERIFY2(width < room, qPrintable(text));
                }
                // Figures are not kerned: their rough measure is close.
                if (!text.contains(QLatin1Char('A')) && !text.contains(QLatin1Char('f')) &&
                    !text.contains(QChar(0x20AC)))
                    QVERIFY2(e.TextClearlyNarrower(text, 1.2 * width + 1), qPrintable(text));
                if (text.contains(QChar(0x20AC)))
                    QVERIFY(!e.TextClearlyNarrower(text, 10 * width));
            }
        }
    }
    e.EndDocument();
}
