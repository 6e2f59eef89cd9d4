#include "skin/LZH.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int N = TLZH::RingSize;
constexpr int F = TLZH::MaxMatch;
constexpr int T = TLZH::Nodes;
constexpr int R = TLZH::Root;
constexpr int NChar = TLZH::Symbols;
constexpr int FirstOutput = N - F; // 4036: the ring before it starts out as spaces

// The fixed code of the upper six bits of a match position: a canonical prefix code with one
// code of 3 bits, three of 4, eight of 5, twelve of 6, twenty-four of 7 and sixteen of 8.
struct PositionCode
{
    std::array<uint8_t, 64> length{};  // bits of the code of each upper value
    std::array<uint8_t, 64> code{};    // the code, left-aligned in a byte
    std::array<uint8_t, 256> decode{}; // first byte of the bits -> upper value
    std::array<uint8_t, 256> decodeLength{};

    PositionCode()
    {
        const int counts[][2] = {{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}};
        int value = 0;
        unsigned next = 0;
        int previousLength = 3;
        for (const auto& [bits, count] : counts) {
            next <<= bits - previousLength;
            previousLength = bits;
            for (int i = 0; i < count; ++i, ++value, ++next) {
                length[value] = uint8_t(bits);
                code[value] = uint8_t(next << (8 - bits));
                const int span = 1 << (8 - bits);
                for (int b = 0; b < span; ++b) {
                    decode[code[value] + b] = uint8_t(value);
                    decodeLength[code[value] + b] = uint8_t(bits);
                }
            }
        }
    }
};

const PositionCode& positionCode()
{
    static const PositionCode table;
    return table;
}

// The adaptive Huffman tree. Nodes are kept in order of frequency; the two sons of a node sit
// next to each other, so a node's address tells which son it is. son[] values from T up are
// leaves (symbol + T).
struct HuffmanTree
{
    std::array<uint32_t, T + 1> freq;
    std::array<int16_t, T + NChar> prnt;
    std::array<int16_t, T> son;

    HuffmanTree()
    {
        for (int i = 0; i < NChar; ++i) {
            freq[i] = 1;
            son[i] = int16_t(i + T);
            prnt[i + T] = int16_t(i);
        }
        for (int i = 0, j = NChar; j <= R; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = int16_t(i);
            prnt[i] = prnt[i + 1] = int16_t(j);
        }
        freq[T] = 0xFFFF; // stops the search for a swap partner at the root
        prnt[R] = 0;
    }

    // Halves every frequency and builds the tree again from the leaves.
    void reconstruct()
    {
        int j = 0;
        for (int i = 0; i < T; ++i) {
            if (son[i] >= T) {
                freq[j] = (freq[i] + 1) / 2;
                son[j] = son[i];
                ++j;
            }
        }
        for (int i = 0, node = NChar; node < T; i += 2, ++node) {
            const uint32_t f = freq[i] + freq[i + 1];
            int k = node - 1;
            while (f < freq[k])
                --k;
            ++k;
            std::memmove(&freq[k + 1], &freq[k], size_t(node - k) * sizeof freq[0]);
            freq[k] = f;
            std::memmove(&son[k + 1], &son[k], size_t(node - k) * sizeof son[0]);
            son[k] = int16_t(i);
        }
        for (int i = 0; i < T; ++i) {
            const int k = son[i];
            if (k >= T)
                prnt[k] = int16_t(i);
            else
                prnt[k] = prnt[k + 1] = int16_t(i);
        }
    }

    // Counts one more occurrence of symbol c and restores the frequency order.
    void update(int c)
    {
        if (freq[R] == TLZH::MaxFrequency)
            reconstruct();
        c = prnt[c + T];
        do {
            const uint32_t k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = k;
                const int i = son[c];
                prnt[i] = int16_t(l);
                if (i < T)
                    prnt[i + 1] = int16_t(l);
                const int j = son[l];
                son[l] = int16_t(i);
                prnt[j] = int16_t(c);
                if (j < T)
                    prnt[j + 1] = int16_t(c);
                son[c] = int16_t(j);
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }
};

// Most significant bit first; bytes past the end read as 0.
class BitReader
{
public:
    BitReader(const uint8_t* data, qsizetype size) : m_data(data), m_size(size) {}

