#include "HeldKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

// Qt's own way of offering a key to the shortcuts before the focused widget
// (the one its test library types keys with): a key typed again here must
// reach a menu's access key as a key typed on the keyboard does.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

HeldKeys::HeldKeys(QWidget* window) : m_window(window)
{
    qApp->installEventFilter(this);
}

HeldKeys::~HeldKeys()
{
    qApp->removeEventFilter(this);
}

bool HeldKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!m_holding || (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
                       type != QEvent::ShortcutOverride))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Claimed by the widget, the key is no shortcut now: it comes back as
    // a key press, held below, and meets the shortcuts when typed again.
    if (type == QEvent::ShortcutOverride) {
        key->accept();
        return true;
    }
    m_keys.append({type, key->key(), key->modifiers(), key->text(), key->isAutoRepeat()});
    return true;
}

void HeldKeys::release()
{
    m_holding = false;
    qApp->removeEventFilter(this);
    typeNext();
}

void HeldKeys::typeNext()
{
    if (m_keys.isEmpty())
        return;
    const Key k = m_keys.takeFirst();
    // One key a turn of the event loop: a key that opens a window leaves
    // the next ones to it, wherever the focus is then.
    QMetaObject::invokeMethod(this, &HeldKeys::typeNext, Qt::QueuedConnection);
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        target = m_window;
    if (k.type == QEvent::KeyPress &&
        qt_sendShortcutOverrideEvent(target, 0, k.key, k.modifiers, k.text, k.autoRepeat, 1))
        return;
    QKeyEvent event(k.type, k.key, k.modifiers, k.text, k.autoRepeat);
    QApplication::sendEvent(target, &event);
}
