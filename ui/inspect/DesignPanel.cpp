#include "ui/inspect/DesignPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace Quillmark {

CDesignPanel::CDesignPanel(CDesignModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("DesignPanel"));
    setAccessibleName(tr("Design"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    m_instancesLabel = new QLabel(tr("&Instance:"), this);
    m_instances = new QComboBox(this);
    m_instances->setObjectName(QStringLiteral("Instances"));
    m_instances->setAccessibleName(tr("Instance"));
    m_instances->setPlaceholderText(tr("Custom"));
    m_instancesLabel->setBuddy(m_instances);
    connect(m_instances, &QComboBox::activated, this, &CDesignPanel::OnInstance);
    layout->addWidget(m_instancesLabel);
    layout->addWidget(m_instances);

    m_axesLayout = new QVBoxLayout;
    m_axesLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_axesLayout);

    m_featuresLabel = new QLabel(tr("&Features:"), this);
    m_features = new QListWidget(this);
    m_features->setObjectName(QStringLiteral("Features"));
    m_features->setAccessibleName(tr("Features"));
    m_featuresLabel->setBuddy(m_features);
    // The list takes the height there is, and long names end in an
    // ellipsis (the tooltip has them whole): the panel never scrolls sideways.
    m_features->setMinimumHeight(fontMetrics().height() * 4);
    m_features->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_features->setTextElideMode(Qt::ElideRight);
    m_features->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_features, &QListWidget::itemChanged, this, &CDesignPanel::OnFeature);
    layout->addWidget(m_featuresLabel);
    layout->addWidget(m_features, 1);

    m_reset = new QPushButton(tr("&Reset"), this);
    m_reset->setAccessibleName(tr("Reset"));
    m_reset->setToolTip(tr("Every axis and feature as the font has it"));
    connect(m_reset, &QPushButton::clicked, this, &CDesignPanel::OnReset);
    layout->addWidget(m_reset);
    Rebuild();
}

void CDesignPanel::Rebuild() {
    m_refreshing = true;
    for (const CAxisRow& row : m_axes) {
        delete row.name;
        delete row.slider;
        delete row.value;
    }
    m_axes.clear();
    while (QLayoutItem* item = m_axesLayout->takeAt(0)) {
        delete item;
    }
    const auto& axes = m_model.Axes();
    for (std::size_t i = 0; i < axes.size(); ++i) {
        const auto& axis = axes[i];
        CAxisRow row;
        const QString tag = QString::fromStdString(Varnholt::OpenTypeFontData::TagText(axis.tag));
        row.name = new QLabel(QStringLiteral("%1 (%2)").arg(axis.name, tag.trimmed()), this);
        row.slider = new QSlider(Qt::Horizontal, this);
        row.slider->setObjectName(QStringLiteral("Axis-") + tag.trimmed());
        row.slider->setAccessibleName(axis.name);
        row.slider->setRange(m_model.SliderMinimum(i), m_model.SliderMaximum(i));
        row.slider->setSingleStep(1);
        row.slider->setPageStep(std::max(1, (row.slider->maximum() - row.slider->minimum()) / 10));
        row.slider->setToolTip(tr("%1: %2 to %3, default %4")
                                   .arg(axis.name, CDesignModel::ValueText(axis.minimum),
                                        CDesignModel::ValueText(axis.maximum),
                                        CDesignModel::ValueText(axis.defaultValue)));
        row.value = new QLabel(this);
        row.value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")));
        row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.name->setBuddy(row.slider);
        connect(row.slider, &QSlider::valueChanged, this,
                [this, i](int position) { OnSlider(i, position); });
        auto* line = new QHBoxLayout;
        line->addWidget(row.slider, 1);
        line->addWidget(row.value);
        m_axesLayout->addWidget(row.name);
        m_axesLayout->addLayout(line);
        m_axes.push_back(row);
    }

    m_instances->clear();
    m_instances->addItems(m_model.InstanceNames());
    const bool instances = m_instances->count() > 0;
    m_instancesLabel->setVisible(instances);
    m_instances->setVisible(instances);

    m_features->clear();
    for (const auto& feature : m_model.Features()) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2)").arg(feature.name, feature.tagText.trimmed()), m_features);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setToolTip(feature.onByDefault ? tr("%1: on unless turned off").arg(item->text())
                                             : tr("%1: off unless turned on").arg(item->text()));
    }
    const bool features = m_features->count() > 0;
    m_featuresLabel->setVisible(features);
    m_features->setVisible(features);
    m_refreshing = false;
    Refresh();
}

void CDesignPanel::Refresh() {
    m_refreshing = true;
    const auto& axes = m_model.Axes();
    for (std::size_t i = 0; i < m_axes.size() && i < axes.size(); ++i) {
        m_axes[i].slider->setValue(m_model.SliderPosition(i));
        m_axes[i].value->setText(CDesignModel::ValueText(axes[i].value));
    }
    m_instances->setCurrentIndex(m_model.CurrentInstance());
    const auto& features = m_model.Features();
    for (int i = 0; i < m_features->count() && i < static_cast<int>(features.size()); ++i) {
        m_features->item(i)->setCheckState(
            features[static_cast<std::size_t>(i)].on ? Qt::Checked : Qt::Unchecked);
    }
    m_reset->setEnabled(!m_model.IsDefault());
    m_refreshing = false;
}

void CDesignPanel::OnSlider(std::size_t axis, int position) {
    if (m_refreshing || !m_model.SetSliderPosition(axis, position)) {
        return;
    }
    Refresh();
    emit Changed();
}

void CDesignPanel::OnInstance(int index) {
    if (m_refreshing || !m_model.ChooseInstance(index)) {
        return;
    }
    Refresh();
    emit Changed();
}

void CDesignPanel::OnFeature(QListWidgetItem* item) {
    if (m_refreshing) {
        return;
    }
    const int row = m_features->row(item);
    if (row < 0 ||
        !m_model.SetFeature(static_cast<std::size_t>(row), item->checkState() == Qt::Checked)) {
        return;
    }
    Refresh();
    emit Changed();
}

void CDesignPanel::OnReset() {
    m_model.Reset();
    Refresh();
    emit Changed();
}

}  // namespace Quillmark
