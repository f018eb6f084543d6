#include "ArchiveWindow.h"

#include "AppContext.h"
#include "FconsCOD.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "StatusMessage.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

ArchiveWindow::ArchiveWindow(AppContext& context, QWidget* parent) : FieldWindow(context, parent)
{
    trackChanges();
}

ArchiveWindow::~ArchiveWindow() = default;

bool ArchiveWindow::Form_Load(Table table, const FieldTable& fields, int lastKeyTabIndex,
                              RecordGrid recordGrid)
{
    NumTabella = table;
    UltimoDato = int(fields.size()) - 1;
    UltimaChiave = lastKeyTabIndex;

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("TabStrip1"));
    auto* frame = new QWidget(tabs);
    frame->setObjectName(QStringLiteral("Frame1"));
    buildFields(fields, frame);
    tabs->addTab(frame, QStringLiteral("Dati"));

    m_btMem = new QPushButton(QStringLiteral("&Memorizza"), this);
    m_btMem->setObjectName(QStringLiteral("BtMem"));
    m_btCanc = new QPushButton(QStringLiteral("&Elimina"), this);
    m_btCanc->setObjectName(QStringLiteral("BtCanc"));
    m_btUscita = new QPushButton(QStringLiteral("&Chiudi"), this);
    m_btUscita->setObjectName(QStringLiteral("BtUscita"));
    connect(m_btMem, &QPushButton::clicked, this, &ArchiveWindow::BtMem_Click);
    connect(m_btCanc, &QPushButton::clicked, this, &ArchiveWindow::BtCanc_Click);
    connect(m_btUscita, &QPushButton::clicked, this, &ArchiveWindow::BtUscita_Click);

    auto* buttons = new QHBoxLayout;
    m_buttons = buttons;
    buttons->addWidget(m_btMem);
    buttons->addWidget(m_btCanc);
    if (recordGrid == RecordGrid::Offered) {
        m_consCod = new QPushButton(QStringLiteral("C&onsulta ...."), this);
        m_consCod->setObjectName(QStringLiteral("ConsCOD"));
        connect(m_consCod, &QPushButton::clicked, this, &ArchiveWindow::ConsCOD_Click);
        buttons->addWidget(m_consCod);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_btUscita);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);

    // Nothing to save or delete until a key has been typed.
    m_btMem->setEnabled(false);
    m_btCanc->setEnabled(false);

    QString error;
    m_table = Recordset::OpenTable(m_context.DbArchivi, nameOf(NumTabella), &error);
    if (!m_table) {
        MessageBox::error(this, error);
        return false;
    }
    return true;
}

void ArchiveWindow::setRecordNoun(const QString& noun, bool feminine)
{
    m_recordNoun = noun;
    m_feminineNoun = feminine;
}

bool ArchiveWindow::isKeyField(int index) const
{
    return fieldSpec(index).tabIndex <= UltimaChiave;
}

void ArchiveWindow::enableRecordButtons()
{
    // A read-only or damaged archive shows its records but offers no save.
    const bool writable = m_context.DbArchivi.acceptsWrites();
    m_recordOffered = true;
    m_btMem->setEnabled(writable);
    m_btCanc->setEnabled(writable && m_shownStored);
}

void ArchiveWindow::Dati_GotFocus(int index)
{
    if (index <= UltimaChiave) {
        m_recordOffered = false;
        m_btCanc->setEnabled(false);
        m_btMem->setEnabled(false);
    }
    FieldWindow::Dati_GotFocus(index);
}

bool ArchiveWindow::hasUnsavedChanges() const
{
    // A key being typed is a lookup to come, not a change to the record.
    return shownTexts().differs(*this, m_keyTexts);
}

bool ArchiveWindow::showsUnstoredData() const
{
    if (hasUnsavedChanges())
        return true;
    for (auto typed = m_keyTexts.cbegin(); typed != m_keyTexts.cend(); ++typed)
        if (text(typed.key()) != typed.value())
            return true;
    return false;
}

void ArchiveWindow::rememberShownTexts()
{
    FieldWindow::rememberShownTexts();
    m_keyTexts.clear();
    for (int i = 0; i < fieldCount(); ++i)
        if (isKeyField(i))
            m_keyTexts.insert(i, text(i));
}

bool ArchiveWindow::keyFieldLeft(int index)
{
    const QString key = CostruisciChiave(UltimoDato, UltimaChiave, *this);
    if (key.isEmpty())
        return true;
    if (!m_shownKey.isEmpty() && key == m_shownKey) {
        // Still the record on screen (a date corrected within its year):
        // nothing is looked up, so nothing typed is lost.
        m_keyTexts.insert(index, text(index));
        enableRecordButtons();
        return true;
    }
    if (hasUnsavedChanges()) {
        const QString typed = text(index);
        // The previous key goes back while the record it names is saved, and
        // stays when the user would rather not move on.
        setText(index, m_keyTexts.value(index));
        switch (MessageBox::ask(this, QStringLiteral("Salvare le modifiche?"))) {
        case QMessageBox::Yes:
            if (!saveRecord())
                return false;
            break;
        case QMessageBox::No:
            break;
        default:
            keepFocus(index);
            return false;
        }
        setText(index, typed);
    }
    showRecordOf(key);
    return true;
}

