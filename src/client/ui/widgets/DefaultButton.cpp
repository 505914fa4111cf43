#include "client/ui/widgets/DefaultButton.h"

#include <QKeyEvent>
#include <QPushButton>

bool PressDefaultButton(QKeyEvent *event, QWidget *focus, QPushButton *defaultButton)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    QPushButton *button = qobject_cast<QPushButton *>(focus);
    if (!button)
        button = defaultButton;
    // A default button on a hidden tab page is out of reach.
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
