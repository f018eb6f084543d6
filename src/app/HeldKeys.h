#pragma once

#include <QEvent>
#include <QList>
#include <QObject>
#include <QString>

class QWidget;

// Holds back the keys typed into a window that cannot act on them yet (its
// commands wait for the archives), and types them again, in order, once
// released: to the widget that has the focus then, shortcuts included, as
// if typed at that moment. Keys typed into any other window (a message the
// window shows meanwhile) go through.
class HeldKeys : public QObject
{
    Q_OBJECT
public:
    explicit HeldKeys(QWidget* window);
    ~HeldKeys() override;

    // Types the held keys again, one a turn of the event loop; nothing is
    // held from then on.
    void release();
    qsizetype held() const { return m_keys.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typeNext();

    struct Key
    {
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        bool autoRepeat;
    };
    QWidget* m_window;
    QList<Key> m_keys;
    bool m_holding = true;
};
