#include "literalsearch.h"

#include "buildtrees.h"
#include "errornode.h"
#include "floatformat.h"
#include "layoutsearch.h"
#include "leafnode.h"
#include "ratiorules.h"
#include "uniquepermutationssequence.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <unordered_set>
#include <vector>

namespace marquetrix::layout::testing {

NodePtr findLayoutLiteral(const SearchInput &input, LayoutCache &cache, LogSink &log)
{
    std::vector<float> A;
    for (const VideoInput &video : input.videos) {
        if (video.isClosed)
            continue;
        const float r = video.overriddenAR != 0.0f
                            ? video.overriddenAR
                            : static_cast<float>(video.width) / static_cast<float>(video.height);
        A.push_back(snapAspectRatio(r));
    }
    const std::size_t n = A.size();

    if (cache.lastLayout && cache.viewConfig.viewWidth == input.viewWidth &&
        cache.viewConfig.viewHeight == input.viewHeight && cache.viewConfig.aspectRatios == A &&
        cache.viewConfig.layoutAlgorithm == input.layoutAlgorithm) {
        log.log(LogLevel::Info, "Using cached view");
        return cache.lastLayout;
    }

    const auto start = std::chrono::steady_clock::now();
    UniquePermutationsSequence<float> sequence(A, n);

    const float t = input.viewWidth / input.viewHeight;
    const float tc = std::min(std::max(t, 0.5f), 3.5555556f);
    log.log(LogLevel::Info, formatLog("Target aspect ratio: %f (%fx%f)", double(t),
                                      double(input.viewWidth), double(input.viewHeight)));

    long P = 0;
    for (auto it = sequence.iterator(); it.next();)
        ++P;
    const long Q = 120 / P;

    const float T = n <= 3 ? 20.0f : (n <= 6 ? 3.5f : 1.7f);

    std::vector<NodePtr> C, F;
    std::unordered_set<std::string> S;
    long p = 0, rejected = 0;
    const auto closer = [t](const NodePtr &x, const NodePtr &y) {
        return closeness(x->aspectRatio(), t) > closeness(y->aspectRatio(), t);
    };
    auto it = sequence.iterator();
    while (auto permutation = it.next()) {
        // a. Mirror rule.
        if (n >= 5) {
            std::string forwards, backwards;
            for (std::size_t k = 0; k < n; ++k) {
                forwards += (k ? "." : "") + formatFloat((*permutation)[k]);
                backwards += (k ? "." : "") + formatFloat((*permutation)[n - 1 - k]);
            }
            if (S.count(backwards))
                continue;
            S.insert(forwards);
        }
        std::vector<NodePtr> leaves;
        for (float ratio : *permutation)
            leaves.push_back(std::make_shared<LeafNode>(ratio, 1.0f));
        const std::vector<NodePtr> trees = buildTrees(leaves);
        if (trees.empty())
            continue;
        // c. First filter.
        std::vector<NodePtr> good;
        NodePtr best = trees.front();
        float bestValue = 1e10f;
        for (const NodePtr &tree : trees) {
            const float a = tree->aspectRatio();
            const float m = mismatch(a, t);
            if (m < T)
                good.push_back(tree);
            if (m < bestValue) {
                bestValue = m;
                best = tree;
            }
        }
        F.push_back(best);
        std::stable_sort(good.begin(), good.end(), closer);
        if (good.empty())
            continue;
        // 8. Second filter.
        const float g = good.front()->aspectRatio();
        float tau = 1.3f;
        while (true) {
            long accepted = 0;
            for (const NodePtr &tree : good) {
                const float a = tree->aspectRatio();
                if (mismatch(a, g) > tau + 0.4f)
                    break;
                if (input.videos.size() >= 5) {
                    if (!(mismatch(a, tc) <= tau))
                        continue;
                    if ((Q <= 2 && accepted >= 4) || (Q >= 3 && accepted > Q))
                        break;
                }
                tree->distributeSize(1.0f);
                if (tree->sizeRatio() <= 7.0f) {
                    C.push_back(tree);
                    ++accepted;
                } else {
                    ++rejected;
                }
            }
            if (accepted > 0 || tau > 2.0f)
                break;
            tau += 0.1f;
        }
        if (C.size() >= 141)
            break;
        ++p;
    }

    log.log(LogLevel::Info, formatLog("Layout: p=%ld, l=%ld", p, static_cast<long>(C.size())));

    NodePtr result;
    if (C.size() == 1) {
        result = C.front();
    } else if (C.size() >= 2) {
        std::vector<NodePtr> list = C;
        if (input.layoutAlgorithm != LayoutAlgorithm::VideoSizes) {
            std::stable_sort(list.begin(), list.end(), closer);
            if (list.size() > 61)
                list.resize(61);
        }
        log.log(LogLevel::Debug, formatLog("Have %ld candidates", static_cast<long>(list.size())));
        if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage) {
            std::stable_sort(list.begin(), list.end(), [&](const NodePtr &x, const NodePtr &y) {
                return x->sizeRatio() != y->sizeRatio()
                           ? x->sizeRatio() < y->sizeRatio()
                           : closer(x, y);
            });
        }
        result = list.front();
        result->distributeSize(1.0f);
        log.log(LogLevel::Info,
                formatLog("Returning layout with aspect ratio %f, target aspect ratio %f and "
                          "size ratio %f",
                          double(result->aspectRatio()), double(t),
                          double(result->sizeRatio())));
        if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            log.log(LogLevel::Info, formatLog("Found %ld layouts in %f s. Rejected %ld",
                                              static_cast<long>(C.size()), seconds, rejected));
            cache.viewConfig = {input.viewWidth, input.viewHeight, A, input.layoutAlgorithm};
            cache.lastLayout = result;
        }
        return result;
    } else if (F.empty()) {
        return std::make_shared<ErrorNode>();
    } else {
        log.log(LogLevel::Info, "Found no great solutions. Resorting to non-ideal solutions.");
        result = pickFallback(F, t);
    }
    result->distributeSize(1.0f);
    return result;
}

} // namespace marquetrix::layout::testing
