#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <deque>

namespace {
struct State
{
    std::deque<QMessageBox::StandardButton> nextAnswers;
    QString lastText;
    QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
    int shown = 0;
};
State& state()
{
    static State s;
    return s;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const QString& text,
                                             QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons,
                                             const QString& yesCaption,
                                             QMessageBox::StandardButton defaultButton)
{
    State& s = state();
    s.lastText = text;
    s.lastIcon = icon;
    ++s.shown;
    QApplication::beep();
    if (!s.nextAnswers.empty()) {
        const auto answer = s.nextAnswers.front();
        s.nextAnswers.pop_front();
        return answer;
    }
    QMessageBox box(icon, QStringLiteral("Falmide"), text, buttons, parent);
    // The program speaks Italian whatever the system's language.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "&Sì"}, {QMessageBox::No, "&No"}, {QMessageBox::Cancel, "&Annulla"}};
    for (const auto& [button, caption] : captions)
        if (QAbstractButton* b = box.button(button))
            b->setText(QString::fromUtf8(caption));
    if (QAbstractButton* yes = box.button(QMessageBox::Yes); yes && !yesCaption.isEmpty())
        yes->setText(yesCaption);
    // A named Yes does something out of the ordinary: Enter does not choose it.
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    else if ((buttons & QMessageBox::Yes) && yesCaption.isEmpty())
        box.setDefaultButton(QMessageBox::Yes);
    const auto answer = QMessageBox::StandardButton(box.exec());
    // The window asking gets the keyboard back, whatever the window manager does.
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
    return answer;
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Warning);
}

QMessageBox::StandardButton MessageBox::error(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Critical);
}

QMessageBox::StandardButton MessageBox::ask(QWidget* parent, const QString& text)
{
    const auto answer = show(parent, text, QMessageBox::Question,
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer : QMessageBox::Cancel;
}

bool MessageBox::confirm(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, {},
                QMessageBox::No) == QMessageBox::Yes;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    state().nextAnswers.push_back(answer);
}

QString MessageBox::lastText()
{
    return state().lastText;
}

QMessageBox::Icon MessageBox::lastIcon()
{
    return state().lastIcon;
}

int MessageBox::shownCount()
{
    return state().shown;
}

void MessageBox::resetForTest()
{
    state() = State();
}
