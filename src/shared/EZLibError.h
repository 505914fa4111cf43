#pragma once

#include "shared/Exception.h"

// Errors reported by zlib while the compressed streams are driven.
class EZLibError : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EZLibError"; }
};

// The outgoing stream could not be compressed.
class EZCompressionError : public EZLibError
{
public:
    using EZLibError::EZLibError;
    const char *ClassName() const override { return "EZCompressionError"; }
};

// The server's stream could not be inflated.
class EZDecompressionError : public EZLibError
{
public:
    using EZLibError::EZLibError;
    const char *ClassName() const override { return "EZDecompressionError"; }
};

// A zlib result code in zlib's own words ("data error" for Z_DATA_ERROR); empty for
// Z_OK. Kept as our own table so the texts do not change with the zlib build.
QString ZLibErrorText(int resultCode);