    int bit()
    {
        if (m_count == 0)
            refill();
        const int b = int(m_buffer >> 63);
        m_buffer <<= 1;
        --m_count;
        return b;
    }

    unsigned bits(int n)
    {
        if (m_count < n)
            refill();
        const unsigned v = unsigned(m_buffer >> (64 - n));
        m_buffer <<= n;
        m_count -= n;
        return v;
    }

    // Bytes consumed beyond the end of the data (whole bytes taken, rounded up).
    qint64 pastEnd() const
    {
        const qint64 consumed = (m_position * 8 - m_count + 7) / 8;
        return consumed - m_size;
    }
    bool maybePastEnd() const { return m_position > m_size; }

private:
    void refill()
    {
        while (m_count <= 56) {
            const uint64_t byte = m_position < m_size ? m_data[m_position] : 0;
            ++m_position;
            m_buffer |= byte << (56 - m_count);
            m_count += 8;
        }
    }

    const uint8_t* m_data;
    qsizetype m_size;
    qsizetype m_position = 0;
    uint64_t m_buffer = 0;
    int m_count = 0;
};

class BitWriter
{
public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}

    void put(int n, uint32_t value)
    {
        for (int i = n - 1; i >= 0; --i) {
            m_byte = uint8_t((m_byte << 1) | ((value >> i) & 1));
            if (++m_count == 8) {
                m_out.append(char(m_byte));
                m_count = 0;
                m_byte = 0;
            }
        }
    }

    void flush()
    {
        if (m_count > 0)
            m_out.append(char(m_byte << (8 - m_count)));
        m_count = 0;
        m_byte = 0;
    }

private:
    QByteArray& m_out;
    uint8_t m_byte = 0;
    int m_count = 0;
};

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

qint64 TLZH::MaxDecodedSize(qint64 size)
{
    if (size < 0)
        return 0;
    return ((size + ZeroTail) * 8 / 10 + 1) * MaxMatch;
}

bool TLZH::Decode(const char* data, qsizetype size, qint64 length, QByteArray* out, QString* error)
{
    if (length < 0 || length > MaxDecodedSize(size)) {
        setError(error,
                 QStringLiteral("Сжатые данные повреждены: заявленная длина %1 байт невозможна для "
                                "%2 байт сжатых данных.")
                     .arg(length)
                     .arg(size));
        return false;
    }
    try {
        out->resize(qsizetype(length));
    } catch (const std::bad_alloc&) {
        setError(error, QStringLiteral("LZH : Cannot get memory for dictionary tables"));
        return false;
    }
    if (length == 0)
        return true;

    const PositionCode& pc = positionCode();
    HuffmanTree tree;
    std::array<uint8_t, N> ring;
    std::memset(ring.data(), ' ', FirstOutput);
    std::memset(ring.data() + FirstOutput, 0, N - FirstOutput);

    BitReader in(reinterpret_cast<const uint8_t*>(data), size);
    auto* dst = reinterpret_cast<uint8_t*>(out->data());
    qint64 produced = 0;
    int r = FirstOutput;
    while (produced < length) {
        int c = tree.son[R];
        while (c < T)
            c = tree.son[c + in.bit()];
        c -= T;
        tree.update(c);
        if (c < 256) {
            dst[produced++] = ring[r] = uint8_t(c);
            r = (r + 1) & (N - 1);
        } else {
            unsigned i = in.bits(8);
            const unsigned upper = unsigned(pc.decode[i]) << 6;
            const int extra = pc.decodeLength[i] - 2;
            i = (i << extra) | in.bits(extra);
            const int position = int(upper | (i & 0x3F));
            const int from = (r - position - 1) & (N - 1);
            const int count = int(std::min<qint64>(c - 255 + Threshold, length - produced));
            for (int k = 0; k < count; ++k) {
                const uint8_t b = ring[(from + k) & (N - 1)];
                dst[produced++] = ring[r] = b;
                r = (r + 1) & (N - 1);
            }
        }
        if (in.maybePastEnd() && in.pastEnd() > ZeroTail) {
            out->clear();
            setError(error, QStringLiteral("Сжатые данные повреждены: они кончаются раньше, чем "
                                           "распакованы %1 байт.")
                                .arg(length));
            return false;
        }
    }
    return true;
}

