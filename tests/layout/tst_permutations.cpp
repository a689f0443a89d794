#include "uniquepermutationssequence.h"

#include <QTest>

using namespace marquetrix::layout;

namespace {

QStringList orderings(const std::string &letters, std::size_t minLength, std::size_t maxLength)
{
    UniquePermutationsSequence<char> sequence(std::vector<char>(letters.begin(), letters.end()),
                                              minLength, maxLength);
    QStringList result;
    auto it = sequence.iterator();
    while (auto next = it.next())
        result << QString::fromStdString(std::string(next->begin(), next->end()));
    // Once ended it stays ended.
    if (it.next())
        result << "!";
    return result;
}

} // namespace

class TestPermutations : public QObject
{
    Q_OBJECT

private slots:
    void sequence_data()
    {
        QTest::addColumn<QString>("elements");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("empty") << "" << 0 << QStringList{""};
        QTest::newRow("single") << "a" << 1 << QStringList{"a"};
        QTest::newRow("all equal") << "aaaa" << 4 << QStringList{"aaaa"};
        QTest::newRow("distinct") << "abc" << 3
                                  << QStringList{"abc", "acb", "bac", "bca", "cab", "cba"};
        QTest::newRow("pairs") << "aabb" << 4
                               << QStringList{"aabb", "abab", "abba", "baab", "baba", "bbaa"};
        QTest::newRow("equal ones merged by first occurrence")
            << "aba" << 3 << QStringList{"aab", "aba", "baa"};
        QTest::newRow("too long") << "ab" << 3 << QStringList{};
    }

    void sequence()
    {
        QFETCH(QString, elements);
        QFETCH(int, length);
        QFETCH(QStringList, expected);
        QCOMPARE(orderings(elements.toStdString(), std::size_t(length), std::size_t(length)),
                 expected);
    }

    // The ratios example: equal ratios stand for one position, so three orderings, not six.
    void floatRatios()
    {
        UniquePermutationsSequence<float> sequence({1.77778f, 1.33333f, 1.77778f}, 3);
        std::vector<std::vector<float>> produced;
        auto it = sequence.iterator();
        while (auto next = it.next())
            produced.push_back(*next);
        QCOMPARE(produced, (std::vector<std::vector<float>>{{1.77778f, 1.77778f, 1.33333f},
                                                            {1.77778f, 1.33333f, 1.77778f},
                                                            {1.33333f, 1.77778f, 1.77778f}}));
        QCOMPARE(sequence.elements(), (std::vector<float>{1.77778f, 1.33333f, 1.77778f}));
    }

    // A range of lengths runs through the shortest orderings first; the upper bound of the
    // stepping makes changes behind the first L entries not count.
    void lengthRange()
    {
        QCOMPARE(orderings("abc", 1, 2),
                 (QStringList{"a", "b", "c", "ab", "ac", "ba", "bc", "ca", "cb"}));
        QCOMPARE(orderings("ab", 0, 5), (QStringList{"", "a", "b", "ab", "ba"}));
    }

    // Iterating twice gives the same order (the search counts first, then uses them).
    void repeatable()
    {
        UniquePermutationsSequence<int> sequence({3, 1, 3, 2, 1}, 5);
        auto collect = [&] {
            std::vector<std::vector<int>> all;
            auto it = sequence.iterator();
            while (auto next = it.next())
                all.push_back(*next);
            return all;
        };
        const auto first = collect();
        QCOMPARE(first.size(), 30u); // 5! / (2! 2!)
        QCOMPARE(collect(), first);
    }
};

QTEST_APPLESS_MAIN(TestPermutations)
#include "tst_permutations.moc"
