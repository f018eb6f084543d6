#pragma once

#include "FieldWindow.h"
#include "RecordWrite.h"
#include "Table.h"

#include <QHash>
#include <memory>

class QHBoxLayout;
class QPushButton;
class Recordset;

// A window that edits the records of one table, one at a time, by key: the
// user types the key, leaving it shows the stored record or an empty one,
// "&Memorizza" stores it and "&Elimina" deletes it. What was typed is never
// dropped without a question: closing the window or looking up another key
// asks whether to save first.
class ArchiveWindow : public FieldWindow
{
    Q_OBJECT
public:
    ArchiveWindow(AppContext& context, QWidget* parent);
    ~ArchiveWindow() override;

    void BtMem_Click();
    void BtCanc_Click();
    void ConsCOD_Click();

    QPushButton* BtMem() const { return m_btMem; }
    QPushButton* BtCanc() const { return m_btCanc; }
    QPushButton* BtUscita() const { return m_btUscita; }
    Recordset* table() const { return m_table.get(); }
    // The row of buttons under the fields, for windows that add their own.
    QHBoxLayout* buttonRow() const { return m_buttons; }

    bool hasUnsavedChanges() const override;
    // Also a key typed and not yet looked up: the other fields still show
    // the record of the key before it.
    bool showsUnstoredData() const override;

protected:
    // Opens the window's table and lays out the fields with the buttons
    // below; false (and the reason shown) when the table cannot be opened.
    // Whether the buttons offer the record grid ("Consulta ....").
    enum class RecordGrid { Hidden, Offered };
    // The key is made of the fields whose tab index is up to lastKeyTabIndex.
    bool Form_Load(Table table, const FieldTable& fields, int lastKeyTabIndex,
                   RecordGrid recordGrid = RecordGrid::Offered);
    // How the status panel names a record of this window: "Cliente" (not
    // feminine) gives "Cliente ROSSI memorizzato".
    void setRecordNoun(const QString& noun, bool feminine);
    // "Elimina" asks first ("Eliminare la fattura 12/2026?", "No" the
    // default): a document is one keystroke away from its neighbour buttons.
    void askBeforeDeleting() { m_askBeforeDeleting = true; }

    void Dati_GotFocus(int index) override;
    bool keyFieldLeft(int index) override;
    // After a key lookup showed a stored record or prepared a new one, before
    // the shown texts are remembered as the stored ones.
    virtual void recordShown() {}
    // Whether the record on screen may be deleted; a window that refuses
    // tells the user why.
    virtual bool mayDelete() { return true; }
    // Stores the record the fields show under their key, which is not blank:
    // by default the fields as the table's columns (MemorizzaRecord); a
    // window whose table has a record type of its own stores that.
    // `version` is the version of the record as it was loaded (0 for a new
    // one): the save is the data layer's to refuse when another desk stored
    // another since. It gets the version stored.
    virtual SaveResult storeRecord(SaveMode mode, qint64* version, QString* why);
    // Deletes the record of the key the fields show, as loaded at `version`.
    virtual DeleteResult removeRecord(qint64 version, QString* why);
    // A new record's key was taken by another desk while it was typed: a
    // window whose records are numbered puts the next free number in its
    // number field (then takeShownKey()) and says which; false to just say
    // the key is taken.
    virtual bool proposeFreeKey(const QString& /*taken*/) { return false; }
    // The key fields as they are now name the record on screen, not stored
    // yet: leaving them looks nothing up, so what was typed stays.
    void takeShownKey();
    // After the record on screen was stored, or deleted.
    virtual void recordStored() {}
    virtual void recordDeleted() {}
    // Whether the record on screen, left by its key, is one the archive
    // holds: what may be printed, even from an archive that takes no writes.
    bool storedRecordOffered() const { return m_recordOffered && m_shownStored; }

    void rememberShownTexts() override;
    bool saveChanges() override;
    // Long texts from their start, codes with their descriptions.
    void showLoadedTexts();

    Table NumTabella = Table::Clienti;
    int UltimoDato = 0;

private:
    // Memorizza and Elimina as the record shown and the archive allow.
    void enableRecordButtons();
    // Checks every field and stores the record; on a refusal the field
    // concerned gets the focus and the message is shown.
    bool saveRecord();
    // Shows the record of `key` as the archive holds it now (or a new one).
    void showRecordOf(const QString& key);
    // Another desk changed the record on screen: "Sì" shows it as stored,
    // "No" keeps what was typed.
    void offerReload(const QString& question);
    // How the archive's messages name the record on screen.
    RecordName shownRecordName() const;
    void refuse(int index, const QString& message);
    bool isKeyField(int index) const;
    void focusFirstEnabledField();

    std::unique_ptr<Recordset> m_table;
    QPushButton* m_btMem = nullptr;
    QPushButton* m_btCanc = nullptr;
    QPushButton* m_btUscita = nullptr;
    QPushButton* m_consCod = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    QString m_recordNoun = QStringLiteral("Record");
    bool m_feminineNoun = false;
    bool m_askBeforeDeleting = false;
    // The record on screen: its key ("" when none was looked up) and
    // whether it is stored.
    QString m_shownKey;
    bool m_shownStored = false;
    // Its row version as loaded or last stored here: what a save or a
    // delete expects to find.
    qint64 m_shownVersion = 0;
    // The buttons were set for the record on screen since its key was entered.
    bool m_recordOffered = false;
    // The key fields' texts as last looked up: what the key field shows
    // while another key is being typed into it.
    QHash<int, QString> m_keyTexts;
};
