#include "mediaextractor.h"

#include "medialink.h"
#include "scriptmedialinks.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <QString>
#include <algorithm>
#include <array>
#include <climits>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <thread>
#include <unordered_set>

namespace marquetrix::resolver {

namespace {

constexpr std::ptrdiff_t maxParsesAtOnce = 4;
constexpr std::size_t trimAboveBytes = 256 * 1024;

constexpr std::array videoMetaProperties{"og:video", "og:video:url", "og:video:secure_url",
                                         "twitter:player:stream"};

struct DocFree
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};

using Document = std::unique_ptr<xmlDoc, DocFree>;

std::string_view text(const xmlChar *value)
{
    return value ? std::string_view(reinterpret_cast<const char *>(value)) : std::string_view();
}

bool isElement(const xmlNode *node, const char *name)
{
    return node->type == XML_ELEMENT_NODE && text(node->name) == name;
}

std::optional<std::string> attribute(const xmlNode *node, const char *name)
{
    xmlChar *value = xmlGetProp(node, reinterpret_cast<const xmlChar *>(name));
    if (!value) {
        return std::nullopt;
    }
    std::string copy(text(value));
    xmlFree(value);
    return copy;
}

// Depth-first, without recursion: the parser bounds the depth, but a stack per level
// would still be wasted on pathological pages.
template <typename Visit> void forEachElement(xmlNode *root, Visit visit)
{
    xmlNode *node = root;
    while (node) {
        if (node->type == XML_ELEMENT_NODE) {
            visit(node);
        }
        if (node->children && node->type == XML_ELEMENT_NODE) {
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent == root->parent ? nullptr : node->parent;
        }
        if (node) {
            node = node->next;
        }
    }
}

bool hasVideoAncestor(const xmlNode *node)
{
    for (const xmlNode *up = node->parent; up; up = up->parent) {
        if (isElement(up, "video")) {
            return true;
        }
    }
    return false;
}

bool isVideoMeta(const xmlNode *node)
{
    for (const char *key : {"property", "name"}) {
        const QString value = QString::fromStdString(attribute(node, key).value_or("")).toLower();
        for (const char *property : videoMetaProperties) {
            if (value == QLatin1String(property)) {
                return true;
            }
        }
    }
    return false;
}

std::string scriptText(const xmlNode *script)
{
    std::string content;
    for (const xmlNode *child = script->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            content += text(child->content);
        }
    }
    return content;
}

class MediaCollector
{
public:
    explicit MediaCollector(QUrl base) : m_base(std::move(base)) {}

    // Elements that name their source explicitly count whatever the URL looks like.
    void addSource(std::string_view reference) { add(reference, false); }
    // Links and strings count only when they name a media file.
    void addLink(std::string_view reference) { add(reference, true); }

    std::vector<std::string> take() { return std::move(m_urls); }

private:
    void add(std::string_view reference, bool needsMediaExtension)
    {
        const std::optional<QUrl> url = resolveReference(m_base, reference);
        if (!url || (needsMediaExtension && !hasMediaExtension(*url))) {
            return;
        }
        std::string encoded = encodedUrl(*url);
        if (m_seen.insert(encoded).second) {
            m_urls.push_back(std::move(encoded));
        }
    }

    QUrl m_base;
    std::vector<std::string> m_urls;
    std::unordered_set<std::string> m_seen;
};

QUrl documentBase(xmlNode *root, const QUrl &pageUrl)
{
    std::optional<QUrl> base;
    forEachElement(root, [&](const xmlNode *node) {
        if (!base && isElement(node, "base")) {
            if (const auto href = attribute(node, "href")) {
                base = resolveReference(pageUrl, *href);
            }
        }
    });
    return base.value_or(pageUrl);
}

std::vector<std::string> collectMedia(xmlNode *root, const QUrl &pageUrl)
{
    MediaCollector collector(documentBase(root, pageUrl));
    forEachElement(root, [&](const xmlNode *node) {
        if (isElement(node, "video") || (isElement(node, "source") && hasVideoAncestor(node))) {
            if (const auto src = attribute(node, "src")) {
                collector.addSource(*src);
            }
        } else if (isElement(node, "meta") && isVideoMeta(node)) {
            if (const auto content = attribute(node, "content")) {
                collector.addSource(*content);
            }
        } else if (isElement(node, "a")) {
            if (const auto href = attribute(node, "href")) {
                collector.addLink(*href);
            }
        } else if (isElement(node, "script")) {
            for (const std::string &candidate : scriptLinkCandidates(scriptText(node))) {
                collector.addLink(candidate);
            }
        }
    });
    return collector.take();
}

// The parser's tree takes about twenty times the page's size: with many workers, large
// pages parsed at once would add up to a lot of memory for no gain, since parsing is
// bound by the processor anyway. So parses take turns beyond a few at once.
class ParseSlot
{
public:
    ParseSlot() { turns().acquire(); }
    ~ParseSlot() { turns().release(); }
    ParseSlot(const ParseSlot &) = delete;
    ParseSlot &operator=(const ParseSlot &) = delete;

private:
    static std::counting_semaphore<maxParsesAtOnce> &turns()
    {
        static std::counting_semaphore<maxParsesAtOnce> available(
            std::clamp<std::ptrdiff_t>(std::thread::hardware_concurrency(), 1, maxParsesAtOnce));
        return available;
    }
};

} // namespace

std::vector<std::string> extractMediaUrls(const QUrl &pageUrl, std::string_view html,
                                          const std::string &charset)
{
    static std::once_flag parserReady;
    std::call_once(parserReady, [] { xmlInitParser(); });

    // The parser's own depth bound (no HTML_PARSE_HUGE) keeps hostile nesting cheap.
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                        HTML_PARSE_NONET | HTML_PARSE_NODEFDTD;
    const int size = static_cast<int>(std::min<std::size_t>(html.size(), INT_MAX));
    std::vector<std::string> urls;
    {
        const ParseSlot slot;
        Document doc(htmlReadMemory(html.data(), size, nullptr,
                                    charset.empty() ? nullptr : charset.c_str(), options));
        // A charset the parser does not know is no reason to give up on the page.
        if (!doc && !charset.empty()) {
            doc.reset(htmlReadMemory(html.data(), size, nullptr, nullptr, options));
        }
        if (xmlNode *root = doc ? xmlDocGetRootElement(doc.get()) : nullptr) {
            urls = collectMedia(root, pageUrl);
        }
    }
    // The service runs for long: the heap a large tree grew goes back to the system.
    if (html.size() > trimAboveBytes) {
        malloc_trim(0);
    }
    return urls;
}

} // namespace marquetrix::resolver
