#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

// A file's name is bytes, which need not be UTF-8; Qt's text for it would
// put U+FFFD in place of what is not, and the file could not be found again.

// The length of the UTF-8 sequence that starts at text (at most size bytes
// long), or 0 where none does: a stray continuation byte, an overlong form,
// a surrogate, past U+10FFFF, cut short.
std::size_t utf8SequenceLength(const char* text, std::size_t size);

// The name as text, each byte that is not part of UTF-8 kept as the lone
// surrogate U+DC00 + byte (the surrogateescape of Python's os.fsdecode), so
// that bytesOfText gives back the very bytes. Such text is for parsing and
// passing on, not for showing.
QString textOfBytes(const QByteArray& name);

// The inverse of textOfBytes: UTF-8, with each lone U+DC80 to U+DCFF back
// as its byte.
QByteArray bytesOfText(const QString& text);
