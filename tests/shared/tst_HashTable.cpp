#include "shared/SeededHash.h"
#include "shared/tHashTable.h"

#include <QtTest>

#include <functional>

namespace {

// Every key the iterator stands on, in order, through the usual IsValid/Next walk.
QList<QByteArray> Walk(tHashTable &table)
{
    QList<QByteArray> keys;
    auto it = table.NewIterator();
    for (int guard = 0; it->IsValid() && guard <= table.Count(); ++guard) {
        keys << it->GetKey();
        it->Next();
    }
    return keys;
}

// Runs an operation that must raise and returns the error's message.
QString RaisedMessage(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const EHashTableError &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

QByteArray KeyNumber(int n)
{
    return "key" + QByteArray::number(n);
}

} // namespace

class TestHashTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hashOfKey_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<quint32>("hash");
        QTest::newRow("empty") << QByteArray() << 0u;
        QTest::newRow("one byte") << QByteArray("a") << 97u;
        QTest::newRow("two bytes") << QByteArray("ab") << 3299u;
        QTest::newRow("three bytes take the terminator into their word")
            << QByteArray("abc") << 6513249u;
        QTest::newRow("four bytes are one word and no trailing step")
            << QByteArray("abcd") << 0x64636261u;
        QTest::newRow("one word and one trailing byte") << QByteArray("abcde") << 4040142566u;
        QTest::newRow("seven bytes are two words, the second with the terminator")
            << QByteArray("abcdefg") << 2266567439u;
        QTest::newRow("bytes are unsigned") << QByteArray("\xFF") << 255u;
        QTest::newRow("high bytes in a word") << QByteArray("\xFF\xFF\xFF") << 0x00FFFFFFu;
        QTest::newRow("an embedded zero is part of the key")
            << QByteArray("a\0b", 3) << 0x00620061u;
    }

    void hashOfKey()
    {
        QFETCH(QByteArray, key);
        QFETCH(quint32, hash);
        QCOMPARE(tHashTable::Hash(key), hash);
    }

    // The reference outputs of SipHash-2-4 under the key 00 01 .. 0f for the message
    // 00 01 .. of each length: no bytes, a partial word, a whole one and one short of two.
    void sipHashMatchesTheReferenceVectors_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<quint64>("hash");
        QTest::newRow("empty") << 0 << Q_UINT64_C(0x726fdb47dd0e0e31);
        QTest::newRow("one byte") << 1 << Q_UINT64_C(0x74f839c593dc67fd);
        QTest::newRow("one word") << 8 << Q_UINT64_C(0x93f5f5799a932462);
        QTest::newRow("fifteen bytes") << 15 << Q_UINT64_C(0xa129ca6149be45e5);
    }

    void sipHashMatchesTheReferenceVectors()
    {
        QFETCH(int, length);
        QFETCH(quint64, hash);
        QByteArray message;
        for (int i = 0; i < length; ++i)
            message.append(char(i));
        QCOMPARE(SipHash24(Q_UINT64_C(0x0706050403020100), Q_UINT64_C(0x0f0e0d0c0b0a0908), message), hash);
    }

    void seededHashDependsOnlyOnTheBytes()
    {
        const QByteArray symbol = "IBM";
        QCOMPARE(SeededHash(QByteArrayView("xIBMx").sliced(1, 3)), SeededHash(symbol));
        QVERIFY(SeededHash(symbol) != SeededHash(QByteArrayView("IBN")));
        QCOMPARE(SeededHash(QStringView(u"IBM")), SeededHash(QString::fromLatin1(symbol)));
    }

    void tableWithoutBucketsAnswersAndGrowsOnFirstStore()
    {
        tHashTable table(0);
        QCOMPARE(table.BucketCount(), 0);
        QCOMPARE(table.Get("x"), QByteArray());
        QVERIFY(!table.ContainsKey("x"));
        QVERIFY(!table.ContainsValue(""));
        QCOMPARE(table.Remove("x"), QByteArray());
        QCOMPARE(table.ChangeCounter(), 0u);

        QVERIFY(table.Store("x", "1"));
        QCOMPARE(table.BucketCount(), 3);
        QCOMPARE(table.Count(), 1);
        QCOMPARE(table.Get("x"), QByteArray("1"));
        // The new key and the growth each move the counter.
        QCOMPARE(table.ChangeCounter(), 2u);
    }

    void bucketCountGrowsAtThreeQuartersLoad()
    {
        const QList<int> expectedSizes{3, 7, 13, 22, 36, 57, 88, 135, 205, 310};
        const QList<int> expectedGrowthAt{1, 3, 6, 10, 17, 28, 43, 67, 102, 154};
        QList<int> sizes;
        QList<int> growthAt;
        tHashTable table(0);
        for (int n = 1; n <= 200; ++n) {
            const int before = table.BucketCount();
            table.Put(KeyNumber(n), QByteArray::number(n));
            if (table.BucketCount() != before) {
                sizes << table.BucketCount();
                growthAt << n;
            }
        }
        QCOMPARE(sizes, expectedSizes);
        QCOMPARE(growthAt, expectedGrowthAt);
        QCOMPARE(table.Count(), 200);
        for (int n = 1; n <= 200; ++n)
            QCOMPARE(table.Get(KeyNumber(n)), QByteArray::number(n));
    }

    void givenInitialSizeIsKeptUntilTheLoadIsExceeded()
    {
        tHashTable table(10);
        QCOMPARE(table.BucketCount(), 10);
        for (int n = 1; n <= 7; ++n)
            table.Put(KeyNumber(n), "v");
        QCOMPARE(table.BucketCount(), 10);
        table.Put(KeyNumber(8), "v");
        QCOMPARE(table.BucketCount(), 18);
    }

    void storeReplacesAnExistingValue()
    {
        tHashTable table(0);
        QVERIFY(table.Store("Symbol", "IBM"));
        auto it = table.NewIterator();
        QVERIFY(!table.Store("Symbol", "MSFT"));
        QCOMPARE(table.Count(), 1);
        QCOMPARE(table.Get("Symbol"), QByteArray("MSFT"));
        QVERIFY(it->StillValid());
        QCOMPARE(it->GetValue(), QByteArray("MSFT"));
        table.Put("Symbol", "AAPL");
        QCOMPARE(table.Get("Symbol"), QByteArray("AAPL"));
        QCOMPARE(table.Count(), 1);

        // Setting a value through one iterator leaves the others valid too.
        auto other = table.NewIterator();
        it->SetValue("GOOG");
        QCOMPARE(table.Get("Symbol"), QByteArray("GOOG"));
        QVERIFY(other->StillValid());
        QVERIFY(table.ContainsValue("GOOG"));
        QVERIFY(!table.ContainsValue("AAPL"));
    }

    // Keys are compared exactly; an absent key and an empty value read alike.
    void lookUpsAreExact()
    {
        tHashTable table(0);
        table.Put("Symbol", "upper");
        table.Put("symbol", "lower");
        table.Put(QByteArray("a\0b", 3), "with zero");
        QCOMPARE(table.Count(), 3);
        table.Put("empty", "");
        const struct
        {
            QByteArray Key;
            bool There;
            QByteArray Value;
        } lookUps[] = {{"Symbol", true, "upper"},   {"symbol", true, "lower"},
                       {"SYMBOL", false, {}},       {"a", false, {}},
                       {QByteArray("a\0b", 3), true, "with zero"},
                       {"empty", true, {}},         {"absent", false, {}}};
        for (const auto &lookUp : lookUps) {
            QCOMPARE(table.ContainsKey(lookUp.Key), lookUp.There);
            QCOMPARE(table.Get(lookUp.Key), lookUp.Value);
        }
        QVERIFY(table.ContainsValue(""));
        QVERIFY(!table.ContainsValue("empty"));
    }

    void removeOnlyInvalidatesIteratorsWhenSomethingIsRemoved()
    {
        tHashTable table(0);
        table.Put("a", "1");
        table.Put("b", "2");
        auto it = table.NewIterator();
        QCOMPARE(table.Remove("absent"), QByteArray());
        QVERIFY(it->StillValid());
        QCOMPARE(table.Count(), 2);

        QCOMPARE(table.Remove("a"), QByteArray("1"));
        QVERIFY(!it->StillValid());
        QCOMPARE(table.Count(), 1);
        QVERIFY(!table.ContainsKey("a"));
        QCOMPARE(table.Get("b"), QByteArray("2"));
    }

    void removeUnlinksFromAnyPlaceInAChain()
    {
        // "a" and "h" share bucket 6 of 7; the later one heads the chain.
        tHashTable table(7);
        table.Put("a", "first");
        table.Put("h", "second");
        table.Put("o", "third");
        QCOMPARE(Walk(table), (QList<QByteArray>{"o", "h", "a"}));
        QCOMPARE(table.Remove("h"), QByteArray("second"));
        QCOMPARE(Walk(table), (QList<QByteArray>{"o", "a"}));
        QCOMPARE(table.Remove("o"), QByteArray("third"));
        QCOMPARE(table.Remove("a"), QByteArray("first"));
        QCOMPARE(table.Count(), 0);
        QVERIFY(Walk(table).isEmpty());
    }

    void clearKeepsTheBucketsAndInvalidatesIterators()
    {
        tHashTable table(0);
        for (int n = 1; n <= 5; ++n)
            table.Put(KeyNumber(n), "v");
        const int buckets = table.BucketCount();
        auto it = table.NewIterator();
        table.Clear();
        QCOMPARE(table.Count(), 0);
        QCOMPARE(table.BucketCount(), buckets);
        QVERIFY(!table.ContainsKey(KeyNumber(1)));
        QVERIFY(!it->StillValid());
        table.Put("again", "yes");
        QCOMPARE(table.Get("again"), QByteArray("yes"));
    }

    void iterationFollowsBucketsThenChains()
    {
        // From no buckets: "a" lands in bucket 1 of 3 and "b" in bucket 2; storing "c"
        // grows to 7 buckets, where "b" moves to 0, "a" to 6 and "c" joins bucket 1.
        tHashTable table(0);
        table.Put("a", "1");
        table.Put("b", "2");
        QCOMPARE(Walk(table), (QList<QByteArray>{"a", "b"}));
        table.Put("c", "3");
        QCOMPARE(table.BucketCount(), 7);
        QCOMPARE(Walk(table), (QList<QByteArray>{"b", "c", "a"}));
    }

    void resizeRelinksEachChainInFront()
    {
        tHashTable table(7);
        table.Put("a", "1");
        table.Put("h", "2");
        QCOMPARE(Walk(table), (QList<QByteArray>{"h", "a"}));
        table.Resize(7);
        QCOMPARE(Walk(table), (QList<QByteArray>{"a", "h"}));
        QCOMPARE(table.Get("a"), QByteArray("1"));
        QCOMPARE(table.Get("h"), QByteArray("2"));
    }

    void resizeToNoBucketsIsRefusedWhilePairsAreHeld()
    {
        tHashTable table(0);
        table.Put("a", "1");
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, table.Resize(0));
        QCOMPARE(table.Get("a"), QByteArray("1"));

        tHashTable empty(5);
        empty.Resize(0);
        QCOMPARE(empty.BucketCount(), 0);
        QVERIFY(empty.Store("b", "2"));
        QCOMPARE(empty.BucketCount(), 3);
    }

    void iteratorOnAnEmptyTable()
    {
        tHashTable table(0);
        auto it = table.NewIterator();
        QVERIFY(!it->IsValid());
        QVERIFY(!it->HasMore());
        QCOMPARE(it->GetKey(), QByteArray());
        QCOMPARE(it->GetValue(), QByteArray());
        it->Next();
        it->Delete();
        QVERIFY(it->StillValid());
        QCOMPARE(RaisedMessage([&] { it->SetValue("x"); }),
                 QStringLiteral("The entry is not valid"));
    }

    void aWalkVisitsEveryEntryOnce_data()
    {
        QTest::addColumn<int>("entries");
        // The walk deletes the entries whose value this divides; none for 0.
        QTest::addColumn<int>("deleteEvery");
        QTest::newRow("reading") << 50 << 0;
        QTest::newRow("deleting every entry") << 20 << 1;
        QTest::newRow("deleting some, keeping the rest") << 40 << 2;
    }

    void aWalkVisitsEveryEntryOnce()
    {
        QFETCH(int, entries);
        QFETCH(int, deleteEvery);
        tHashTable table(0);
        for (int n = 1; n <= entries; ++n)
            table.Put(KeyNumber(n), QByteArray::number(n));
        auto other = table.NewIterator();
        auto it = table.NewIterator();
        QSet<QByteArray> seen;
        int hasMoreCount = 0;
        for (int guard = 0; it->IsValid() && guard < entries + 10; ++guard) {
            QCOMPARE(table.Get(it->GetKey()), it->GetValue());
            seen.insert(it->GetKey());
            hasMoreCount += it->HasMore() ? 1 : 0;
            if (deleteEvery > 0 && it->GetValue().toInt() % deleteEvery == 0) {
                it->Delete();
                QVERIFY(it->StillValid());
            }
            it->Next();
        }
        QCOMPARE(seen.size(), entries);
        QCOMPARE(table.Count(), deleteEvery == 0 ? entries : entries - entries / deleteEvery);
        for (int n = 1; n <= entries; ++n)
            QCOMPARE(table.ContainsKey(KeyNumber(n)), deleteEvery == 0 || n % deleteEvery != 0);
        if (deleteEvery == 0) {
            // Every entry but the last has one after it.
            QCOMPARE(hasMoreCount, entries - 1);
            QVERIFY(other->StillValid());
            return;
        }

        QVERIFY(!other->StillValid());
        const QString invalid = QStringLiteral("Iterator no longer valid");
        QCOMPARE(RaisedMessage([&] { other->Next(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->Delete(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->HasMore(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->GetKey(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->GetValue(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->IsValid(); }), invalid);
        QCOMPARE(RaisedMessage([&] { other->SetValue("x"); }), invalid);
        // Raising changes nothing: the iterator stays invalid.
        QVERIFY(!other->StillValid());
    }

    void nextPastTheEndLeavesNoCurrentEntry()
    {
        tHashTable table(0);
        table.Put("only", "1");
        auto it = table.NewIterator();
        QVERIFY(it->IsValid());
        QVERIFY(!it->HasMore());
        it->Next();
        QVERIFY(!it->IsValid());
        QCOMPARE(it->GetKey(), QByteArray());
        QCOMPARE(it->GetValue(), QByteArray());
        it->Next();
        QVERIFY(!it->IsValid());
        QCOMPARE(RaisedMessage([&] { it->SetValue("x"); }),
                 QStringLiteral("The entry is not valid"));
        QCOMPARE(table.Get("only"), QByteArray("1"));
    }

    void deleteMarksTheSuccessor()
    {
        tHashTable table(0);
        table.Put("a", "1");
        table.Put("b", "2");
        auto it = table.NewIterator();
        const QByteArray first = it->GetKey();
        it->Delete();
        // The iterator now stands, unreadable, on the successor.
        QVERIFY(!it->IsValid());
        QVERIFY(it->HasMore());
        QCOMPARE(it->GetKey(), QByteArray());
        QCOMPARE(RaisedMessage([&] { it->SetValue("x"); }),
                 QStringLiteral("The entry is not valid"));
        // A second Delete before Next removes nothing more.
        it->Delete();
        QCOMPARE(table.Count(), 1);

        it->Next();
        QVERIFY(it->IsValid());
        QVERIFY(it->GetKey() != first);
        QVERIFY(!it->HasMore());
        it->SetValue("set after delete");
        QCOMPARE(table.Get(it->GetKey()), QByteArray("set after delete"));

        it->Delete();
        QVERIFY(!it->HasMore());
        it->Next();
        QVERIFY(!it->IsValid());
        QCOMPARE(table.Count(), 0);
    }

    void pairsSurviveRemovalsClearsAndRefills_data()
    {
        QTest::addColumn<int>("keys");
        QTest::newRow("within the first block") << 5;
        QTest::newRow("one past the first block") << 9;
        QTest::newRow("a top list's fields") << 700;
        QTest::newRow("past the largest block") << 1500;
    }

    // Freed nodes are taken again by new ones: every pair must still read back as the
    // same model kept alongside says, through removals, a clear and two refills.
    void pairsSurviveRemovalsClearsAndRefills()
    {
        QFETCH(int, keys);
        tHashTable table;
        QHash<QByteArray, QByteArray> model;
        const auto put = [&](const QByteArray &key, const QByteArray &value) {
            table.Put(key, value);
            model.insert(key, value);
        };
        const auto same = [&] {
            if (table.Count() != model.size())
                return false;
            for (auto it = model.cbegin(); it != model.cend(); ++it)
                if (!table.ContainsKey(it.key()) || table.Get(it.key()) != it.value())
                    return false;
            return true;
        };
        for (int i = 0; i < keys; ++i)
            put("k" + QByteArray::number(i), "v" + QByteArray::number(i));
        for (int i = 0; i < keys; i += 2) {
            const QByteArray key = "k" + QByteArray::number(i);
            QCOMPARE(table.Remove(key), model.take(key));
        }
        for (int i = 0; i < keys; ++i)
            put("n" + QByteArray::number(i), "w" + QByteArray::number(i));
        QVERIFY(same());
        table.Clear();
        model.clear();
        QVERIFY(same());
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < keys; ++i)
                put("k" + QByteArray::number(i), QByteArray::number(round * keys + i));
        QVERIFY(same());
    }

    void storingANewKeyInvalidatesIterators()
    {
        tHashTable table(10);
        table.Put("a", "1");
        auto it = table.NewIterator();
        table.Put("b", "2");
        QVERIFY(!it->StillValid());
        QCOMPARE(RaisedMessage([&] { it->Next(); }), QStringLiteral("Iterator no longer valid"));

        auto fresh = table.NewIterator();
        table.Resize(table.BucketCount());
        QVERIFY(!fresh->StillValid());
    }
};

QTEST_GUILESS_MAIN(TestHashTable)
#include "tst_HashTable.moc"
