#include "WindowsTest.h"

#include "DocumentFieldTyping.h"
#include "F6.h"
#include "FArcCLI.h"
#include "FArcFOR.h"
#include "FconsCOD.h"
#include "FieldWindow.h"
#include "FrmUtente.h"
#include "GridModel.h"
#include "HeadingData.h"
#include "MasterDataFields.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "Recordset.h"
#include "StatusMessage.h"
#include "VidArch.h"
#include "fZoom.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A small window with one field of each entry type.
class TypedFields : public FieldWindow
{
public:
    explicit TypedFields(AppContext& context) : FieldWindow(context, nullptr)
    {
        auto* frame = new QWidget(this);
        buildFields({{0, "Data", "TOLD+", 10, 0, 1},
                     {1, "Numero", "LOL", 10, 1, 2},
                     {2, "Importo", "EOLZZ", 14, 2, 3},
                     {3, "Aliquota", "SOLZZ", 5, 3, 4},
                     {4, "Cliente", "AOLA0002", 10, 4, 5},
                     {5, "Note", "MOL", 0, 5, 6}},
                    frame);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(frame);
        auto* close = new QPushButton("&Chiudi", this);
        layout->addWidget(close);
    }
    bool formatsEuro() const override { return true; }
};

// Shows a window and waits until it has the keyboard.
bool shown(QWidget* window)
{
    window->show();
    return QTest::qWaitForWindowActive(window);
}

void typeInto(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClicks(field, text);
}

// Whether a line field shows a text whole: the cursor moves across the
// text's full width from its start to its end, so nothing is scrolled away.
bool showsWhole(QLineEdit* field, const QString& text)
{
    auto cursorX = [field] {
        field->repaint(); // the line edit scrolls its text when it paints
        return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
    };
    field->setText(text);
    field->home(false);
    const int start = cursorX();
    field->end(false);
    const int end = cursorX();
    return field->text() == text && end - start >= field->fontMetrics().horizontalAdvance(text) - 1;
}

// The name stored for a client, or "-" when there is no such client.
QString storedName(Database& db, const QString& code)
{
    QString error;
    auto rs = Recordset::OpenTable(db, "Clienti", &error);
    return rs->Seek("=", code) ? rs->text(2) : QStringLiteral("-");
}

} // namespace

void WindowsTest::init()
{
    MessageBox::resetForTest();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    m_data.context().openArchive = [this](Table table, QWidget* parent) {
        if (table == Table::Clienti) {
            FArcCLI window(m_data.context(), parent);
            window.exec();
        }
    };
}

void WindowsTest::cleanup()
{
    m_data.tearDown();
}

void WindowsTest::clientArchiveByKeyboard()
{
    {
        FArcCLI window(m_data.context());
        QVERIFY(shown(&window));
        QLineEdit* code = line(&window, 0);
        QTRY_VERIFY(code->hasFocus());
        QVERIFY(!window.BtMem()->isEnabled());

        QTest::keyClicks(code, "ab1");
        QTest::keyClick(code, Qt::Key_Tab); // leaving the key looks it up
        QVERIFY(window.BtMem()->isEnabled());
        QVERIFY(!window.BtCanc()->isEnabled());
        QTRY_VERIFY(line(&window, 8)->hasFocus()); // "Definizione cliente" comes next
        QTest::keyClicks(line(&window, 8), "Spett.le");
        QTest::keyClick(line(&window, 8), Qt::Key_Tab);
        QTest::keyClicks(line(&window, 1), "Rossi Mario");
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(MessageBox::shownCount(), 0);
        QTRY_VERIFY(code->hasFocus());
        QVERIFY(!window.BtMem()->isEnabled()); // back on the key: nothing to save yet
    }
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
    QVERIFY(rs->Seek("=", "AB1"));
    QCOMPARE(rs->text(2) + rs->text(9), QStringLiteral("Rossi MarioSpett.le"));

    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));
    QLineEdit* code = line(&window, 0);
    QTRY_VERIFY(code->hasFocus());
    QTest::keyClicks(code, "Ab1");
    QTest::keyClick(code, Qt::Key_Return);
    QCOMPARE(line(&window, 1)->text(), QStringLiteral("Rossi Mario"));
    QCOMPARE(code->text(), QStringLiteral("AB1"));
    QVERIFY(window.BtCanc()->isEnabled());

    // An archive that takes no more writes shows its records, offers no save.
    m_data.context().DbArchivi.noteDamage(QStringLiteral("pagina illeggibile"));
    FArcCLI damaged(m_data.context());
    QVERIFY(shown(&damaged));
    enter(&damaged, 0, "nuovo");
    QVERIFY(!damaged.BtMem()->isEnabled() && !damaged.BtCanc()->isEnabled());
}

