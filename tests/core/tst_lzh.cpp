#include "skin/LZH.h"

#include <QRandomGenerator>
#include <QTest>

class TestLZH : public QObject
{
    Q_OBJECT

private:
    static QByteArray roundTrip(const QByteArray& input)
    {
        const QByteArray packed = TLZH::Encode(input);
        QByteArray out;
        QString error;
        if (!TLZH::Decode(packed.constData(), packed.size(), input.size(), &out, &error))
            qWarning("decode failed: %s", qPrintable(error));
        return out;
    }

    static QByteArray randomBytes(qsizetype size, quint32 seed)
    {
        QRandomGenerator random(seed);
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& c : bytes)
            c = char(random.bounded(256));
        return bytes;
    }

private slots:
    void roundTrips_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("A");
        QTest::newRow("one space") << QByteArray(" ");
        QTest::newRow("spaces, matched against the ring's start") << QByteArray(5000, ' ');
        QTest::newRow("one repeated byte, 1 MB") << QByteArray(1024 * 1024, 'x');
        QByteArray pattern;
        for (int i = 0; pattern.size() < 300000; ++i)
            pattern += QByteArray::number(i % 97) + "abcabcabc\r\n";
        QTest::newRow("repetitive text") << pattern;
        QByteArray all;
        for (int i = 0; i < 256 * 40; ++i)
            all += char(i * 7 % 256);
        QTest::newRow("every byte value") << all;
        QTest::newRow("random 1 KB") << randomBytes(1024, 1);
        QTest::newRow("random 1 MB") << randomBytes(1024 * 1024, 2);
        // Far-apart repeats reach the farthest distances the ring allows.
        QByteArray far = randomBytes(4095, 3);
        far += far.left(200) + randomBytes(3000, 4) + far;
        QTest::newRow("repeats at the ring's edge") << far;
    }

    void roundTrips()
    {
        QFETCH(QByteArray, input);
        QCOMPARE(roundTrip(input), input);
    }

    // Hand-derived from the method itself, so the format does not hinge on our own encoder
    // agreeing with our own decoder. In the starting tree, the sons of node j (314 … 626) are
    // nodes 2(j - 314) and 2(j - 314) + 1: "A" (leaf 65) is reached by 111001101; a three-byte
    // match (symbol 256) by 10001100, then position 0 as "000" and six zero bits.
    void knownStreams()
    {
        QCOMPARE(TLZH::Encode("A"), QByteArray("\xE6\x80", 2));
        QByteArray out;
        QVERIFY(TLZH::Decode("\xE6\x80", 2, 1, &out));
        QCOMPARE(out, QByteArray("A"));

        // Three spaces copy the spaces the ring starts with; the zero bits after the first
        // byte are read past the end of the data.
        QCOMPARE(TLZH::Encode("   "), QByteArray("\x8C\x00\x00", 3));
        QVERIFY(TLZH::Decode("\x8C", 1, 3, &out));
        QCOMPARE(out, QByteArray("   "));

        // Decoding stops at the requested length, also in the middle of a match.
        QVERIFY(TLZH::Decode("\x8C", 1, 2, &out));
        QCOMPARE(out, QByteArray("  "));
        QVERIFY(TLZH::Decode("", 0, 0, &out));
        QVERIFY(out.isEmpty());
    }

    void damagedStreamsAreRefused()
    {
        const QByteArray input = randomBytes(20000, 5);
        const QByteArray packed = TLZH::Encode(input);
        QByteArray out;
        QString error;

        // Cut in half: the rest would be made up of zero bits.
        QVERIFY(!TLZH::Decode(packed.constData(), packed.size() / 2, input.size(), &out, &error));
        QVERIFY(error.contains(QStringLiteral("повреждены")));
        QVERIFY(out.isEmpty());

        // A length no stream of that size could produce is refused before any allocation.
        error.clear();
        QVERIFY(!TLZH::Decode(packed.constData(), 10, 4000000000LL, &out, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!TLZH::Decode(packed.constData(), packed.size(), -1, &out, &error));
        QVERIFY(TLZH::MaxDecodedSize(10) < 2000);

        // Garbage decodes to garbage of the asked length or fails, but always ends.
        for (quint32 seed = 0; seed < 50; ++seed) {
            const QByteArray noise = randomBytes(64 + seed * 13, 100 + seed);
            if (TLZH::Decode(noise.constData(), noise.size(), 3000, &out))
                QCOMPARE(out.size(), 3000);
        }
    }
};

QTEST_GUILESS_MAIN(TestLZH)
#include "tst_lzh.moc"
