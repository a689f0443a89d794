#include "buildtrees.h"
#include "errornode.h"
#include "floatformat.h"
#include "layoutnode.h"
#include "leafnode.h"

#include <QTest>

using namespace marquetrix::layout;

namespace {

NodePtr leaf(float ratio)
{
    return std::make_shared<LeafNode>(ratio, 1.0f);
}

NodePtr split(NodePtr a, NodePtr b, LayoutDirection direction)
{
    return std::make_shared<LayoutNode>(std::move(a), std::move(b), direction);
}

} // namespace

class TestLayoutTree : public QObject
{
    Q_OBJECT

private slots:
    void twoLeaves_data()
    {
        QTest::addColumn<float>("a1");
        QTest::addColumn<float>("a2");
        QTest::addColumn<int>("direction");
        QTest::addColumn<float>("aspect");
        QTest::addColumn<float>("first");
        QTest::addColumn<float>("second");
        QTest::addColumn<float>("sizeRatio");

        const int h = int(LayoutDirection::Horizontal);
        const int v = int(LayoutDirection::Vertical);
        QTest::newRow("16:9 side by side")
            << 16.f / 9 << 16.f / 9 << h << 32.f / 9 << .5f << .5f << 1.f;
        QTest::newRow("16:9 stacked") << 16.f / 9 << 16.f / 9 << v << 8.f / 9 << .5f << .5f << 1.f;
        QTest::newRow("2 and 0.5 side by side") << 2.f << .5f << h << 2.5f << .8f << .2f << 4.f;
        QTest::newRow("2 and 0.5 stacked") << 2.f << .5f << v << .4f << .2f << .8f << 4.f;
    }

    void twoLeaves()
    {
        QFETCH(float, a1);
        QFETCH(float, a2);
        QFETCH(int, direction);
        QFETCH(float, aspect);
        QFETCH(float, first);
        QFETCH(float, second);
        QFETCH(float, sizeRatio);

        const NodePtr node = split(leaf(a1), leaf(a2), LayoutDirection(direction));
        QCOMPARE(node->getAspectRatio(), aspect);
        QCOMPARE(node->getSizeRatio(), 1.0f); // before any distribution
        node->distributeSize(1.0f);
        const std::vector<float> sizes = node->getSizes();
        QCOMPARE(sizes.size(), 2u);
        QCOMPARE(sizes[0], first);
        QCOMPARE(sizes[1], second);
        QCOMPARE(node->getSizeRatio(), sizeRatio);
    }

    // The inner node gets its fraction of the outer share, and its own size ratio only
    // covers its own leaves.
    void nestedNodes()
    {
        const NodePtr inner = split(leaf(1.f), leaf(1.f), LayoutDirection::Vertical); // ratio 0.5
        const NodePtr outer = split(leaf(1.5f), inner, LayoutDirection::Horizontal);  // ratio 2
        QCOMPARE(outer->getAspectRatio(), 2.0f);
        outer->distributeSize(1.0f);
        const std::vector<float> sizes = outer->getSizes();
        QCOMPARE(sizes, (std::vector<float>{0.75f, 0.125f, 0.125f}));
        QCOMPARE(inner->getSizeRatio(), 1.0f);
        QCOMPARE(outer->getSizeRatio(), 6.0f);
    }

    // Leaves are shared between trees: the shares belong to whichever was distributed last,
    // while each node keeps the size ratio of its own last distribution.
    void sharedLeafKeepsLastShare()
    {
        const NodePtr a = leaf(2.f);
        const NodePtr b = leaf(.5f);
        const NodePtr sideBySide = split(a, b, LayoutDirection::Horizontal);
        const NodePtr stacked = split(a, b, LayoutDirection::Vertical);
        sideBySide->distributeSize(1.0f);
        stacked->distributeSize(0.5f);
        QCOMPARE(a->getSizes().front(), 0.1f);
        QCOMPARE(sideBySide->getSizes(), (std::vector<float>{0.1f, 0.4f}));
        QCOMPARE(sideBySide->getSizeRatio(), 4.0f);
    }