// A client or supplier that documents name stays, with a message that says
// how many; one that no document names is deleted as before.
void WindowsTest::usedCodesAreNotDeleted()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    for (const char* sql :
         {"INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES "
          "('R1        ', 'R1', 'Rossi Mario'), ('R2        ', 'R2', 'Verdi Anna')",
          "INSERT INTO Fornitori (Chiave, CodFornitore) VALUES ('R1        ', 'R1')",
          "INSERT INTO Fatture (Chiave, CodCli) VALUES ('2026         1', 'R1')",
          "INSERT INTO Movimenti (Chiave, CodFor) VALUES ('2026         1', 'R1')"})
        QVERIFY2(db.execute(QString::fromUtf8(sql), {}, &error), qPrintable(error));
    auto elimina = [](ArchiveWindow& window, const QString& code) {
        QVERIFY(shown(&window));
        enter(&window, 0, code);
        QVERIFY(window.BtCanc()->isEnabled());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(window.BtCanc(), Qt::LeftButton);
    };
    auto stored = [&db](const QString& table) {
        QString error;
        return Recordset::OpenTable(db, table, &error)->RecordCount();
    };

    // Each window counts the documents of its own kind of code.
    FArcCLI clients(m_data.context());
    elimina(clients, "r1");
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY(MessageBox::lastText().startsWith("Il cliente R1 non può essere eliminato"));
    // Nothing deleted and nothing cleared: the client is still on screen.
    QCOMPARE(stored("Clienti"), 2);
    QCOMPARE(line(&clients, 1)->text(), QStringLiteral("Rossi Mario"));
    QVERIFY(clients.BtCanc()->isEnabled());

    elimina(clients, "r2");
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(stored("Clienti"), 1);
    QCOMPARE(line(&clients, 1)->text(), QString());
    clients.close();

    FArcFOR suppliers(m_data.context());
    elimina(suppliers, "R1");
    QVERIFY(MessageBox::lastText().startsWith("Il fornitore R1 non può essere eliminato"));
    QCOMPARE(stored("Fornitori"), 1);
}

void WindowsTest::enterWalksTheFields()
{
    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));
    QTRY_VERIFY(line(&window, 0)->hasFocus());
    QTest::keyClicks(line(&window, 0), "c1");
    // Tab order: code, definition, name, address, town, province, postcode, country, VAT,
    // tax code, notes.
    for (int index : {8, 1, 2, 3, 12, 4, 11, 5, 6}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window.Dati(index));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    auto* notes = qobject_cast<QPlainTextEdit*>(window.Dati(7));
    QCOMPARE(QApplication::focusWidget(), notes);
    // In the notes Enter is a line break.
    QTest::keyClicks(notes, "uno");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "due");
    QCOMPARE(notes->toPlainText(), QStringLiteral("uno\ndue"));
    QCOMPARE(QApplication::focusWidget(), notes);

    // A text cannot be longer than its field.
    typeInto(line(&window, 4), "1234567");
    QCOMPARE(line(&window, 4)->text(), QStringLiteral("12345"));
}

