#pragma once

#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// A button of a window's foot, found by its object name. It is never the
// dialog's default: Enter in a field moves to the next field, it does not
// press a button.
QPushButton* commandButton(const QString& text, const char* objectName, QWidget* parent);

// A window's foot: `left` from the left edge, `right` at the right edge.
QHBoxLayout* commandRow(std::initializer_list<QWidget*> left, QWidget* right);
