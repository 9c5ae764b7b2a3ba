#pragma once

// The design panel beside the detail frame's views: for a variable font a
// box of its named instances and a slider a visible design axis (its name,
// its value; its range in the tooltip), and for every font its layout
// features, each a check box with its name and tag; "Reset" puts all back
// to the font's defaults. It shows and edits a CDesignModel and says when
// the user changed it.

#include <QWidget>
#include <vector>

#include "ui/inspect/DesignModel.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;
class QVBoxLayout;

namespace Quillmark {

class CDesignPanel : public QWidget {
    Q_OBJECT

public:
    explicit CDesignPanel(CDesignModel& model, QWidget* parent = nullptr);

    // Makes the controls for the model's design (after SetDesign).
    void Rebuild();

    QComboBox* Instances() const { return m_instances; }
    QSlider* Slider(std::size_t axis) const { return m_axes.at(axis).slider; }
    QLabel* ValueLabel(std::size_t axis) const { return m_axes.at(axis).value; }
    std::size_t SliderCount() const { return m_axes.size(); }
    QListWidget* FeatureList() const { return m_features; }
    QPushButton* ResetButton() const { return m_reset; }

signals:
    // The user moved an axis, chose an instance, turned a feature or reset.
    void Changed();

private:
    struct CAxisRow {
        QLabel* name = nullptr;
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
    };
    // Shows the model's values without telling.
    void Refresh();
    void OnSlider(std::size_t axis, int position);
    void OnInstance(int index);
    void OnFeature(QListWidgetItem* item);
    void OnReset();

    CDesignModel& m_model;
    QVBoxLayout* m_axesLayout = nullptr;
    QLabel* m_instancesLabel = nullptr;
    QComboBox* m_instances = nullptr;
    QLabel* m_featuresLabel = nullptr;
    QListWidget* m_features = nullptr;
    QPushButton* m_reset = nullptr;
    std::vector<CAxisRow> m_axes;
    bool m_refreshing = false;
};

}  // namespace Quillmark
