#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A symbol or time text of a list row, held as a 4-byte handle into one pool of
// distinct byte strings: a million rows of a few thousand symbols keep each symbol
// once, and a row holds no heap block of its own. Equal bytes get equal handles, so
// comparing two texts is comparing two integers.
//
// The pool is process-wide and only ever grows; it is used from the GUI thread only,
// like the lists whose rows hold the handles.
class TInternedText
{
public:
    TInternedText() = default; // the empty text
    explicit TInternedText(QByteArrayView bytes);
    TInternedText &operator=(QByteArrayView bytes) { return *this = TInternedText(bytes); }

    // The bytes, kept by the pool: as cheap to read as a row's own byte array was.
    const QByteArray &Bytes() const;
    // Rows read like the bytes they stand for, so the grids, exports and links that
    // show or send a symbol take it as they took a byte array.
    operator const QByteArray &() const { return Bytes(); }
    bool isEmpty() const { return handle_ == 0; }

    friend bool operator==(TInternedText a, TInternedText b) { return a.handle_ == b.handle_; }
    friend bool operator!=(TInternedText a, TInternedText b) { return a.handle_ != b.handle_; }

private:
    // Place in the pool; 0 is the empty text.
    quint32 handle_ = 0;
};
