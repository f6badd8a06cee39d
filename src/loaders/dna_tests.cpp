#include "loaders/dna_tests.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include "support/error.h"

namespace hk {
namespace {
constexpr const char* kClass = "CDNATests";

[[noreturn]] void RaiseParseError(const char* proc, std::string_view source) {
    const xmlError* e = xmlGetLastError();
    std::string text = e && e->message ? e->message : "not a document";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    int line = e ? e->line : 0;
    // The source line the parser stopped on.
    std::string near;
    int current = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < source.size() && current < line; ++i)
        if (source[i] == '\n') {
            ++current;
            start = i + 1;
        }
    std::size_t end = source.find('\n', start);
    near = std::string(source.substr(start, end == std::string_view::npos ? end : end - start));
    throw Error(-1, ErrorSource(kClass, proc),
                text + " at line " + std::to_string(line) + " near " + near);
}
} // namespace

struct CDNATests::Doc {
    xmlDocPtr doc = nullptr;
    ~Doc() {
        if (doc)
            xmlFreeDoc(doc);
    }
};

CDNATests::CDNATests() : doc_(std::make_unique<Doc>()) {}
CDNATests::~CDNATests() = default;

void CDNATests::LoadXml(std::string_view xml) {
    xmlResetLastError();
    xmlDocPtr doc =
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "dna-tests.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        RaiseParseError("LoadXml", xml);
    doc_ = std::make_unique<Doc>();
    doc_->doc = doc;
}

void CDNATests::LoadFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[8192];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    } else {
        throw Error(-1, ErrorSource(kClass, "LoadFile"), "File not found: " + path);
    }
    LoadXml(text);
}

void CDNATests::Convert(const std::string& styleSheetPath) {
    if (!doc_->doc)
        return;
    xsltStylesheetPtr sheet =
        xsltParseStylesheetFile(reinterpret_cast<const xmlChar*>(styleSheetPath.c_str()));
    if (!sheet)
        throw Error(-1, ErrorSource(kClass, "Convert"),
                    "Cannot read style sheet " + styleSheetPath);
    xmlDocPtr result = xsltApplyStylesheet(sheet, doc_->doc, nullptr);
    xsltFreeStylesheet(sheet);
    if (!result)
        throw Error(-1, ErrorSource(kClass, "Convert"), "Style sheet failed: " + styleSheetPath);
    doc_ = std::make_unique<Doc>();
    doc_->doc = result;
}

std::string CDNATests::Lookup(const std::string& prefix, std::string_view value) const {
    // The value is written between single quotes; one holding a quote cannot match.
    if (!doc_->doc || value.find('\'') != std::string_view::npos)
        return {};
    std::string path = prefix + std::string(value) + "']";
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc_->doc);
    xmlXPathObjectPtr found =
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path.c_str()), ctx);
    std::string id;
    if (found && found->nodesetval && found->nodesetval->nodeNr > 0) {
        xmlNodePtr node = found->nodesetval->nodeTab[0];
        if (xmlChar* attr = xmlGetProp(node, reinterpret_cast<const xmlChar*>("id"))) {
            id = reinterpret_cast<const char*>(attr);
            xmlFree(attr);
        }
    }
    if (found)
        xmlXPathFreeObject(found);
    xmlXPathFreeContext(ctx);
    return id;
}

std::string CDNATests::ByKey(std::string_view key) const {
    return Lookup("//test-definition[key='", key);
}
std::string CDNATests::ByShortName(std::string_view shortName) const {
    return Lookup("//test-definition[shortname='", shortName);
}
std::string CDNATests::ById(std::string_view id) const {
    return Lookup("//test-definition[@id='", id);
}

} // namespace hk