QByteArray TLZH::Encode(const QByteArray& input)
{
    QByteArray out;
    if (input.isEmpty())
        return out;
    out.reserve(input.size() / 2 + 16);
    BitWriter writer(out);
    HuffmanTree tree;
    const PositionCode& pc = positionCode();

    // The text as the decoder's ring sees it: 4036 spaces, then the input. Positions in this
    // buffer are linear; the ring only limits how far back a match may reach.
    const qsizetype total = FirstOutput + input.size();
    std::vector<uint8_t> text(size_t(total), uint8_t(' '));
    std::memcpy(text.data() + FirstOutput, input.constData(), size_t(input.size()));

    constexpr int HashBits = 15;
    constexpr int MaxChain = 96;
    std::vector<int32_t> head(size_t(1) << HashBits, -1);
    std::vector<int32_t> previous(size_t(total), -1);
    auto hashAt = [&](qsizetype p) {
        const uint32_t v = uint32_t(text[size_t(p)]) << 16 | uint32_t(text[size_t(p) + 1]) << 8 |
                           text[size_t(p) + 2];
        return (v * 2654435761u) >> (32 - HashBits);
    };
    auto insert = [&](qsizetype p) {
        if (p + 2 >= total)
            return;
        const uint32_t h = hashAt(p);
        previous[size_t(p)] = head[h];
        head[h] = int32_t(p);
    };

    std::array<int, T> path;
    auto encodeSymbol = [&](int c) {
        int depth = 0;
        for (int k = tree.prnt[c + T]; k != R; k = tree.prnt[k])
            path[size_t(depth++)] = k & 1; // an odd address is the bigger son
        while (depth > 0)
            writer.put(1, uint32_t(path[size_t(--depth)]));
        tree.update(c);
    };

    // The spaces before the text can be matched like any earlier text.
    for (qsizetype p = 0; p < FirstOutput; ++p)
        insert(p);

    qsizetype pos = FirstOutput;
    while (pos < total) {
        const int limit = int(std::min<qsizetype>(F, total - pos));
        int bestLength = 0;
        int bestDistance = 0;
        if (limit > Threshold) {
            int chain = MaxChain;
            for (int32_t cand = head[hashAt(pos)]; cand >= 0 && chain-- > 0;
                 cand = previous[size_t(cand)]) {
                const qsizetype distance = pos - cand;
                if (distance >= N) // position codes go up to 4094, a distance of 4095
                    break;
                if (text[size_t(cand) + size_t(bestLength)] !=
                    text[size_t(pos) + size_t(bestLength)])
                    continue;
                int len = 0;
                while (len < limit &&
                       text[size_t(cand) + size_t(len)] == text[size_t(pos) + size_t(len)])
                    ++len;
                if (len > bestLength) {
                    bestLength = len;
                    bestDistance = int(distance);
                    if (len == limit)
                        break;
                }
            }
        }
        if (bestLength > Threshold) {
            encodeSymbol(255 - Threshold + bestLength);
            const int position = bestDistance - 1;
            const int upper = position >> 6;
            writer.put(pc.length[size_t(upper)],
                       uint32_t(pc.code[size_t(upper)] >> (8 - pc.length[size_t(upper)])));
            writer.put(6, uint32_t(position & 0x3F));
            for (int k = 0; k < bestLength; ++k)
                insert(pos + k);
            pos += bestLength;
        } else {
            encodeSymbol(text[size_t(pos)]);
            insert(pos);
            ++pos;
        }
    }
    writer.flush();
    return out;
}
