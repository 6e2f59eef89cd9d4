#pragma once

#include <QByteArray>
#include <QString>

// LZSS with adaptive Huffman coding (the LZHUF method): a 4096-byte ring, matches of 3 to 60
// bytes, 314 symbols on an adaptive tree of 627 nodes and a fixed code for the upper six bits
// of a match position.
//
// The compressed stream carries no length of its own; the caller stores the length next to it
// and asks for exactly that many bytes back.
class TLZH
{
public:
    static constexpr int RingSize = 4096;
    static constexpr int MaxMatch = 60;
    static constexpr int Threshold = 2;
    static constexpr int Symbols = 256 - Threshold + MaxMatch; // 314
    static constexpr int Nodes = Symbols * 2 - 1;              // 627
    static constexpr int Root = Nodes - 1;
    static constexpr unsigned MaxFrequency = 0x8000;

    // Decodes `length` bytes from `data`. Bits past the end of the data read as 0, but a stream
    // that runs far past its end, or a length that its size could never produce, is refused:
    // such a file is damaged, and decoding it would only make garbage.
    static bool Decode(const char* data, qsizetype size, qint64 length, QByteArray* out,
                       QString* error = nullptr);
    static QByteArray Encode(const QByteArray& input);

    // The most bytes a stream of `size` bytes can decode to: every symbol costs at least one
    // bit and a match position at least nine, so ten bits give at most one 60-byte match.
    static qint64 MaxDecodedSize(qint64 size);
    // How far past the end the decoder reads zero bytes before it gives up.
    static constexpr int ZeroTail = 16;
};
