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

QString testoStato(const QString& text, bool waiting)
{
    if (text.isEmpty())
        return QStringLiteral("Pronto");
    return waiting ? text + QStringLiteral(", Prego attendere...") : text;
}

QString testoEsito(const QString& noun, bool feminine, const QString& name, bool deleted)
{
    const QString done = deleted ? QStringLiteral("eliminat") : QStringLiteral("memorizzat");
    const QString subject = name.isEmpty() ? noun : noun + QLatin1Char(' ') + name;
    return subject + QLatin1Char(' ') + done + (feminine ? QLatin1Char('a') : QLatin1Char('o'));
}

void MessaggioStato(const QString& text, bool waiting)
{
    if (!panel())
        return;
    panel()->setText(testoStato(text, waiting));
    panel()->repaint();
}

void registraPannelloStato(QLabel* label)
{
    panel() = label;
}
