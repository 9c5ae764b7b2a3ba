#pragma once

// The design the detail pane draws the current font in, without widgets: a
// value for each of a variable font's visible axes (their defaults at
// first), the named instance those values are (if any), and each layout
// feature on or off (as shaping applies them at first). What differs from
// the font's default is the look the views draw with.
//
// A slider moves in whole steps: an axis whose range is at least 50 units
// moves by 1 unit, a narrower one by a tenth or a hundredth, so that every
// axis has at least 50 steps.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "fontdata/design/FontDesign.h"

namespace Quillmark {

class CDesignModel {
public:
    using CFontDesign = Varnholt::OpenTypeFontData::CFontDesign;

    struct CAxis {
        std::uint32_t tag = 0;
        QString name;
        float minimum = 0;
        float defaultValue = 0;
        float maximum = 0;
        float value = 0;
        int scale = 1;  // slider steps a unit
    };
    struct CFeature {
        std::uint32_t tag = 0;
        QString tagText;  // "smcp"
        QString name;     // "Small Capitals"
        bool onByDefault = false;
        bool on = false;
    };

    // A new font: its design at the defaults. Null: nothing to set.
    void SetDesign(std::shared_ptr<const CFontDesign> design);
    bool HasDesign() const { return !m_axes.empty() || !m_features.empty(); }

    const std::vector<CAxis>& Axes() const { return m_axes; }
    // Sets an axis, clamped to its range; false when nothing changed.
    bool SetValue(std::size_t axis, float value);
    // The slider of an axis: its range in steps, and the value of a step.
    int SliderMinimum(std::size_t axis) const;
    int SliderMaximum(std::size_t axis) const;
    int SliderPosition(std::size_t axis) const;
    bool SetSliderPosition(std::size_t axis, int position);
    // The value as the pane writes it ("700", "14.5").
    static QString ValueText(float value);

    // The font's named instances, by name.
    QStringList InstanceNames() const;
    // Sets every axis to the instance's coordinates; false for no such instance.
    bool ChooseInstance(int instance);
    // The instance the axes are at, or -1 when they are at none.
    int CurrentInstance() const;

    const std::vector<CFeature>& Features() const { return m_features; }
    // Turns a feature on or off; false when nothing changed.
    bool SetFeature(std::size_t feature, bool on);

    // Every axis and feature back to the font's default.
    void Reset();
    bool IsDefault() const;

    // What the views draw with: the axes moved from their defaults (none when
    // every axis is at its default, so that the font's own default design is
    // drawn) and the features turned from their defaults.
    std::vector<Varnholt::OpenTypeFontData::CAxisValue> Variations() const;
    std::vector<Varnholt::OpenTypeFontData::CFeatureChoice> FeatureChoices() const;

private:
    std::shared_ptr<const CFontDesign> m_design;
    std::vector<CAxis> m_axes;  // the visible ones, in the font's order
    std::vector<CFeature> m_features;
};

}  // namespace Quillmark
