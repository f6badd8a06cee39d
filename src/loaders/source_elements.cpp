#include "loaders/source_elements.h"

#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "support/text.h"

namespace hk {
namespace {

bool ElementChar(char c) {
    return c == '-' || c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9');
}

// Every "[name]" of the text whose name is made of letters, digits, blanks and hyphens.
void BracketedNames(std::string_view text, std::vector<std::string>& out) {
    for (std::size_t open = text.find('['); open != std::string_view::npos;
         open = text.find('[', open + 1))
        if (std::size_t n = ElementLengthAt(text, open); n > 0)
            out.emplace_back(text.substr(open + 1, n - 2));
}

} // namespace

std::size_t ElementLengthAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size() || text[pos] != '[')
        return 0;
    std::size_t end = pos + 1;
    while (end < text.size() && ElementChar(text[end]))
        ++end;
    return end < text.size() && text[end] == ']' && end > pos + 1 ? end - pos + 1 : 0;
}

void CTMGSourceElements::Load(db::CTMGDB& db) {
    groups_.clear();
    if (!ProjectHasTable(db, "U"))
        return;
    LoaderTable t;
    t.Open(db, "U");
    const int element = t.Field("Element"), group = t.Field("GroupNum");
    t.Tbl().SelectTag(nullptr);
    for (int pos = t.Tbl().Top(); pos == db::kPosOk; pos = t.Tbl().Skip(1)) {
        long dsid = t.RecordDsid();
        if (t.Tbl().Deleted() || (dsid != 0 && dsid != t.CurrentDsid()))
            continue;
        std::string names = t.Text(element);
        long g = t.Long(group);
        std::size_t start = 0;
        while (start <= names.size()) {
            std::size_t end = names.find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = names.size();
            std::string_view one = Trim(std::string_view(names).substr(start, end - start));
            if (!one.empty())
                Add(one, g);
            start = end + 1;
        }
    }
}

void CTMGSourceElements::Add(std::string_view element, long group) {
    groups_.emplace(AsciiUpper(Trim(element)), group);
}

long CTMGSourceElements::ElementGroup(std::string_view name) const {
    auto it = groups_.find("[" + AsciiUpper(name) + "]");
    return it == groups_.end() ? 0 : it->second;
}

std::vector<TemplateElement>
CTMGSourceElements::TemplateElements(std::string_view sourceTemplate) const {
    std::vector<std::string> names;
    std::string_view s = sourceTemplate;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '<') {
            std::size_t close = s.find('>', i + 1);
            if (close != std::string_view::npos && close > i + 1) {
                BracketedNames(s.substr(i + 1, close - i - 1), names);
                i = close + 1;
                continue;
            }
        } else if (std::size_t n = ElementLengthAt(s, i); n > 0) {
            names.emplace_back(s.substr(i + 1, n - 2));
            i += n;
            continue;
        }
        ++i;
    }
    std::vector<TemplateElement> out;
    for (std::string& n : names) {
        long group = ElementGroup(n);
        out.push_back({std::move(n), group});
    }
    return out;
}

std::vector<std::string>
CTMGSourceElements::UnknownElements(std::string_view sourceTemplate) const {
    std::vector<std::string> out;
    for (const TemplateElement& e : TemplateElements(sourceTemplate))
        if (e.group == 0)
            out.push_back("unknown " + e.name);
    return out;
}

} // namespace hk
