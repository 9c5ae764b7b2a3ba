#include "fontdata/design/FontDesign.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/FontImage.h"

namespace Varnholt::OpenTypeFontData {

namespace {

std::u16string AsciiText(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string NameIn(hb_face_t* face, hb_ot_name_id_t id, hb_language_t language) {
    unsigned int room = 0;
    const unsigned int length = hb_ot_name_get_utf16(face, id, language, &room, nullptr);
    if (length == 0) {
        return {};
    }
    room = length + 1;  // and the terminator HarfBuzz writes
    std::vector<std::uint16_t> units(room);
    hb_ot_name_get_utf16(face, id, language, &room, units.data());
    return std::u16string(units.begin(), units.begin() + room);
}

// The font's name of this id in English when it has one, else in the first
// language it has; empty when it has none.
std::u16string FontName(hb_face_t* face, hb_ot_name_id_t id) {
    if (id == HB_OT_NAME_ID_INVALID) {
        return {};
    }
    if (auto name = NameIn(face, id, HB_LANGUAGE_INVALID); !name.empty()) {
        return name;
    }
    unsigned int count = 0;
    const hb_ot_name_entry_t* entries = hb_ot_name_list_names(face, &count);
    for (unsigned int i = 0; i < count; ++i) {
        if (entries[i].name_id == id) {
            if (auto name = NameIn(face, id, entries[i].language); !name.empty()) {
                return name;
            }
        }
    }
    return {};
}

// Every tag a table lists, in pages.
template <typename Get>
std::vector<hb_tag_t> AllTags(Get get) {
    std::vector<hb_tag_t> tags;
    std::array<hb_tag_t, 64> page{};
    for (unsigned int start = 0;; start += static_cast<unsigned int>(page.size())) {
        unsigned int count = static_cast<unsigned int>(page.size());
        const unsigned int total = get(start, &count, page.data());
        tags.insert(tags.end(), page.begin(), page.begin() + count);
        if (count == 0 || start + count >= total) {
            break;
        }
    }
    return tags;
}

void SortUnique(std::vector<std::uint32_t>& tags) {
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
}

// The feature's own name from the font (stylistic sets and character
// variants may name themselves through their feature parameters).
std::u16string OwnFeatureName(hb_face_t* face, hb_tag_t table, hb_tag_t tag) {
    const auto tags = AllTags([&](unsigned int start, unsigned int* count, hb_tag_t* out) {
        return hb_ot_layout_table_get_feature_tags(face, table, start, count, out);
    });
    for (unsigned int index = 0; index < tags.size(); ++index) {
        if (tags[index] != tag) {
            continue;
        }
        hb_ot_name_id_t label = HB_OT_NAME_ID_INVALID;
        if (hb_ot_layout_feature_get_name_ids(face, table, index, &label, nullptr, nullptr, nullptr,
                                              nullptr)) {
            if (auto name = FontName(face, label); !name.empty()) {
                return name;
            }
        }
    }
    return {};
}

}  // namespace

namespace {

// The comma-separated items of `text`, each trimmed of spaces; an empty
// text has none.
std::vector<std::string_view> Items(std::string_view text) {
    std::vector<std::string_view> items;
    while (!text.empty()) {
        const auto comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        while (!item.empty() && item.back() == ' ') {
            item.remove_suffix(1);
        }
        items.push_back(item);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
        if (text.empty()) {
            items.push_back({});  // a trailing comma leaves an empty item
        }
    }
    return items;
}

}  // namespace

bool ParseVariations(std::string_view text, std::vector<CAxisValue>& values, std::string& error) {
    values.clear();
    for (const std::string_view item : Items(text)) {
        const auto equals = item.find('=');
        const std::uint32_t tag =
            equals == std::string_view::npos ? 0 : TagFromText(item.substr(0, equals));
        if (tag == 0) {
            error = "\"" + std::string(item) + "\" is not an axis and a value (wght=700)";
            return false;
        }
        // Read as C reads numbers, whatever the user's locale.
        const std::string_view number = item.substr(equals + 1);
        float value = 0;
        const auto [end, failure] =
            std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || failure != std::errc() || end != number.data() + number.size() ||
            !std::isfinite(value)) {
            error = "\"" + std::string(item) + "\" is not an axis and a value (wght=700)";
            return false;
        }
        // A later value of the same axis stands.
        std::erase_if(values, [&](const CAxisValue& v) { return v.tag == tag; });
        values.push_back({tag, value});
    }
    return true;
}

bool ParseFeatures(std::string_view text, std::vector<CFeatureChoice>& choices,
                   std::string& error) {
    choices.clear();
    for (std::string_view item : Items(text)) {
        bool on = true;
        if (!item.empty() && (item.front() == '+' || item.front() == '-')) {
            on = item.front() == '+';
            item.remove_prefix(1);
        }
        const std::uint32_t tag = TagFromText(item);
        if (tag == 0 || item.find(' ') != std::string_view::npos) {
            error = "\"" + std::string(item) + "\" is not a feature tag (+smcp, -liga)";
            return false;
        }
        std::erase_if(choices, [&](const CFeatureChoice& c) { return c.tag == tag; });
        choices.push_back({tag, on});
    }
    return true;
}

const CLayoutFeature* CFontDesign::Feature(std::uint32_t tag) const {
    const auto it =
        std::lower_bound(features.begin(), features.end(), tag,
                         [](const CLayoutFeature& f, std::uint32_t t) { return f.tag < t; });
    return it != features.end() && it->tag == tag ? &*it : nullptr;
}

int CFontDesign::AxisIndex(std::uint32_t tag) const {
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (axes[i].tag == tag) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

FontStatus ReadFontDesign(std::span<const std::uint8_t> font, CFontDesign& design) {
    design = {};
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(font.data()),
                                     static_cast<unsigned int>(font.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_blob_destroy(blob);
    // Every font has glyphs; HarfBuzz counts none in what is not a font.
    const bool read = hb_face_get_glyph_count(face) > 0;
    if (face == hb_face_get_empty() || !read) {
        hb_face_destroy(face);
        return FontStatus::Corrupt;
    }

    // Axes and named instances.
    const unsigned int axisCount = hb_ot_var_get_axis_count(face);
    std::vector<hb_ot_var_axis_info_t> axes(axisCount);
    unsigned int got = axisCount;
    hb_ot_var_get_axis_infos(face, 0, &got, axes.data());
    axes.resize(got);
    for (const auto& axis : axes) {
        CDesignAxis out;
        out.tag = axis.tag;
        out.name = FontName(face, axis.name_id);
        if (out.name.empty()) {
            out.name = AsciiText(TagText(axis.tag));
        }
        out.minimum = axis.min_value;
        out.defaultValue = axis.default_value;
        out.maximum = axis.max_value;
        out.hidden = (axis.flags & HB_OT_VAR_AXIS_FLAG_HIDDEN) != 0;
        design.axes.push_back(std::move(out));
    }
    if (!design.axes.empty()) {
        const unsigned int instances = hb_ot_var_get_named_instance_count(face);
        for (unsigned int i = 0; i < instances; ++i) {
            CNamedInstance instance;
            instance.name = FontName(face, hb_ot_var_named_instance_get_subfamily_name_id(face, i));
            instance.postScriptName =
                FontName(face, hb_ot_var_named_instance_get_postscript_name_id(face, i));
            instance.coordinates.resize(design.axes.size());
            unsigned int coords = static_cast<unsigned int>(instance.coordinates.size());
            hb_ot_var_named_instance_get_design_coords(face, i, &coords,
                                                       instance.coordinates.data());
            instance.coordinates.resize(coords);
            design.instances.push_back(std::move(instance));
        }
    }

    // Features and scripts of both layout tables.
    for (const hb_tag_t table : {HB_OT_TAG_GSUB, HB_OT_TAG_GPOS}) {
        const auto features = AllTags([&](unsigned int start, unsigned int* count, hb_tag_t* out) {
            return hb_ot_layout_table_get_feature_tags(face, table, start, count, out);
        });
        for (const hb_tag_t tag : features) {
            auto it = std::find_if(design.features.begin(), design.features.end(),
                                   [&](const CLayoutFeature& f) { return f.tag == tag; });
            if (it == design.features.end()) {
                CLayoutFeature feature;
                feature.tag = tag;
                design.features.push_back(std::move(feature));
                it = design.features.end() - 1;
            }
            (table == HB_OT_TAG_GSUB ? it->substitution : it->positioning) = true;
        }
        auto scripts = AllTags([&](unsigned int start, unsigned int* count, hb_tag_t* out) {
            return hb_ot_layout_table_get_script_tags(face, table, start, count, out);
        });
        design.scripts.insert(design.scripts.end(), scripts.begin(), scripts.end());
    }
    SortUnique(design.scripts);
    std::sort(design.features.begin(), design.features.end(),
              [](const CLayoutFeature& a, const CLayoutFeature& b) { return a.tag < b.tag; });
    for (auto& feature : design.features) {
        feature.name = OwnFeatureName(face, HB_OT_TAG_GSUB, feature.tag);
        if (feature.name.empty()) {
            feature.name = RegisteredFeatureName(feature.tag);
        }
        if (feature.name.empty()) {
            feature.name = AsciiText(TagText(feature.tag));
        }
        feature.onByDefault = IsOnByDefault(feature.tag);
    }
    hb_face_destroy(face);
    return FontStatus::Loaded;
}

FontStatus ReadFontDesign(const std::filesystem::path& file, std::uint32_t face,
                          CFontDesign& design) {
    design = {};
    const std::uint32_t size = MeasureFileSize(file);
    if (size == 0) {
        return FontStatus::CouldNotOpen;
    }
    if (size >= kMaxFontSize) {
        return FontStatus::TooLarge;
    }
    CFileImage image(size);
    if (!image.Open(file)) {
        return FontStatus::CouldNotOpen;
    }
    std::vector<std::uint8_t> own;
    try {
        const std::uint8_t* bytes = image.Bytes(0, image.Size());
        if (bytes == nullptr) {
            return FontStatus::CouldNotRead;
        }
        const FontStatus status = FaceFile(std::span(bytes, image.Size()), face, own);
        if (status != FontStatus::Loaded) {
            return status;
        }
    } catch (const std::exception&) {
        return FontStatus::CouldNotRead;
    }
    return ReadFontDesign(own, design);
}

std::string NumberText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::vector<CFontInfoRow> DesignInfoRows(const CFontDesign& design,
                                         const std::vector<std::string>& languages) {
    std::vector<CFontInfoRow> rows;
    const auto joined = [](const auto& items, const auto& text) {
        std::u16string out;
        for (const auto& item : items) {
            if (!out.empty()) {
                out += u", ";
            }
            out += text(item);
        }
        return out;
    };
    for (const auto& axis : design.axes) {
        if (axis.hidden) {
            continue;
        }
        rows.push_back({u"Design Axis", axis.name + u" (" + AsciiText(TagText(axis.tag)) + u"): " +
                                            AsciiText(NumberText(axis.minimum)) + u" to " +
                                            AsciiText(NumberText(axis.maximum)) + u", default " +
                                            AsciiText(NumberText(axis.defaultValue))});
    }
    if (!design.instances.empty()) {
        rows.push_back(
            {u"Named Instances",
             AsciiText(std::to_string(design.instances.size())) + u": " +
                 joined(design.instances, [](const CNamedInstance& i) { return i.name; })});
    }
    if (!design.features.empty()) {
        rows.push_back(
            {u"Layout Features", AsciiText(std::to_string(design.features.size())) + u": " +
                                     joined(design.features, [](const CLayoutFeature& f) {
                                         return AsciiText(TagText(f.tag));
                                     })});
    }
    if (!design.scripts.empty()) {
        rows.push_back({u"Scripts", joined(design.scripts, [](std::uint32_t tag) {
                            const std::u16string name = ScriptName(tag);
                            const std::u16string text = AsciiText(TagText(tag));
                            return name.empty() ? text : name + u" (" + text + u")";
                        })});
    }
    rows.push_back(
        {u"Languages",
         AsciiText(std::to_string(languages.size()) + " of " +
                   std::to_string(KnownLanguageCount())) +
             (languages.empty() ? std::u16string()
                                : u": " + joined(languages, [](const std::string& language) {
                                      return AsciiText(language);
                                  }))});
    return rows;
}

std::vector<CFontInfoRow> AllInfoRows(const std::u16string& fileName, const COpenTypeData& data,
                                      const CFontDesign& design) {
    std::vector<CFontInfoRow> rows = FontInfoRows(fileName, data);
    for (auto& row : DesignInfoRows(design, CoveredLanguages(data.GetCharacterMap()))) {
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace Varnholt::OpenTypeFontData
