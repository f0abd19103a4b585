#pragma once
// Cuts a fuzz input into pieces of 0..40 bytes, as the channels hand them over.

#include <QByteArray>
#include <QByteArrayList>

#include "FuzzCheck.h"

// A length byte (0..40), then that many bytes, and again.
inline QByteArrayList consumePieces(FrontReader& input)
{
    QByteArrayList pieces;
    while (!input.atEnd()) {
        const std::vector<std::uint8_t> piece = input.bytes(input.byte() % 41);
        pieces.append(QByteArray(reinterpret_cast<const char*>(piece.data()),
                                 static_cast<qsizetype>(piece.size())));
    }
    return pieces;
}
