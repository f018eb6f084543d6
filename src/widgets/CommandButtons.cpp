#include "CommandButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

QPushButton* commandButton(const QString& text, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* commandRow(std::initializer_list<QWidget*> left, QWidget* right)
{
    auto* row = new QHBoxLayout;
    for (QWidget* widget : left)
        row->addWidget(widget);
    row->addStretch(1);
    row->addWidget(right);
    return row;
}
