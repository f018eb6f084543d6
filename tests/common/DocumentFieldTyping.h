#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <QtTest>

// The document windows' fields are named Dati<position>.
inline QLineEdit* line(QWidget* window, int index)
{
    return window->findChild<QLineEdit*>(QStringLiteral("Dati%1").arg(index));
}

// Types into a field and leaves it with Tab, as the user does; an empty
// text clears the field.
inline void enter(QWidget* window, int index, const QString& text)
{
    QLineEdit* field = line(window, index);
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}