void ArchiveWindow::showRecordOf(const QString& key)
{
    QString error;
    const LoadOutcome outcome = CaricaRecord(*m_table, UltimoDato, UltimaChiave, *this, &error);
    if (outcome == LoadOutcome::Failed)
        MessageBox::error(this, error);
    if (outcome != LoadOutcome::Found && outcome != LoadOutcome::NotFound)
        return;
    m_shownKey = key;
    m_shownStored = outcome == LoadOutcome::Found;
    m_shownVersion = m_shownStored ? m_table->version() : 0;
    enableRecordButtons();
    showLoadedTexts();
    recordShown();
    rememberShownTexts();
}

void ArchiveWindow::takeShownKey()
{
    m_shownKey = CostruisciChiave(UltimoDato, UltimaChiave, *this);
    m_shownStored = false;
    m_shownVersion = 0;
    for (int i = 0; i < fieldCount(); ++i)
        if (isKeyField(i))
            m_keyTexts.insert(i, text(i));
    enableRecordButtons();
}

RecordName ArchiveWindow::shownRecordName() const
{
    return {(m_feminineNoun ? QStringLiteral("La ") : QStringLiteral("Il ")) +
                m_recordNoun.toLower() + QLatin1Char(' ') + recordName(UltimaChiave, *this),
            m_feminineNoun};
}