// Keys and pasted text are filtered as typed. MaxLength counts what is typed;
// the grouped display may be longer and is never cut.
void WindowsTest::typedFieldsFilterAndForm()
{
    TypedFields window(m_data.context());
    QVERIFY(shown(&window));
    QLineEdit* number = line(&window, 1);
    QLineEdit* amount = line(&window, 2);
    QLineEdit* single = line(&window, 3);
    typeInto(number, "12,3.a45678901");
    QCOMPARE(number->text(), QStringLiteral("1234567890"));
    typeInto(amount, "1234.5");
    typeInto(single, "-1234");

    // On leaving, numbers and amounts take their display form; on entering,
    // the grouping goes again so the number can be edited.
    QTest::keyClick(single, Qt::Key_Tab);
    QCOMPARE(number->text(), QStringLiteral("1 234 567 890"));
    QCOMPARE(single->text(), QStringLiteral("-1 234"));
    QCOMPARE(amount->text(), QStringLiteral("1 234.50"));
    amount->setFocus();
    QTRY_COMPARE(amount->text(), QStringLiteral("1234.50"));
    QVERIFY(showsWhole(number, "1 234 567 890"));
    QVERIFY(showsWhole(amount, "12 345 678 901 234.00"));
    QVERIFY(showsWhole(line(&window, 0), "28/12/2026"));

    // Pasting is held to the same rules as typing. An amount arrives whole,
    // written the Italian way too: leaving the field reads it.
    amount->setFocus();
    amount->clear();
    QApplication::clipboard()->setText("12a");
    QTest::keyClick(amount, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(amount->text(), QString());
    QApplication::clipboard()->setText("1.470,00");
    QTest::keyClick(amount, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(amount->text(), QStringLiteral("1.470,00"));

    // A comma is the point of a decimal number, and there is one only.
    single->clear();
    typeInto(single, "0,5,");
    QCOMPARE(single->text(), QStringLiteral("0.5"));
}

void WindowsTest::fieldsShowTheirLengthWhole()
{
    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));
    QVERIFY(showsWhole(line(&window, 6), "RSSMRA70A01H501Z"));
    QVERIFY(showsWhole(line(&window, 1), "STUDIO TECNICO ASSOCIATO BIANCHI E ROSSI"));
    QVERIFY(showsWhole(line(&window, 0), "ABCDEFGHIJ"));
    QVERIFY(showsWhole(line(&window, 4), "00100"));
    QVERIFY(window.width() <= 1024);

    // The code list shows a code and a 40-character name whole.
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
    rs->AddNew();
    rs->setValue(0, "MMMMMMMMMM");
    rs->setValue(2, "studio tecnico associato bianchi e rossi");
    QVERIFY(rs->Update());
    F6 list(m_data.context(), FieldDeclaration::parse("AOLA0002"), {});
    QVERIFY(shown(&list));
    const QString shown = list.Lista()->item(0)->text();
    QCOMPARE(shown.size(), 53);
    QVERIFY(list.Lista()->fontMetrics().horizontalAdvance(shown) <=
            list.Lista()->viewport()->width());
}

void WindowsTest::wrongDateKeepsTheFocus()
{
    TypedFields window(m_data.context());
    QVERIFY(shown(&window));
    QLineEdit* date = line(&window, 0);
    typeInto(date, "31/02/2024");
    QTest::keyClick(date, Qt::Key_Tab);
    QTRY_VERIFY(date->hasFocus());
    QCOMPARE(date->text(), QStringLiteral("31/02/2024"));

    date->selectAll();
    QTest::keyClicks(date, "050324");
    QTest::keyClick(date, Qt::Key_Tab);
    QCOMPARE(date->text(), QStringLiteral("05/03/2024"));
    QTRY_VERIFY(line(&window, 1)->hasFocus());

    // A client code that is not in the table is refused, its description cleared.
    QLineEdit* client = line(&window, 4);
    typeInto(client, "nessuno");
    QTest::keyClick(client, Qt::Key_Tab);
    QTRY_VERIFY(client->hasFocus());
    QCOMPARE(window.Ombra(4)->text(), QString());
}

void WindowsTest::codeList()
{
    {
        QString error;
        auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
        for (const auto& [code, name] : {std::pair{"b2", "Bianchi"}, std::pair{"a1", "ALFA Srl"}}) {
            rs->AddNew();
            rs->setValue(0, code);
            rs->setValue(1, QString::fromLatin1(code).toUpper());
            rs->setValue(2, name);
            QVERIFY(rs->Update());
        }
    }
    // From the client archive's own code: no new code offered, Esc gives nothing.
    {
        F6 list(m_data.context(), FieldDeclaration::parse("AOLB0002"), {});
        QVERIFY(shown(&list));
        QCOMPARE(list.windowTitle(), QStringLiteral("Elenco codici disponibili"));
        QVERIFY(list.Nuovo()->isHidden());
        QCOMPARE(list.Lista()->count(), 2);
        QCOMPARE(list.Lista()->item(0)->text(), QStringLiteral("A1         - alfa srl"));
        QCOMPARE(list.Lista()->currentRow(), 0);
        QTest::keyClick(list.Lista(), Qt::Key_Escape);
        QCOMPARE(list.chosenCode(), QString());
    }
    // From an invoice's client code: "&Nuovo codice ..." is there; Enter chooses.
    {
        F6 list(m_data.context(), FieldDeclaration::parse("AOLA0002"), {});
        QVERIFY(shown(&list));
        QVERIFY(!list.Nuovo()->isHidden());
        // A client created from the list shows up in it.
        whenModal<FArcCLI>(this, [](FArcCLI* archive) {
            QLineEdit* code = line(archive, 0);
            QTRY_VERIFY(code->hasFocus());
            QTest::keyClicks(code, "c3");
            QTest::keyClick(code, Qt::Key_Tab);
            QTest::keyClicks(line(archive, 8), "Spett.le");
            QTest::mouseClick(archive->BtMem(), Qt::LeftButton);
            QTest::keyClick(line(archive, 0), Qt::Key_Escape);
        });
        QTest::mouseClick(list.Nuovo(), Qt::LeftButton);
        QCOMPARE(list.Lista()->count(), 3);
        QCOMPARE(list.Lista()->item(2)->text(), QStringLiteral("C3         - "));
        QTest::keyClick(list.Lista(), Qt::Key_Down);
        QTest::keyClick(list.Lista(), Qt::Key_Return);
        QCOMPARE(list.chosenCode(), QStringLiteral("B2"));
    }

    // F6 in a code field puts the chosen code into it, and leaving the field
    // shows the client's name.
    TypedFields window(m_data.context());
    QVERIFY(shown(&window));
    QLineEdit* client = line(&window, 4);
    client->setFocus();
    whenModal<F6>(this, [](F6* list) { QTest::keyClick(list->Lista(), Qt::Key_Return); });
    QTest::keyClick(client, Qt::Key_F6);
    QCOMPARE(client->text(), QStringLiteral("A1"));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(client->hasFocus());
    QTest::keyClick(client, Qt::Key_Tab);
    QCOMPARE(window.Ombra(4)->text(), QStringLiteral("ALFA Srl"));
    // F6 in a field that holds no code opens nothing.
    line(&window, 1)->setFocus();
    QTest::keyClick(line(&window, 1), Qt::Key_F6);
    QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &window);
}

