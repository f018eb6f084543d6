#include "StatusMessage.h"

#include <QLabel>
#include <QPointer>

namespace {
QPointer<QLabel>& panel()
{
    static QPointer<QLabel> p;
    return p;
}
} // namespace

QString statusText(const QString& text, bool waiting)
{
    if (text.isEmpty())
        return QStringLiteral("Pronto");
    return waiting ? text + QStringLiteral(", Prego attendere...") : text;
}

QString outcomeText(const QString& noun, bool feminine, const QString& name, bool deleted)
{
    const QString done = deleted ? QStringLiteral("eliminat") : QStringLiteral("memorizzat");
    const QString subject = name.isEmpty() ? noun : noun + QLatin1Char(' ') + name;
    return subject + QLatin1Char(' ') + done + (feminine ? QLatin1Char('a') : QLatin1Char('o'));
}

QString deletionQuestion(const QString& noun, bool feminine, const QString& name)
{
    const QString article = feminine ? QStringLiteral("la ") : QStringLiteral("il ");
    const QString subject =
        name.isEmpty() ? noun.toLower() : noun.toLower() + QLatin1Char(' ') + name;
    return QStringLiteral("Eliminare ") + article + subject + QLatin1Char('?');
}

void MessaggioStato(const QString& text, bool waiting)
{
    if (!panel())
        return;
    panel()->setText(statusText(text, waiting));
    panel()->repaint();
}

void registerStatusPanel(QLabel* label)
{
    panel() = label;
}
