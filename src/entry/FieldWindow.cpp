#include "FieldWindow.h"

#include "AppContext.h"
#include "F6.h"
#include "FieldWidth.h"
#include "KeyFilter.h"
#include "MessageBox.h"
#include "RecordRules.h"
#include "TextForms.h"
#include "Twips.h"
#include "Validation.h"
#include "VidArch.h"
#include "WindowGeometry.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <utility>

namespace {

// Holds pasted and dropped text to the rules typing follows, a comma in a
// number becoming its point. Blanks are ignored: they are the grouping of a
// number shown in display form, which may be longer than what can be typed.
class FieldValidator : public QValidator
{
public:
    FieldValidator(FieldDeclaration field, int maxLength, QObject* parent)
        : QValidator(parent), m_field(std::move(field)), m_maxLength(maxLength)
    {
    }
    State validate(QString& input, int& pos) const override
    {
        Q_UNUSED(pos);
        for (QChar& c : input)
            c = enteredChar(m_field, c);
        QString plain = input;
        plain.remove(QLatin1Char(' '));
        return acceptsText(m_field, plain, m_maxLength) ? Acceptable : Invalid;
    }

private:
    FieldDeclaration m_field;
    int m_maxLength = 0;
};

} // namespace

FieldWindow::FieldWindow(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setModal(true);
}

QGridLayout* FieldWindow::buildFields(const FieldTable& fields, QWidget* container)
{
    m_specs = fields;
    const int count = int(fields.size());
    m_dati.fill(nullptr, count);
    m_desLbl.fill(nullptr, count);
    m_ombra.fill(nullptr, count);
    m_entryText.fill(QString(), count);

    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[std::size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return fields[std::size_t(a)].tabIndex < fields[std::size_t(b)].tabIndex;
    });

    auto* grid = new QGridLayout(container);
    const int letter = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    int row = 0;
    QWidget* previous = nullptr;
    for (int i : order) {
        const FieldSpec& def = fields[std::size_t(i)];
        const FieldDeclaration decl = def.parsed();
        auto* caption = new QLabel(def.caption, container);
        caption->setObjectName(QStringLiteral("DesLbl%1").arg(def.index));
        QWidget* field = nullptr;
        if (decl.isMemo()) {
            auto* memo = new QPlainTextEdit(container);
            memo->setTabChangesFocus(true);
            // Mouse events arrive on the viewport, not on the editor.
            memo->viewport()->installEventFilter(this);
            memo->setMinimumHeight(fontMetrics().lineSpacing() * 4 + 10);
            field = memo;
        } else {
            auto* line = new QLineEdit(container);
            // A number's MaxLength limits what is typed, in the key filter and
            // the validator: the line edit would cut its grouped display.
            const bool numeric = decl.isNumber() || decl.isEuro();
            if (def.maxLength > 0 && !numeric)
                line->setMaxLength(def.maxLength);
            if (!decl.isText())
                line->setValidator(new FieldValidator(decl, numeric ? def.maxLength : 0, line));
            line->setFixedWidth(fieldWidth(*line, decl, def.maxLength));
            if (decl.isEuro())
                line->setAlignment(Qt::AlignRight);
            field = line;
        }
        field->setObjectName(QStringLiteral("Dati%1").arg(def.index));
        field->installEventFilter(this);
        caption->setBuddy(field);
        auto* shadow = new QLabel(container);
        shadow->setObjectName(QStringLiteral("Ombra%1").arg(def.index));
        shadow->setMinimumWidth(letter * 12);

        if (!def.visible) {
            caption->hide();
            field->hide();
            shadow->hide();
        } else if (def.besidePrevious && row > 0) {
            // caption, field and description in the previous line's last cell
            auto* beside = new QHBoxLayout;
            beside->addWidget(caption);
            beside->addWidget(field);
            beside->addWidget(shadow, 1);
            grid->addLayout(beside, row - 1, 2);
            if (previous)
                setTabOrder(previous, field);
            previous = field;
        } else {
            grid->addWidget(caption, row, 0, decl.isMemo() ? Qt::AlignTop : Qt::Alignment());
            if (decl.isMemo()) {
                grid->addWidget(field, row, 1, 1, 2);
            } else {
                grid->addWidget(field, row, 1, Qt::AlignLeft);
                grid->addWidget(shadow, row, 2);
            }
            ++row;
            if (previous)
                setTabOrder(previous, field);
            previous = field;
        }
        m_dati[i] = field;
        m_desLbl[i] = caption;
        m_ombra[i] = shadow;
        for (const auto& [tab, extra] : m_extraRows) {
            if (tab == def.tabIndex) {
                auto* label = new QLabel(extra.first, container);
                grid->addWidget(label, row, 0);
                grid->addWidget(extra.second, row, 1);
                ++row;
            }
        }
    }
    grid->setColumnStretch(2, 1);
    return grid;
}

void FieldWindow::addRowAfter(int tabIndex, const QString& caption, QWidget* widget)
{
    m_extraRows.push_back({tabIndex, {caption, widget}});
}

