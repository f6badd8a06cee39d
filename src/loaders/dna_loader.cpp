#include "loaders/dna_loader.h"

#include <array>

#include "support/text.h"

namespace hk {
namespace {

std::string XmlEscape(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

void CTMGDNALoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    t_.Open(db, "DNA");
    t_.SelectTag("ID_DNA");
    idDna_ = t_.Field("ID_DNA");
    idPerson_ = t_.Field("ID_Person");
    dnaName_ = t_.Field("DNAName");
    kit_ = t_.OptionalField("KitNumber");
    nameRec_ = t_.OptionalField("NameRec");
    type_ = t_.OptionalField("Type");
    result_ = t_.Field("Result");
    url_ = t_.Field("URL");
    logo_ = t_.Field("Logo");
    descript_ = t_.OptionalField("Descript");
    comments_ = t_.Field("Comments");
}

void CTMGDNALoader::Load() {
    DnaValues& d = dna_;
    d.idDna = t_.Long(idDna_);
    d.idPerson = t_.Long(idPerson_);
    d.nameRec = t_.Long(nameRec_);
    d.dnaName = t_.Text(dnaName_);
    d.kitNumber = t_.Text(kit_);
    d.type = t_.Text(type_);
    d.result = t_.Text(result_);
    d.url = t_.Text(url_);
    d.logo = t_.Text(logo_);
    d.descript = t_.Text(descript_);
    d.comments = t_.Text(comments_);
}

bool CTMGDNALoader::MoveFirst() {
    if (!t_.First())
        return false;
    Load();
    return true;
}

bool CTMGDNALoader::MoveNext() {
    if (!t_.Next())
        return false;
    Load();
    return true;
}

std::vector<DnaMarker> CTMGDNALoader::ParseResult(std::string_view result) {
    static constexpr std::array<std::string_view, 2> kOpen = {" hid: ", "[hid:]"};
    static constexpr std::array<std::string_view, 2> kClose = {" :hid ", "[:hid]"};
    std::vector<DnaMarker> out;
    bool hidden = false;
    std::string lower = AsciiLower(result);
    std::size_t start = 0;
    while (start < result.size()) {
        std::size_t end = result.find(',', start);
        if (end == std::string_view::npos)
            end = result.size();
        std::string item(result.substr(start, end - start));
        std::string itemLower = lower.substr(start, end - start);
        // Markers switch hiding from where they stand; an item takes the state at its start.
        auto strip = [&](const auto& markers, bool state) {
            for (std::string_view m : markers) {
                std::size_t at;
                while ((at = itemLower.find(m)) != std::string::npos) {
                    item.replace(at, m.size(), " ");
                    itemLower.replace(at, m.size(), " ");
                    hidden = state;
                }
            }
        };
        bool before = hidden;
        strip(kOpen, true);
        bool opened = hidden && !before;
        strip(kClose, false);
        std::string_view t = Trim(item);
        std::size_t eq = t.find('=');
        if (!t.empty()) {
            DnaMarker m;
            m.name = std::string(Trim(t.substr(0, eq)));
            m.value =
                eq == std::string_view::npos ? std::string() : std::string(Trim(t.substr(eq + 1)));
            m.hidden = before || opened;
            out.push_back(std::move(m));
        }
        start = end + 1;
    }
    return out;
}

std::string CTMGDNALoader::TestResultXml(bool showName) const {
    const DnaValues& d = dna_;
    std::string xml =
        "<test-result id=\"" + std::to_string(d.idDna) + "\" ref=\"" + XmlEscape(d.dnaName) + "\"";
    if (d.idPerson != 0)
        xml += " person=\"" + std::to_string(d.idPerson) + "\"";
    xml += ">";
    xml += "<showname>" + std::string(showName ? "1" : "0") + "</showname>";
    if (!d.kitNumber.empty())
        xml += "<kit>" + XmlEscape(d.kitNumber) + "</kit>";
    for (const DnaMarker& m : ParseResult(d.result)) {
        if (m.hidden)
            continue;
        xml += "<marker name=\"" + XmlEscape(m.name) + "\" mv=\"" + XmlEscape(m.value) + "\"/>";
    }
    if (!d.comments.empty())
        xml += "<comment>" + XmlEscape(d.comments) + "</comment>";
    xml += "</test-result>";
    return xml;
}

} // namespace hk