void WindowsTest::recordGridAndArchiveList()
{
    {
        FconsCOD grid(m_data.context(), Table::Fornitori);
        QCOMPARE(grid.windowTitle(), QStringLiteral("Elenco codici"));
        QVERIFY(grid.Gri()->isHidden()); // no suppliers yet
    }
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fornitori", &error);
    rs->AddNew();
    rs->setValue(0, "f1");
    rs->setValue(1, "F1");
    rs->setValue(2, "Ferramenta Verdi");
    rs->setValue(8, "una nota\nsu due righe");
    QVERIFY(rs->Update());

    FconsCOD grid(m_data.context(), Table::Fornitori);
    QVERIFY(shown(&grid));
    QVERIFY(!grid.Gri()->isHidden());
    QCOMPARE(grid.model()->rowCount(), 1);
    QCOMPARE(grid.model()->cell(0, 2), QStringLiteral("Ferramenta Verdi"));
    // F2 shows the whole text of the current cell.
    grid.Gri()->setCurrentIndex(grid.model()->index(0, 8));
    QString zoomed;
    whenModal<fZoom>(this, [&zoomed](fZoom* zoom) {
        zoomed = zoom->cData()->toPlainText();
        QTest::keyClick(zoom, Qt::Key_Escape);
    });
    QTest::keyClick(grid.Gri(), Qt::Key_F2);
    QCOMPARE(zoomed, QStringLiteral("una nota su due righe"));
    grid.close();

    VidArch archives(m_data.context());
    QCOMPARE(archives.ListaArch()->count(), 5);
    QCOMPARE(archives.ListaArch()->item(4)->text(), QStringLiteral("Parcelle"));
    archives.ListaArch()->setCurrentRow(2);
    int rows = -1;
    whenModal<FconsCOD>(this, [&rows](FconsCOD* opened) {
        rows = opened->model()->rowCount();
        opened->reject();
    });
    archives.BtApri_Click();
    QCOMPARE(rows, 1); // the suppliers
}

