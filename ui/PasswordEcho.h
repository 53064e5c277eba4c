#pragma once
// Password edits of the program show every character as "#", at once (no
// moment in which the typed character itself shows).

class QLineEdit;

void ShowAsHashes(QLineEdit* edit);
