#include "ui/inspect/DesignModel.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace Quillmark {

namespace Design = Varnholt::OpenTypeFontData;

void CDesignModel::SetDesign(std::shared_ptr<const CFontDesign> design) {
    m_design = std::move(design);
    m_axes.clear();
    m_features.clear();
    if (m_design == nullptr) {
        return;
    }
    for (const auto& axis : m_design->axes) {
        if (axis.hidden ||
            !(axis.minimum <= axis.defaultValue && axis.defaultValue <= axis.maximum)) {
            continue;  // hidden by the font, or a range that is none
        }
        CAxis shown;
        shown.tag = axis.tag;
        shown.name = QString::fromStdU16String(axis.name);
        shown.minimum = axis.minimum;
        shown.defaultValue = axis.defaultValue;
        shown.maximum = axis.maximum;
        shown.value = axis.defaultValue;
        const float range = axis.maximum - axis.minimum;
        while (range * static_cast<float>(shown.scale) < 50 && shown.scale < 100) {
            shown.scale *= 10;
        }
        m_axes.push_back(shown);
    }
    for (const auto& feature : m_design->features) {
        CFeature shown;
        shown.tag = feature.tag;
        shown.tagText = QString::fromStdString(Design::TagText(feature.tag));
        shown.name = QString::fromStdU16String(feature.name);
        shown.onByDefault = feature.onByDefault;
        shown.on = feature.onByDefault;
        m_features.push_back(shown);
    }
}

bool CDesignModel::SetValue(std::size_t axis, float value) {
    if (axis >= m_axes.size() || !std::isfinite(value)) {
        return false;
    }
    CAxis& a = m_axes[axis];
    value = std::clamp(value, a.minimum, a.maximum);
    if (value == a.value) {
        return false;
    }
    a.value = value;
    return true;
}

int CDesignModel::SliderMinimum(std::size_t axis) const {
    const CAxis& a = m_axes.at(axis);
    return static_cast<int>(std::ceil(a.minimum * static_cast<float>(a.scale)));
}

int CDesignModel::SliderMaximum(std::size_t axis) const {
    const CAxis& a = m_axes.at(axis);
    return static_cast<int>(std::floor(a.maximum * static_cast<float>(a.scale)));
}

int CDesignModel::SliderPosition(std::size_t axis) const {
    const CAxis& a = m_axes.at(axis);
    return std::clamp(static_cast<int>(std::lround(a.value * static_cast<float>(a.scale))),
                      SliderMinimum(axis), SliderMaximum(axis));
}

bool CDesignModel::SetSliderPosition(std::size_t axis, int position) {
    if (axis >= m_axes.size()) {
        return false;
    }
    const CAxis& a = m_axes[axis];
    // The ends are the axis's own ends, which need not be whole steps.
    if (position <= SliderMinimum(axis)) {
        return SetValue(axis, a.minimum);
    }
    if (position >= SliderMaximum(axis)) {
        return SetValue(axis, a.maximum);
    }
    return SetValue(axis, static_cast<float>(position) / static_cast<float>(a.scale));
}

QString CDesignModel::ValueText(float value) {
    return QString::fromStdString(Design::NumberText(std::round(value * 100) / 100));
}

QStringList CDesignModel::InstanceNames() const {
    QStringList names;
    if (m_design != nullptr) {
        for (const auto& instance : m_design->instances) {
            names << QString::fromStdU16String(instance.name);
        }
    }
    return names;
}

bool CDesignModel::ChooseInstance(int instance) {
    if (m_design == nullptr || instance < 0 ||
        instance >= static_cast<int>(m_design->instances.size())) {
        return false;
    }
    const auto& coordinates = m_design->instances[static_cast<std::size_t>(instance)].coordinates;
    for (auto& axis : m_axes) {
        const int index = m_design->AxisIndex(axis.tag);
        if (index >= 0 && static_cast<std::size_t>(index) < coordinates.size()) {
            axis.value = std::clamp(coordinates[static_cast<std::size_t>(index)], axis.minimum,
                                    axis.maximum);
        }
    }
    return true;
}

int CDesignModel::CurrentInstance() const {
    if (m_design == nullptr || m_axes.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < m_design->instances.size(); ++i) {
        const auto& coordinates = m_design->instances[i].coordinates;
        const bool here = std::all_of(m_axes.begin(), m_axes.end(), [&](const CAxis& axis) {
            const int index = m_design->AxisIndex(axis.tag);
            return index < 0 || static_cast<std::size_t>(index) >= coordinates.size() ||
                   std::abs(coordinates[static_cast<std::size_t>(index)] - axis.value) < 0.005f;
        });
        if (here) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CDesignModel::SetFeature(std::size_t feature, bool on) {
    if (feature >= m_features.size() || m_features[feature].on == on) {
        return false;
    }
    m_features[feature].on = on;
    return true;
}

void CDesignModel::Reset() {
    for (auto& axis : m_axes) {
        axis.value = axis.defaultValue;
    }
    for (auto& feature : m_features) {
        feature.on = feature.onByDefault;
    }
}

bool CDesignModel::IsDefault() const {
    return Variations().empty() && FeatureChoices().empty();
}

std::vector<Design::CAxisValue> CDesignModel::Variations() const {
    std::vector<Design::CAxisValue> values;
    for (const auto& axis : m_axes) {
        if (axis.value != axis.defaultValue) {
            values.push_back({axis.tag, axis.value});
        }
    }
    return values;
}

std::vector<Design::CFeatureChoice> CDesignModel::FeatureChoices() const {
    std::vector<Design::CFeatureChoice> choices;
    for (const auto& feature : m_features) {
        if (feature.on != feature.onByDefault) {
            choices.push_back({feature.tag, feature.on});
        }
    }
    return choices;
}

}  // namespace Quillmark