void WindowsTest::headingDataUsedAtOnce()
{
    QLabel panel;
    registerStatusPanel(&panel);
    FrmUtente window(m_data.context());
    QVERIFY(shown(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Intestazione UTENTE"));
    QLineEdit* name = line(&window, 0);
    QTRY_VERIFY(name->hasFocus());
    QTest::keyClicks(name, "Studio Tecnico Rossi");
    QTest::keyClick(name, Qt::Key_Return);
    QTest::keyClicks(line(&window, 1), "via Roma 1");
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(m_data.context().DatiUtente.at(0), QStringLiteral("Studio Tecnico Rossi"));
    QCOMPARE(m_data.context().DatiUtente.at(1), QStringLiteral("via Roma 1"));
    QVERIFY(window.isVisible()); // no message, the window stays open

    QStringList reread;
    QString error;
    QVERIFY(loadHeadingData(m_data.context().DbArchivi, &reread, &error));
    QCOMPARE(reread.at(1), QStringLiteral("via Roma 1"));
    QCOMPARE(panel.text(), QStringLiteral("Intestazione memorizzata"));

    // An edit given up on closing leaves the stored data as it was.
    QTest::keyClicks(line(&window, 2), "Torino");
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::keyClick(line(&window, 2), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Salvare le modifiche?"));
    QCOMPARE(m_data.context().DatiUtente.at(2), QString());
}

void WindowsTest::closingAsksAboutChanges()
{
    QLabel panel;
    registerStatusPanel(&panel);
    // Nothing typed, or only a new code: nothing to ask.
    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));
    enter(&window, 0, "c1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shownCount(), 0);

    QVERIFY(shown(&window));
    enter(&window, 0, "c1");
    QLineEdit* name = line(&window, 1);
    typeInto(name, "Rossi");

    // Esc asks, in Italian; "Annulla" keeps the window and what was typed.
    QStringList captions;
    whenModal<QMessageBox>(this, [&captions](QMessageBox* box) {
        captions << box->text();
        for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            captions << box->button(button)->text();
        QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
    });
    QTest::keyClick(name, Qt::Key_Escape);
    QCOMPARE(captions, (QStringList{"Salvare le modifiche?", "&Sì", "&No", "&Annulla"}));
    QVERIFY(window.isVisible());
    QCOMPARE(name->text(), QStringLiteral("Rossi"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Question);

    // So does the window's own close button.
    MessageBox::setNextAnswer(QMessageBox::Cancel);
    window.close();
    QVERIFY(window.isVisible());
    QCOMPARE(MessageBox::shownCount(), 2);

    // "Sì" stores the record, says so, and closes.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(window.BtUscita(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(panel.text(), QStringLiteral("Cliente C1 memorizzato"));
    QCOMPARE(storedName(m_data.context().DbArchivi, "C1"), QStringLiteral("Rossi"));
}

void WindowsTest::lookingUpAnotherRecordAsks()
{
    QLabel panel;
    registerStatusPanel(&panel);
    FArcCLI window(m_data.context());
    QVERIFY(shown(&window));
    QLineEdit* code = line(&window, 0);
    QLineEdit* name = line(&window, 1);
    enter(&window, 0, "c1");
    typeInto(name, "Rossi");
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(panel.text(), QStringLiteral("Cliente C1 memorizzato"));
    QTRY_VERIFY(code->hasFocus());
    QTest::keyClick(code, Qt::Key_Tab); // the same code: nothing is asked
    name->selectAll();
    typeInto(name, "Bianchi");

    // "Annulla" (Esc in the box): the previous code comes back, with the
    // edit, and keeps the focus.
    typeInto(code, "c2");
    whenModal<QMessageBox>(this, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QTest::keyClick(code, Qt::Key_Tab);
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(code->text(), QStringLiteral("c1"));
    QCOMPARE(name->text(), QStringLiteral("Bianchi"));
    QTRY_VERIFY(code->hasFocus());

    // "No": the other record is shown, the edit given up.
    code->selectAll();
    QTest::keyClicks(code, "c2");
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::keyClick(code, Qt::Key_Tab);
    QCOMPARE(code->text(), QStringLiteral("c2"));
    QCOMPARE(name->text(), QString());
    Database& db = m_data.context().DbArchivi;
    QCOMPARE(storedName(db, "C1"), QStringLiteral("Rossi"));

    // "Sì": the record shown is stored under its own code, then the other shown.
    typeInto(name, "Verdi");
    typeInto(code, "c1");
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(code, Qt::Key_Tab);
    QCOMPARE(panel.text(), QStringLiteral("Cliente C2 memorizzato"));
    QCOMPARE(name->text(), QStringLiteral("Rossi"));
    QCOMPARE(storedName(db, "C2"), QStringLiteral("Verdi"));

    // Deleting is said too; the emptied window closes without a question.
    QTest::mouseClick(window.BtCanc(), Qt::LeftButton);
    QCOMPARE(panel.text(), QStringLiteral("Cliente C1 eliminato"));
    QTRY_VERIFY(code->hasFocus());
    QTest::keyClick(code, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shownCount(), 3);

    // A record typed without its code cannot be saved: the code is asked for.
    QVERIFY(shown(&window));
    typeInto(name, "Neri");
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(name, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Compilare il campo \"Codice cliente\"."));
    QTRY_VERIFY(code->hasFocus());
    QString error;
    QCOMPARE(Recordset::OpenTable(db, "Clienti", &error)->RecordCount(), 1);
}