QString FieldWindow::text(int index) const
{
    QWidget* w = m_dati.value(index);
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        return memo->toPlainText();
    return {};
}

void FieldWindow::setText(int index, const QString& text)
{
    QWidget* w = m_dati.value(index);
    if (auto* line = qobject_cast<QLineEdit*>(w))
        line->setText(text);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        memo->setPlainText(text);
}

void FieldWindow::focusField(int index)
{
    if (QWidget* w = m_dati.value(index); w && w->isEnabled() && w->isVisible())
        w->setFocus(Qt::OtherFocusReason);
}

void FieldWindow::keepFocus(int index, const QString& message)
{
    m_refocus = index;
    // The message waits until the focus has settled on the next field. A
    // later refusal takes its place: a click on "Memorizza" leaves the field
    // and then checks it, and the user is told once.
    m_pendingMessage = message;
    QTimer::singleShot(0, this, [this, index] {
        if (const QString message = std::exchange(m_pendingMessage, QString()); !message.isEmpty())
            MessageBox::warning(this, message);
        focusField(index);
        m_refocus = -1;
    });
}

int FieldWindow::focusedField() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? int(m_dati.indexOf(focus)) : -1;
}

DescriptionLookup FieldWindow::descriptionLookup() const
{
    Database& db = m_context.DbArchivi;
    return [&db](Table table, const QString& key, int field) {
        return Descrizione(db, table, key, field);
    };
}

void FieldWindow::rememberShownTexts()
{
    m_snapshot.take(*this, formatsEuro());
}

bool FieldWindow::hasUnsavedChanges() const
{
    return m_tracksChanges && m_snapshot.differs(*this);
}

bool FieldWindow::confirmChanges()
{
    if (!hasUnsavedChanges())
        return true;
    switch (MessageBox::ask(this, QStringLiteral("Salvare le modifiche?"))) {
    case QMessageBox::Yes:
        return saveChanges();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void FieldWindow::setCaption(int index, const QString& caption)
{
    m_specs[std::size_t(index)].caption = caption;
    if (QLabel* label = DesLbl(index))
        label->setText(caption);
}

bool FieldWindow::saveFirst(const QString& question)
{
    if (!showsUnstoredData())
        return true;
    return MessageBox::show(this, question, QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes &&
           saveChanges();
}

void FieldWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_closing = false;
    if (m_tracksChanges && !m_snapshot.isTaken())
        rememberShownTexts();
    placeCentred(this, m_context);
    // The window opens on its first field in tab order.
    int first = -1;
    for (int i = 0; i < fieldCount(); ++i)
        if (m_specs[std::size_t(i)].visible &&
            (first < 0 || m_specs[std::size_t(i)].tabIndex < m_specs[std::size_t(first)].tabIndex))
            first = i;
    if (first >= 0)
        focusField(first);
}

void FieldWindow::reject()
{
    BtUscita_Click();
}

void FieldWindow::BtUscita_Click()
{
    if (isVisible() && !confirmChanges())
        return;
    closeWindow();
}

void FieldWindow::closeWindow()
{
    // Leaving fields while the window closes checks nothing.
    m_closing = true;
    QDialog::reject();
}

bool FieldWindow::eventFilter(QObject* watched, QEvent* event)
{
    int index = int(m_dati.indexOf(static_cast<QWidget*>(watched)));
    if (index < 0 && watched->parent() && event->type() == QEvent::MouseButtonDblClick)
        index = int(m_dati.indexOf(static_cast<QWidget*>(watched->parent())));
    if (index < 0)
        return QDialog::eventFilter(watched, event);
    if (watched != m_dati[index]) {
        // a memo's viewport: only its double click matters here
        Dati_DblClick(index);
        return fieldSpec(index).parsed().isCode();
    }
    switch (event->type()) {
    case QEvent::FocusIn: {
        // Coming back from another window is not entering the field.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            (m_refocus < 0 || m_refocus == index))
            Dati_GotFocus(index);
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_refocus < 0) {
            Dati_LostFocus(index);
            auto* line = qobject_cast<QLineEdit*>(m_dati[index]);
            if (line && m_refocus != index)
                line->setCursorPosition(0); // a long text shows its start once left
        }
        break;
    }
    case QEvent::KeyPress:
        return filterKey(index, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        Dati_KeyUp(index, static_cast<QKeyEvent*>(event)->key());
        break;
    case QEvent::MouseButtonDblClick:
        Dati_DblClick(index);
        return m_specs[std::size_t(index)].parsed().isCode();
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FieldWindow::applyLocks()
{
    for (int i = 0; i < fieldCount(); ++i) {
        const bool locked = !lockReason(i).isEmpty();
        if (auto* line = qobject_cast<QLineEdit*>(m_dati[i]))
            line->setReadOnly(locked);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(m_dati[i]))
            memo->setReadOnly(locked);
    }
}

bool FieldWindow::refusedByLock(int index, QKeyEvent* event)
{
    const QString reason = lockReason(index);
    if (reason.isEmpty())
        return false;
    const int key = event->key();
    const bool edits = (!event->text().isEmpty() && event->text().at(0).unicode() >= 32 &&
                        !(event->modifiers() & Qt::ControlModifier)) ||
                       key == Qt::Key_Backspace || key == Qt::Key_Delete ||
                       event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
                       event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    if (!edits)
        return false;
    MessageBox::warning(this, reason);
    return true;
}

bool FieldWindow::filterKey(int index, QKeyEvent* event)
{
    const FieldDeclaration decl = m_specs[std::size_t(index)].parsed();
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !decl.isMemo()) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_dati[index], &tab);
        return true;
    }
    if (key == Qt::Key_Escape) {
        BtUscita_Click();
        return true;
    }
    if (refusedByLock(index, event))
        return true;
    const QString typed = event->text();
    if (typed.isEmpty() || typed.at(0).unicode() < 32 || (event->modifiers() & Qt::ControlModifier))
        return false;
    auto* line = qobject_cast<QLineEdit*>(m_dati[index]);
    if (!line)
        return false;
    // The plain text the key would go into: any selection is replaced by it.
    QString text = line->text();
    int caret = line->cursorPosition();
    if (line->hasSelectedText()) {
        caret = line->selectionStart();
        text.remove(caret, line->selectedText().size());
    }
    caret -= int(text.left(caret).count(QLatin1Char(' ')));
    text.remove(QLatin1Char(' '));
    const bool numeric = decl.isNumber() || decl.isEuro();
    for (const QChar c : typed) {
        if (!acceptsKey(decl, text, c, numeric ? m_specs[std::size_t(index)].maxLength : 0)) {
            QApplication::beep();
            return true;
        }
        text.insert(caret++, enteredChar(decl, c));
    }
    return false;
}

