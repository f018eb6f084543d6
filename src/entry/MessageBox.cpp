#include "MessageBox.h"

#include <QApplication>
#include <optional>

namespace {
struct State
{
    std::optional<QMessageBox::StandardButton> nextAnswer;
    QString lastText;
    int shown = 0;
};
State& state()
{
    static State s;
    return s;
}
} // namespace

QMessageBox::StandardButton Messaggio::mostra(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons)
{
    State& s = state();
    s.lastText = text;
    ++s.shown;
    QApplication::beep();
    if (s.nextAnswer) {
        const auto answer = *s.nextAnswer;
        s.nextAnswer.reset();
        return answer;
    }
    QMessageBox box(icon, QStringLiteral("Falmide"), text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

QMessageBox::StandardButton Messaggio::errore(QWidget* parent, const QString& text)
{
    return mostra(parent, text, QMessageBox::Critical);
}

void Messaggio::setNextAnswer(QMessageBox::StandardButton answer)
{
    state().nextAnswer = answer;
}

QString Messaggio::lastText()
{
    return state().lastText;
}

int Messaggio::shownCount()
{
    return state().shown;
}

void Messaggio::resetForTest()
{
    state() = State();
}
