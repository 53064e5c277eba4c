#pragma once
// Every control of a window gets an accessible name, so a screen reader can
// say what it is: its caption (a button's text, a group's title, a label's
// text, a window's title), the caption of the label that stands for it, or
// else its given name. Names set on purpose are kept. Call after building a
// window's controls, and again when controls are rebuilt.

class QWidget;

void NameControls(QWidget* window);
