#pragma once
// CDNATests: the DNA test definitions (an XML document of "test-definition" elements), looked
// up by key, short name or id.
#include <memory>
#include <string>
#include <string_view>

namespace hk {

class CDNATests {
public:
    CDNATests();
    ~CDNATests();
    CDNATests(const CDNATests&) = delete;
    CDNATests& operator=(const CDNATests&) = delete;

    // Parses the definitions; a parse error raises an error that names the line and the text
    // near it (" at line " N " near " text).
    void LoadXml(std::string_view xml);
    void LoadFile(const std::string& path);
    // Applies a style sheet (such as "convert.xsl") to the loaded document, replacing it.
    void Convert(const std::string& styleSheetPath);

    // The "id" of the first definition with that key, short name or id; empty when none.
    std::string ByKey(std::string_view key) const;
    std::string ByShortName(std::string_view shortName) const;
    std::string ById(std::string_view id) const;

private:
    std::string Lookup(const std::string& prefix, std::string_view value) const;

    struct Doc;
    std::unique_ptr<Doc> doc_;
};

} // namespace hk
