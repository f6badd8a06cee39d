#include "loaders/ext_exhibit_loader.h"

#include <array>

#include "support/text.h"

namespace hk {
namespace {

constexpr std::string_view kImageExtensions = "|jpg|jpeg|gif|png|";
constexpr std::string_view kTextExtensions = "|txt|htm|html|";
constexpr std::string_view kAudioExtensions = "mp3|aac|aaif|au|flac|m4a|m4b|ogg|wav|webm|wma";
constexpr std::string_view kVideoExtensions = "avi|f4v|fob|ogg|mov|m4v|mp4|qt|webm|wmv";

std::string Extension(std::string_view fileName) {
    std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : AsciiLower(fileName.substr(dot + 1));
}

bool InList(std::string_view list, const std::string& ext) {
    if (ext.empty())
        return false;
    std::string padded = "|" + std::string(list) + "|";
    return padded.find("|" + ext + "|") != std::string::npos;
}

std::size_t FindNoCase(std::string_view s, std::string_view what, std::size_t from = 0) {
    for (std::size_t i = from; i + what.size() <= s.size(); ++i)
        if (EqualsNoCase(s.substr(i, what.size()), what))
            return i;
    return std::string_view::npos;
}

void RemoveAllNoCase(std::string& s, std::string_view what) {
    for (std::size_t at = FindNoCase(s, what); at != std::string::npos;
         at = FindNoCase(s, what, at))
        s.erase(at, what.size());
}

} // namespace

std::string_view CTMGExtExhibitLoader::GetTypeName(long exhType) {
    static constexpr std::array<std::string_view, 5> kNames = {"Text", "Image", "Audio", "OLE",
                                                               "Video"};
    return exhType >= 1 && exhType <= 5 ? kNames[exhType - 1] : std::string_view();
}

ExhibitFileKind CTMGExtExhibitLoader::FileKind(std::string_view fileName) {
    std::string ext = Extension(fileName);
    if (InList(kImageExtensions, ext))
        return ExhibitFileKind::Image;
    if (InList(kTextExtensions, ext))
        return ExhibitFileKind::Text;
    if (InList(kAudioExtensions, ext))
        return ExhibitFileKind::Audio;
    if (InList(kVideoExtensions, ext))
        return ExhibitFileKind::Video;
    return ExhibitFileKind::Other;
}

bool CTMGExtExhibitLoader::IsWebPage(std::string_view fileName) {
    std::string ext = Extension(fileName);
    return ext == "htm" || ext == "html";
}

ExhibitDisplay CTMGExtExhibitLoader::DisplayOf(std::string_view description) {
    struct Marker {
        std::string_view text;
        int mode;
        std::string_view align;
    };
    static constexpr std::array<Marker, 6> kMarkers = {{{"[:QX-IGNORE:]", 0, ""},
                                                        {"[:QX-LINK:]", 1, ""},
                                                        {"[:QX-EMBED:]", 2, ""},
                                                        {"[:QX-EMBED-LEFT:]", 2, "left"},
                                                        {"[:QX-EMBED-CENTER:]", 2, "center"},
                                                        {"[:QX-EMBED-RIGHT:]", 2, "right"}}};
    ExhibitDisplay display;
    std::size_t first = std::string_view::npos;
    for (const Marker& m : kMarkers) {
        std::size_t at = FindNoCase(description, m.text);
        if (at < first) {
            first = at;
            display = {m.mode, std::string(m.align)};
        }
    }
    return display;
}

std::string CTMGExtExhibitLoader::Property(std::string_view description, std::string_view name) {
    std::string open = "[" + std::string(name);
    for (std::size_t at = FindNoCase(description, open); at != std::string_view::npos;
         at = FindNoCase(description, open, at + 1)) {
        std::size_t sep = at + open.size();
        if (sep >= description.size() || (description[sep] != ':' && description[sep] != '='))
            continue;
        std::size_t close = description.find(']', sep);
        if (close == std::string_view::npos)
            break;
        return std::string(Trim(description.substr(sep + 1, close - sep - 1)));
    }
    return EqualsNoCase(name, "QX-MIN-WIDTH") ? "0" : "";
}

std::string CTMGExtExhibitLoader::Caption(std::string_view description) {
    std::size_t at = FindNoCase(description, "caption:");
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = description.substr(at + 8);
    std::size_t end = rest.find_first_of(";\r");
    return std::string(Trim(rest.substr(0, end)));
}

std::string CTMGExtExhibitLoader::LinkList(std::string_view links) {
    std::string out;
    std::size_t start = 0;
    while (start <= links.size()) {
        std::size_t end = links.find(';', start);
        if (end == std::string_view::npos)
            end = links.size();
        std::string_view link = Trim(links.substr(start, end - start));
        if (!link.empty()) {
            if (!out.empty())
                out += ' ';
            out += "<a href=\"" + std::string(link) + "\">" + std::string(link) + "</a>";
        }
        start = end + 1;
    }
    return out;
}

std::string CTMGExtExhibitLoader::ImageMap(std::string_view description, std::string* rest) {
    std::string text(description);
    std::string map;
    std::size_t open = FindNoCase(text, "<map");
    std::size_t close =
        open == std::string::npos ? std::string::npos : FindNoCase(text, "</map>", open);
    if (close != std::string::npos) {
        map = text.substr(open, close + 6 - open);
        text.erase(open, close + 6 - open);
    }
    if (rest) {
        RemoveAllNoCase(text, std::string(kMapOpen) + std::string(kMapClose));
        RemoveAllNoCase(text, "[HID:][:HID]");
        *rest = std::move(text);
    }
    return map;
}

std::string CTMGExtExhibitLoader::WithImageMap(std::string_view description, std::string_view map) {
    std::string rest;
    ImageMap(description, &rest);
    if (map.empty())
        return rest;
    return rest + std::string(kMapOpen) + std::string(map) + std::string(kMapClose);
}

void CTMGExtExhibitLoader::Load() {
    CTMGExhibitLoader::Load();
    exhibit_.videoFile = i_.Text(vFile_);
    exhibit_.caption = i_.Text(caption_);
    exhibit_.exhType = i_.Long(exhType_);
    exhibit_.sortExh = i_.Long(sortExh_);
    imageData_ = image_ >= 0 ? i_.Tbl().GetMemo(image_) : std::string();
    audioData_ = audio_ >= 0 ? i_.Tbl().GetMemo(audio_) : std::string();
    videoData_ = video_ >= 0 ? i_.Tbl().GetMemo(video_) : std::string();
}

bool CTMGExtExhibitLoader::FirstOfSubject(char ownerKind, long number) {
    if (kOwnerKinds.find(ownerKind) == std::string_view::npos)
        return false;
    return CTMGExhibitLoader::FirstOfSubject(ownerKind, number);
}

bool CTMGExtExhibitLoader::FindPrimary(char ownerKind, long number) {
    for (bool ok = FirstOfSubject(ownerKind, number); ok; ok = NextOfSubject())
        if (exhibit_.primary)
            return true;
    return false;
}

} // namespace hk