void ArchiveWindow::offerReload(const QString& question)
{
    if (MessageBox::show(this, question, QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    showRecordOf(m_shownKey);
}

void ArchiveWindow::showLoadedTexts()
{
    const DescriptionLookup lookup = descriptionLookup();
    for (int i = 0; i < fieldCount(); ++i) {
        if (auto* line = qobject_cast<QLineEdit*>(Dati(i)); line && !line->hasFocus())
            line->setCursorPosition(0); // a long text shows its start
        const FieldSpec& def = fieldSpec(i);
        const FieldDeclaration decl = def.parsed();
        if (decl.link != QLatin1Char('A') || !Ombra(i))
            continue;
        const ValidationResult result = Valida(decl, def.maxLength, text(i), lookup);
        Ombra(i)->setText(result.description.value_or(QString()).trimmed());
    }
}

void ArchiveWindow::refuse(int index, const QString& message)
{
    if (fieldSpec(index).parsed().link == QLatin1Char('A') && Ombra(index))
        Ombra(index)->clear();
    // Taking the focus back first also drops what leaving the field was about
    // to say: the user hears of it once.
    keepFocus(index);
    MessageBox::warning(this, message);
}

bool ArchiveWindow::saveRecord()
{
    if (const auto refusal = checkFields(*this, descriptionLookup())) {
        refuse(refusal->index, refusal->message);
        return false;
    }
    const QString key = CostruisciChiave(UltimoDato, UltimaChiave, *this);
    const QString name = recordName(UltimaChiave, *this);
    if (key.isEmpty()) {
        for (int i = 0; i < fieldCount(); ++i) {
            if (fieldSpec(i).tabIndex == 0) {
                refuse(i, QStringLiteral("Compilare il campo \"%1\".").arg(fieldSpec(i).caption));
                break;
            }
        }
        return false;
    }
    // Only the record on screen is replaced: one shown as new never takes
    // the place of a record stored under its key.
    const bool replacing = m_shownStored && key == m_shownKey;
    const SaveMode mode = replacing ? SaveMode::AddOrReplace : SaveMode::AddOnly;
    qint64 version = replacing ? m_shownVersion : 0;
    QString error;
    switch (storeRecord(mode, &version, &error)) {
    case SaveResult::StoredNew:
    case SaveResult::Replaced:
        break;
    case SaveResult::Refused:
        // A key typed as new that another desk stored meanwhile.
        if (mode == SaveMode::AddOnly && m_table->Seek(QStringLiteral("="), key) &&
            !m_table->NoMatch() && proposeFreeKey(error))
            return false;
        MessageBox::error(this, QStringLiteral("Il record non è stato memorizzato:\n") + error);
        return false; // the user corrects the field where the values are
    case SaveResult::ChangedElsewhere:
        offerReload(error);
        return false;
    case SaveResult::DeletedElsewhere:
        // What was typed stays: "Memorizza" stores it again as a new record.
        MessageBox::warning(this, error);
        m_shownStored = false;
        m_shownVersion = 0;
        enableRecordButtons();
        return false;
    }
    m_shownVersion = version;
    m_shownKey = key;
    m_shownStored = true;
    enableRecordButtons();
    recordStored();
    rememberShownTexts();
    MessaggioStato(outcomeText(m_recordNoun, m_feminineNoun, name, false), false);
    return true;
}

SaveResult ArchiveWindow::storeRecord(SaveMode mode, qint64* version, QString* why)
{
    switch (MemorizzaRecord(*m_table, UltimoDato, UltimaChiave, *this, m_context.SepMigliaia,
                            m_context.SepDecimali, why, mode, version)) {
    case SaveOutcome::StoredNew:
        return SaveResult::StoredNew;
    case SaveOutcome::Replaced:
        return SaveResult::Replaced;
    case SaveOutcome::KeyTaken:
        *why =
            QStringLiteral("Il record %1 è già in archivio").arg(recordName(UltimaChiave, *this));
        break;
    case SaveOutcome::ChangedElsewhere:
        *why = changedElsewhereText(shownRecordName());
        return SaveResult::ChangedElsewhere;
    case SaveOutcome::DeletedElsewhere:
        *why = deletedElsewhereText(shownRecordName());
        return SaveResult::DeletedElsewhere;
    case SaveOutcome::NoKey:
    case SaveOutcome::Failed:
        break;
    }
    return SaveResult::Refused;
}

DeleteResult ArchiveWindow::removeRecord(qint64 version, QString* why)
{
    switch (EliminaRecord(*m_table, UltimoDato, UltimaChiave, *this, why, version)) {
    case DeleteOutcome::Deleted:
        return DeleteResult::Deleted;
    case DeleteOutcome::Failed:
        return DeleteResult::Refused;
    case DeleteOutcome::ChangedElsewhere:
        *why = changedElsewhereText(shownRecordName());
        return DeleteResult::ChangedElsewhere;
    case DeleteOutcome::NotFound:
        if (version > 0)
            *why = deletedElsewhereText(shownRecordName());
        break;
    case DeleteOutcome::NoKey:
        break;
    }
    return DeleteResult::NotFound;
}

bool ArchiveWindow::saveChanges()
{
    const int focused = focusedField();
    if (focused >= 0 && isKeyField(focused)) {
        // A key typed but never looked up names no record yet: the record
        // shown is stored under the key it was shown with.
        setText(focused, m_keyTexts.value(focused));
    } else if (focused >= 0) {
        const FieldSpec& def = fieldSpec(focused);
        if (checkField(def, text(focused), descriptionLookup(), taxCountry()).valid) {
            // Finish the edit as leaving the field would, so that what follows
            // from it (the computed amounts) is stored with it.
            Dati_LostFocus(focused);
            Dati_GotFocus(focused);
        }
    }
    return saveRecord();
}

void ArchiveWindow::BtMem_Click()
{
    if (saveRecord())
        focusFirstEnabledField();
}

void ArchiveWindow::BtCanc_Click()
{
    if (!mayDelete())
        return;
    QString error;
    const QString name = recordName(UltimaChiave, *this);
    if (m_askBeforeDeleting && m_shownStored &&
        !MessageBox::confirm(this, deletionQuestion(m_recordNoun, m_feminineNoun, name)))
        return;
    switch (removeRecord(m_shownStored ? m_shownVersion : 0, &error)) {
    case DeleteResult::NotFound:
        // Deleted by another desk since it was shown: what is on screen
        // stays, to be stored again as new if wanted.
        if (!error.isEmpty()) {
            MessageBox::warning(this, error);
            m_shownStored = false;
            m_shownVersion = 0;
            enableRecordButtons();
        } else {
            QApplication::beep();
        }
        return;
    case DeleteResult::Refused:
        MessageBox::error(this, QStringLiteral("Il record non è stato eliminato:\n") + error);
        return;
    case DeleteResult::ChangedElsewhere:
        offerReload(error);
        return;
    case DeleteResult::Deleted:
        for (int i = 0; i < fieldCount(); ++i) {
            setText(i, QString());
            if (Ombra(i))
                Ombra(i)->clear();
        }
        m_btCanc->setEnabled(false);
        m_shownKey.clear();
        m_shownStored = false;
        m_shownVersion = 0;
        recordDeleted();
        rememberShownTexts();
        MessaggioStato(outcomeText(m_recordNoun, m_feminineNoun, name, true), false);
        focusField(0);
        break;
    }
}

void ArchiveWindow::ConsCOD_Click()
{
    FconsCOD grid(m_context, NumTabella, this);
    grid.exec();
}

void ArchiveWindow::focusFirstEnabledField()
{
    for (int i = 0; i <= UltimoDato && i < fieldCount(); ++i) {
        QWidget* w = Dati(i);
        if (w && w->isEnabled() && w->isVisible()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