    void errorNode()
    {
        ErrorNode error;
        error.distributeSize(1.0f);
        QCOMPARE(error.getAspectRatio(), 1.0f);
        QCOMPARE(error.getSizeRatio(), 1.0f);
        QVERIFY(error.getSizes().empty());
        QVERIFY(error.isLeaf());
    }

    void description()
    {
        const NodePtr tree = split(leaf(1.77778f), leaf(1.33333f), LayoutDirection::Horizontal);
        QCOMPARE(
            tree->description(),
            std::string("H First: (Leaf: (1.77778)), Second: (Leaf: (1.33333)), AR: 3.1111102"));
        const NodePtr stacked =
            split(leaf(1.0f), split(leaf(2.0f), leaf(2.0f), LayoutDirection::Vertical),
                  LayoutDirection::Vertical);
        QCOMPARE(stacked->description(),
                 std::string("V First: (Leaf: (1.0)), Second: (V First: (Leaf: (2.0)), Second: "
                             "(Leaf: (2.0)), AR: 1.0), AR: 0.5"));
    }

    void floatText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1.0f << "1.0";
        QTest::newRow("snapped wide") << 1.77778f << "1.77778";
        QTest::newRow("exact 16/9") << 16.f / 9 << "1.7777778";
        QTest::newRow("portrait") << 0.5625f << "0.5625";
        QTest::newRow("large") << 1600.0f << "1600.0";
        QTest::newRow("tiny") << 0.00001f << "1e-05";
        QTest::newRow("huge") << 1e10f << "1e+10";
        QTest::newRow("negative") << -2.5f << "-2.5";
    }

    void floatText()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatFloat(value)), text);
        QCOMPARE(std::stof(formatFloat(value)), value);
    }

    void treeCounts()
    {
        const std::vector<std::size_t> expected{0, 1, 2, 8, 40, 64, 448, 1792};
        for (std::size_t n = 0; n < expected.size(); ++n) {
            std::vector<NodePtr> leaves;
            for (std::size_t k = 0; k < n; ++k)
                leaves.push_back(leaf(1.0f + float(k)));
            QCOMPARE(buildTrees(leaves).size(), expected[n]);
            QCOMPARE(treeCount(n), std::uint64_t(expected[n]));
        }
        QCOMPARE(treeCount(8), std::uint64_t(8832));
        QCOMPARE(treeCount(200), UINT64_MAX);
    }

    // Split points ascending, then left trees, then right trees, Horizontal before Vertical;
    // a single node becomes a new leaf, two nodes are used as given.
    void buildOrderForThree()
    {
        const std::vector<NodePtr> leaves{leaf(1.f), leaf(2.f), leaf(3.f)};
        const std::vector<NodePtr> trees = buildTrees(leaves);
        QStringList shapes;
        for (const NodePtr &tree : trees)
            shapes << QString::fromStdString(tree->description());
        QCOMPARE(shapes.first(), QString("H First: (Leaf: (1.0)), Second: (H First: (Leaf: (2.0)), "
                                         "Second: (Leaf: (3.0)), AR: 5.0), AR: 6.0"));
        QCOMPARE(shapes.at(1), QString("V First: (Leaf: (1.0)), Second: (H First: (Leaf: (2.0)), "
                                       "Second: (Leaf: (3.0)), AR: 5.0), AR: 0.8333333"));
        QVERIFY(shapes.at(2).startsWith("H First: (Leaf: (1.0)), Second: (V First:"));
        QVERIFY(shapes.at(4).startsWith("H First: (H First: (Leaf: (1.0)), Second: (Leaf: (2.0))"));
        QCOMPARE(trees.size(), 8u);

        auto *outer = dynamic_cast<LayoutNode *>(trees[0].get());
        QVERIFY(outer);
        QVERIFY(outer->first != leaves[0]); // a lone node is a new leaf
        auto *innerPair = dynamic_cast<LayoutNode *>(outer->second.get());
        QVERIFY(innerPair);
        QCOMPARE(innerPair->first, leaves[1]); // a pair uses its nodes as given
    }
};

QTEST_APPLESS_MAIN(TestLayoutTree)
#include "tst_layouttree.moc"
