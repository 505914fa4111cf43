#pragma once

class QKeyEvent;
class QPushButton;
class QWidget;

// Enter and Return in a window that is not a dialog: a focused button is pressed,
// otherwise the window's default button, when the user can see and use it. Returns
// whether a button was pressed.
bool PressDefaultButton(QKeyEvent *event, QWidget *focus, QPushButton *defaultButton);
