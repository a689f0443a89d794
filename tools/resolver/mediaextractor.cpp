#include "mediaextractor.h"

#include "medialink.h"
#include "scriptmedialinks.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
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
// Below the parser's own bound (256), where it would stop reading the page.
constexpr int maxNesting = 200;
// A page nested deeper than the bound is read on in pieces, each starting where the
// previous one got too deep; hostile nesting ends after this many.
constexpr int maxPieces = 32;
// The parser's own depth bound (no HTML_PARSE_HUGE) keeps hostile nesting cheap.
constexpr int parseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                             HTML_PARSE_NONET | HTML_PARSE_NODEFDTD;

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

void collectMedia(xmlNode *root, MediaCollector &collector)
{
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
}

// The element's start tag again, for the piece that begins with it.
std::string startTag(const xmlChar *name, const xmlChar **attributes)
{
    std::string tag = '<' + std::string(text(name));
    for (const xmlChar **attribute = attributes; attribute && *attribute; attribute += 2) {
        tag += ' ' + std::string(text(attribute[0]));
        if (attribute[1]) {
            tag += "=\"";
            for (const char c : text(attribute[1])) {
                tag += c == '"' ? "&quot;" : c == '&' ? "&amp;" : std::string(1, c);
            }
            tag += '"';
        }
    }
    return tag + '>';
}

// An element that would nest deeper than the bound ends this piece: the next one is the
// element's start tag and all the markup after it (already in UTF-8, as the parser holds it).
void startElementWithinNesting(void *context, const xmlChar *name, const xmlChar **attributes)
{
    auto *parser = static_cast<htmlParserCtxtPtr>(context);
    if (parser->nodeNr < maxNesting) {
        xmlSAX2StartElement(context, name, attributes);
        return;
    }
    std::string_view rest(reinterpret_cast<const char *>(parser->input->cur),
                          static_cast<std::size_t>(parser->input->end - parser->input->cur));
    // The parser stopped before the end of the start tag.
    rest.remove_prefix(rest.starts_with("/>") ? 2 : rest.starts_with('>') ? 1 : 0);
    auto *next = static_cast<std::string *>(parser->_private);
    *next = startTag(name, attributes);
    next->append(rest);
    xmlStopParser(parser);
}

void ignoreMessage(void *, const char *, ...) {}

void ignoreError(void *, xmlErrorPtr) {}

// Parses one piece of the page; `next` receives the piece after it, or nothing.
Document parsePiece(std::string_view html, const char *encoding, std::string &next)
{
    // HTML_PARSE_NOERROR leaves out the parser's errors but not those of the charset
    // conversion, which would go to stderr between the service's one line per request. The
    // handlers are the thread's own.
    xmlSetGenericErrorFunc(nullptr, ignoreMessage);
    xmlSetStructuredErrorFunc(nullptr, ignoreError);
    next.clear();
    htmlParserCtxtPtr parser = htmlNewParserCtxt();
    if (!parser) {
        return nullptr;
    }
    parser->sax->startElement = startElementWithinNesting;
    parser->_private = &next;
    const int size = static_cast<int>(std::min<std::size_t>(html.size(), INT_MAX));
    Document doc(htmlCtxtReadMemory(parser, html.data(), size, nullptr, encoding, parseOptions));
    htmlFreeParserCtxt(parser);
    return doc;
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

    std::vector<std::string> urls;
    {
        const ParseSlot slot;
        std::string next;
        Document doc = parsePiece(html, charset.empty() ? nullptr : charset.c_str(), next);
        // A charset the parser does not know is no reason to give up on the page.
        if (!doc && !charset.empty()) {
            doc = parsePiece(html, nullptr, next);
        }
        xmlNode *root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
        MediaCollector collector(root ? documentBase(root, pageUrl) : pageUrl);
        std::string piece;
        for (int pieces = 1; root; ++pieces) {
            collectMedia(root, collector);
            if (next.empty() || pieces == maxPieces) {
                break;
            }
            piece = std::move(next);
            doc = parsePiece(piece, "UTF-8", next);
            root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
        }
        urls = collector.take();
    }
    // The service runs for long: the heap a large tree grew goes back to the system.
    if (html.size() > trimAboveBytes) {
        malloc_trim(0);
    }
    return urls;
}

} // namespace marquetrix::resolver
