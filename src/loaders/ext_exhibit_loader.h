#pragma once
// CTMGExtExhibitLoader: exhibits with everything the image-map editor and the exhibit export
// need: type names, file kinds by extension, the display markers and properties kept in an
// exhibit's description, its image map, and the primary exhibit of an owner.
#include <string>
#include <string_view>

#include "loaders/exhibit_loader.h"

namespace hk {

enum class ExhibitFileKind { Other, Image, Text, Audio, Video };

// How the exhibit is shown, from its marker: 0 ignore, 1 link, 2 embed (with an alignment).
struct ExhibitDisplay {
    int mode = -1; // -1: no marker
    std::string align;
};

class CTMGExtExhibitLoader : public CTMGExhibitLoader {
public:
    static constexpr std::string_view kOwnerKinds = "_GMSRP";
    static constexpr std::string_view kMapOpen = "[HID:][QX:]";
    static constexpr std::string_view kMapClose = "[:QX][:HID]";

    // "Text", "Image", "Audio", "OLE", "Video" for 1-5; empty otherwise.
    static std::string_view GetTypeName(long exhType);
    static ExhibitFileKind FileKind(std::string_view fileName);
    static bool IsWebPage(std::string_view fileName);

    static ExhibitDisplay DisplayOf(std::string_view description);
    // A bracketed property "[NAME:value]" (or "=") of the description; QX-MIN-WIDTH is "0"
    // when absent, others empty.
    static std::string Property(std::string_view description, std::string_view name);
    // The text after "caption:" up to ";" or a carriage return; empty without one.
    static std::string Caption(std::string_view description);
    // "a;b" -> anchors "<a href="a">a</a> <a href="b">b</a>".
    static std::string LinkList(std::string_view links);

    // The map ("<map" ... "</map>") of a description, and the description without it and
    // without the empty hidden blocks it leaves.
    static std::string ImageMap(std::string_view description, std::string* rest = nullptr);
    // The description with the map stored in it (an empty map leaves none).
    static std::string WithImageMap(std::string_view description, std::string_view map);

    // Owner kinds outside "_GMSRP" have no exhibits.
    bool FirstOfSubject(char ownerKind, long number);
    bool FindPrimary(char ownerKind, long number);

    const std::string& ImageData() const { return imageData_; }
    const std::string& AudioData() const { return audioData_; }
    const std::string& VideoData() const { return videoData_; }

protected:
    void Load() override;

private:
    std::string imageData_, audioData_, videoData_;
};

} // namespace hk