void FieldWindow::Dati_GotFocus(int index)
{
    if (m_refocus == index)
        m_refocus = -1;
    const FieldDeclaration decl = m_specs[std::size_t(index)].parsed();
    auto* line = qobject_cast<QLineEdit*>(m_dati[index]);
    if (!line) {
        m_entryText[index] = text(index);
        return;
    }
    if (decl.isNumber() || (formatsEuro() && decl.isEuro())) {
        QString t = line->text();
        TogliSpazi(t);
        line->setText(t);
    }
    line->selectAll();
    m_entryText[index] = line->text();
    // Again after a mouse click has placed the cursor.
    QTimer::singleShot(0, line, [line] {
        if (line->hasFocus())
            line->selectAll();
    });
}

void FieldWindow::Dati_KeyUp(int index, int key)
{
    if (key == Qt::Key_F6)
        openCodeList(index);
    else if (key == Qt::Key_F3)
        openArchiveList();
}

void FieldWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3)
        openArchiveList();
    else
        QDialog::keyReleaseEvent(event);
}

void FieldWindow::Dati_DblClick(int index)
{
    openCodeList(index);
}

void FieldWindow::openCodeList(int index)
{
    const FieldSpec& def = m_specs[std::size_t(index)];
    if (!def.parsed().isCode())
        return;
    if (const QString reason = lockReason(index); !reason.isEmpty()) {
        MessageBox::warning(this, reason);
        return;
    }
    QWidget* field = m_dati[index];
    const double dpi = logicalDpi(this);
    const QPoint topRight = field->mapToGlobal(QPoint(field->width(), 0));
    F6 list(m_context, def.parsed(),
            {twipsFromPixels(topRight.x(), dpi), twipsFromPixels(topRight.y(), dpi)}, this);
    list.exec();
    if (!list.chosenCode().isEmpty())
        setText(index, list.chosenCode());
    activateWindow();
    field->setFocus(Qt::ActiveWindowFocusReason);
}

void FieldWindow::openArchiveList()
{
    VidArch archives(m_context, this);
    archives.exec();
}

void FieldWindow::Dati_LostFocus(int index)
{
    if (!isVisible() || m_closing)
        return;
    const FieldSpec& def = m_specs[std::size_t(index)];
    const FieldDeclaration decl = def.parsed();
    const ValidationResult result = checkField(def, text(index), descriptionLookup(), taxCountry());
    if (result.description)
        m_ombra[index]->setText(result.description->trimmed());
    else if (decl.link == QLatin1Char('A'))
        m_ombra[index]->clear(); // a blank code has no description
    if (!result.valid) {
        if (!result.tellOnLeaving)
            QApplication::beep();
        keepFocus(index, result.tellOnLeaving ? refusalMessage(def, result.message) : QString());
        return;
    }
    if (result.text != text(index))
        setText(index, result.text);
    if (index <= UltimaChiave && !keyFieldLeft(index))
        return;
    fieldChecked(index, text(index) != m_entryText[index]);
    if (auto* line = qobject_cast<QLineEdit*>(m_dati[index])) {
        if (decl.isNumber()) {
            QString t = line->text();
            FormattaNumero(t);
            line->setText(t);
        } else if (formatsEuro() && decl.isEuro()) {
            line->setText(FormattaEuro(line->text()));
        }
    }
    fieldLeft(index);
}
