#pragma once

#include <QByteArrayView>
#include <QString>

// File names as the file system holds them (bytes) and as text.
//
// A name is taken as text only when its bytes are valid UTF-8: a name that is not cannot be
// shown, stored or written back faithfully, and decoding it with replacement characters would
// make it look like (and be read as) another file.
namespace FileNameText {

// Whether `bytes` are valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValid(QByteArrayView bytes);

// `bytes` as one line of text for messages: valid UTF-8 sequences as they are, every byte of an
// invalid sequence and every control character as \xHH (upper-case hex), for example
// "caf\xE9.c".
QString escaped(QByteArrayView bytes);

} // namespace FileNameText
