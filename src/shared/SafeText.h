#pragma once

#include <QByteArray>
#include <QString>

// Server text is shown, never obeyed. These helpers find and neutralise the
// characters that make text act or pose instead of read: C0/C1 controls and DEL,
// bidi overrides, embeddings, isolates and marks, zero-width and other invisible
// characters, and line or paragraph separators.

// True for a character that can change how the text around it reads or looks.
bool IsDeceptiveCharacter(char32_t c);

// True when the text holds at least one such character.
bool HasDeceptiveCharacters(const QString &text);

// The text with every such character drawn as U+FFFD, so that "ABC<U+202E>LPPA"
// can never look like another ticker.
QString VisibleText(const QString &text);

// Server text inside a menu item: an "&" stays an "&" instead of marking a mnemonic,
// and a control character shows instead of acting (a tab would start the shortcut
// column).
QString MenuItemText(const QString &text);

// Bytes for a terminal: printable ASCII and UTF-8 pass, while ESC, other controls
// (but TAB), DEL and C1 characters become \xNN, so no byte can move the cursor or
// recolour the screen.
QByteArray TerminalSafe(const QByteArray &bytes);
