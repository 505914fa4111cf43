#pragma once

#include <QByteArray>
#include <QString>

// Alert fields, symbols and wire texts are byte strings, kept and compared as the
// server sent them. Only to show one (or to hand a symbol to the connector) is it
// turned into text: as UTF-8 when its bytes are valid UTF-8, otherwise byte for
// character as Latin-1, so that no byte is lost and different bytes never read as
// the same replacement character.
QString DisplayText(const QByteArray &bytes);
