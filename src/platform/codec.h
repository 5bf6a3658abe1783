#pragma once

#include <QByteArray>
#include <QString>

namespace mirel::platform {

// Single-byte Cyrillic code pages. Every byte decodes to one character (bytes the code page
// leaves undefined keep their value), so a decode/encode round trip never loses a byte.
// Characters that a code page cannot hold are encoded as "?".
QString decode1251(const QByteArray& bytes);
// The same into an existing text, reusing its memory.
void decode1251(QByteArrayView bytes, QString& into);
// The character of every byte of code page 1251, by byte value.
const char16_t* table1251();
QByteArray encode1251(const QString& text);
QString decode866(const QByteArray& bytes);
QByteArray encode866(const QString& text);

// The Windows-to-DOS conversion of a text held as code page 1251 characters: the 1251 bytes
// of the text are re-read as code page 866 bytes, i.e. the text is encoded to 866 and the
// resulting bytes are then taken as 1251 characters again.
QString toOem(const QString& text);

// True when the bytes hold characters outside ASCII and read as valid UTF-8: a file saved by an
// editor in UTF-8 instead of code page 1251 (Cyrillic 1251 text is almost never valid UTF-8).
bool looksLikeUtf8(const QByteArray& bytes);

} // namespace mirel::platform
