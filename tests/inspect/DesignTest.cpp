// The design a font is drawn in: the model of its axes, instances and
// features alone, the waterfall's layout, and the detail frame's design
// panel, preview, waterfall and map drawing what the panel chose.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/common/ColourPopup.h"
#include "ui/inspect/DesignModel.h"
#include "ui/inspect/DesignPanel.h"
#include "ui/inspect/DetailFrameState.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/RichTextPreviewView.h"
#include "ui/inspect/WaterfallLayout.h"
#include "ui/inspect/WaterfallView.h"

using namespace Quillmark;
namespace Design = Varnholt::OpenTypeFontData;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
constexpr const char* kInter = "/usr/share/fonts/truetype/inter-vf/Inter.var.ttf";
constexpr const char* kNotoSans = "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf";
const std::string kData = QUILLMARK_TEST_DATA;

std::shared_ptr<const Design::CFontDesign> DesignOf(const char* path) {
    auto design = std::make_shared<Design::CFontDesign>();
    EXPECT_EQ(Design::ReadFontDesign(path, 0, *design), Varnholt::FontStatus::Loaded);
    return design;
}

int FeatureIndex(const CDesignModel& model, const char* tag) {
    const auto& features = model.Features();
    for (std::size_t i = 0; i < features.size(); ++i) {
        if (features[i].tag == Design::TagFromText(tag)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

double Ink(const QImage& image) {
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += 255 - qGray(image.pixel(x, y));
        }
    }
    return ink;
}

}  // namespace

TEST(DesignModel, AxesMoveInStepsWithinTheirRangesAndNameTheirInstance) {
    CDesignModel model;
    EXPECT_FALSE(model.HasDesign());
    model.SetDesign(DesignOf(kInter));
    ASSERT_EQ(model.Axes().size(), 2u);
    EXPECT_EQ(model.Axes()[0].name, QStringLiteral("Weight"));
    EXPECT_EQ(model.SliderMinimum(0), 100);
    EXPECT_EQ(model.SliderMaximum(0), 900);
    // Slant spans ten units: a tenth a step.
    EXPECT_EQ(model.SliderMinimum(1), -100);
    EXPECT_EQ(model.SliderMaximum(1), 0);
    EXPECT_TRUE(model.IsDefault());
    EXPECT_EQ(model.InstanceNames().indexOf(QStringLiteral("Regular")), model.CurrentInstance());

    EXPECT_TRUE(model.SetSliderPosition(0, 700));
    EXPECT_EQ(model.Axes()[0].value, 700);
    EXPECT_EQ(model.InstanceNames().at(model.CurrentInstance()), QStringLiteral("Bold"));
    EXPECT_EQ(model.Variations(),
              (std::vector<Design::CAxisValue>{{Design::TagFromText("wght"), 700}}));
    EXPECT_FALSE(model.SetSliderPosition(0, 700));  // nothing changed
    EXPECT_TRUE(model.SetSliderPosition(1, -55));
    EXPECT_FLOAT_EQ(model.Axes()[1].value, -5.5f);
    EXPECT_EQ(model.CurrentInstance(), -1);
    EXPECT_EQ(CDesignModel::ValueText(model.Axes()[1].value), QStringLiteral("-5.5"));

    // Out of range is the range's end; an instance sets every axis.
    EXPECT_TRUE(model.SetValue(0, 5000));
    EXPECT_EQ(model.Axes()[0].value, 900);
    EXPECT_FALSE(model.SetValue(0, std::numeric_limits<float>::quiet_NaN()));
    const int lightItalic =
        static_cast<int>(model.InstanceNames().indexOf(QStringLiteral("Light Italic")));
    ASSERT_GE(lightItalic, 0);
    EXPECT_TRUE(model.ChooseInstance(lightItalic));
    EXPECT_EQ(model.CurrentInstance(), lightItalic);
    EXPECT_EQ(model.Axes()[0].value, 300);
    EXPECT_EQ(model.Axes()[1].value, -10);
    EXPECT_FALSE(model.ChooseInstance(999));

    model.Reset();
    EXPECT_TRUE(model.IsDefault());
    EXPECT_TRUE(model.Variations().empty());
}

TEST(DesignModel, FeaturesStartAsShapingAppliesThemAndOnlyChangesAreAsked) {
    CDesignModel model;
    model.SetDesign(DesignOf(kNotoSans));
    const int smcp = FeatureIndex(model, "smcp");
    const int kern = FeatureIndex(model, "kern");
    ASSERT_GE(smcp, 0);
    ASSERT_GE(kern, 0);
    EXPECT_FALSE(model.Features()[static_cast<std::size_t>(smcp)].on);
    EXPECT_TRUE(model.Features()[static_cast<std::size_t>(kern)].on);
    EXPECT_TRUE(model.Axes().empty());
    EXPECT_TRUE(model.InstanceNames().isEmpty());
    EXPECT_TRUE(model.SetFeature(static_cast<std::size_t>(smcp), true));
    EXPECT_TRUE(model.SetFeature(static_cast<std::size_t>(kern), false));
    EXPECT_FALSE(model.SetFeature(static_cast<std::size_t>(kern), false));
    EXPECT_EQ(model.FeatureChoices(),
              (std::vector<Design::CFeatureChoice>{{Design::TagFromText("kern"), false},
                                                   {Design::TagFromText("smcp"), true}}));
    model.Reset();
    EXPECT_TRUE(model.FeatureChoices().empty());
}

TEST(DesignModel, HiddenAxesAndRangesThatAreNoneAreNotOffered) {
    auto design = std::make_shared<Design::CFontDesign>();
    design->axes.push_back({Design::TagFromText("wght"), u"Weight", 100, 400, 900, false});
    design->axes.push_back({Design::TagFromText("XOPQ"), u"Parametric", 0, 50, 100, true});
    design->axes.push_back({Design::TagFromText("bad "), u"Backwards", 10, 20, 5, false});
    design->axes.push_back({Design::TagFromText("opsz"), u"Optical size", 8, 8, 8.5f, false});
    CDesignModel model;
    model.SetDesign(design);
    ASSERT_EQ(model.Axes().size(), 2u);
    EXPECT_EQ(model.Axes()[0].name, QStringLiteral("Weight"));
    // Half a unit of range: a hundredth a step, at most.
    EXPECT_EQ(model.Axes()[1].scale, 100);
    EXPECT_EQ(model.SliderMaximum(1) - model.SliderMinimum(1), 50);
    EXPECT_TRUE(model.SetSliderPosition(1, 10000));
    EXPECT_EQ(model.Axes()[1].value, 8.5f);
}

TEST(WaterfallLayout, OneLineASizeEachUnderTheLast) {
    const auto lines = CWaterfallLayout::Lines(600, 50);
    ASSERT_EQ(lines.size(), CDetailFrameState::kStandardSizes.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size, CDetailFrameState::kStandardSizes[i]);
        EXPECT_EQ(lines[i].text.height(), lines[i].size);
        EXPECT_LT(lines[i].label.right(), lines[i].text.left());
        EXPECT_EQ(lines[i].label.top(), lines[i].text.top());
        if (i > 0) {
            EXPECT_EQ(lines[i].text.top(), lines[i - 1].text.bottom() + CWaterfallLayout::kGap);
        }
    }
    EXPECT_EQ(CWaterfallLayout::Height(), lines.back().text.bottom() + CWaterfallLayout::kMargin);
    EXPECT_EQ(CWaterfallLayout::Label(24), QStringLiteral("24 px"));
    // Too narrow for text: the lines are empty, never negative.
    for (const auto& line : CWaterfallLayout::Lines(40, 50)) {
        EXPECT_GE(line.text.width(), 0);
    }
}

namespace {

struct CDesignFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    std::unique_ptr<CFontDetailFrame> frame;
    std::vector<Design::CDesignLook> chosen;

    CDesignFixture() {
        options.SetFontDetailMode(0);
        options.SetPreviewText(QStringLiteral("Hamburgefonstiv 0123"));
        options.SetPreviewFontSize(48);
        frame = std::make_unique<CFontDetailFrame>(hub, options, manager, document, nullptr);
        frame->resize(900, 420);
        frame->show();
        hub.ConnectDesignChosen(
            [this](const CFontItem*, const Design::CDesignLook& look) { chosen.push_back(look); });
    }
    QImage Grab(QWidget* widget) { return widget->grab().toImage(); }
};

}  // namespace

TEST(DesignPanel, AVariableFontsAxesRedrawThePreviewTheWaterfallAndTheMap) {
    CDesignFixture f;
    CFontHandle font = f.manager.Open(kInter);
    ASSERT_NE(font, nullptr);
    f.hub.FireFontSelected(font.get());
    CDesignPanel* panel = f.frame->DesignPanel();
    ASSERT_TRUE(panel->isVisible());
    ASSERT_EQ(panel->SliderCount(), 2u);
    EXPECT_EQ(panel->Slider(0)->accessibleName(), QStringLiteral("Weight"));
    EXPECT_EQ(panel->Slider(1)->accessibleName(), QStringLiteral("Slant"));
    EXPECT_EQ(panel->Instances()->count(), 18);
    EXPECT_EQ(panel->Instances()->currentText(), QStringLiteral("Regular"));
    EXPECT_FALSE(panel->ResetButton()->isEnabled());
    CRichTextPreviewView* preview = f.frame->Preview();
    EXPECT_FALSE(preview->IsDrawingDesign());

    // The keyboard moves the weight; the preview is drawn at it.
    panel->Slider(0)->setFocus();
    QTest::keyClick(panel->Slider(0), Qt::Key_End);
    ASSERT_FALSE(f.chosen.empty());
    EXPECT_EQ(f.chosen.back().variations,
              (std::vector<Design::CAxisValue>{{Design::TagFromText("wght"), 900}}));
    EXPECT_EQ(panel->ValueLabel(0)->text(), QStringLiteral("900"));
    EXPECT_EQ(panel->Instances()->currentText(), QStringLiteral("Black"));
    EXPECT_TRUE(preview->IsDrawingDesign());
    EXPECT_FALSE(preview->Editor()->isVisible());
    const QImage black = f.Grab(preview);
    black.save(QStringLiteral("/tmp/quillmark-design-black.png"));
    QTest::keyClick(panel->Slider(0), Qt::Key_Home);
    const QImage thin = f.Grab(preview);
    EXPECT_GT(Ink(black), 2 * Ink(thin));
    f.frame->grab().save(QStringLiteral("/tmp/quillmark-design-pane.png"));

    // An instance chosen sets both axes; the waterfall draws in it.
    panel->Instances()->setCurrentIndex(
        panel->Instances()->findText(QStringLiteral("Bold Italic")));
    emit panel->Instances()->activated(panel->Instances()->currentIndex());
    EXPECT_EQ(f.chosen.back().variations.size(), 2u);
    f.frame->ModeBox()->setCurrentIndex(2);
    emit f.frame->ModeBox()->activated(2);
    ASSERT_NE(f.frame->Waterfall(), nullptr);
    EXPECT_TRUE(f.frame->Waterfall()->isVisible());
    EXPECT_FALSE(f.frame->SizeBox()->isEnabled());
    EXPECT_EQ(f.frame->Waterfall()->Design(), f.chosen.back());
    EXPECT_EQ(f.frame->Waterfall()->Text(), QStringLiteral("Hamburgefonstiv 0123"));
    const QImage waterfall = f.Grab(f.frame->Waterfall());
    waterfall.save(QStringLiteral("/tmp/quillmark-waterfall.png"));
    EXPECT_GT(Ink(waterfall), 0);
    f.frame->grab().save(QStringLiteral("/tmp/quillmark-waterfall-pane.png"));

    // Reset: the default design, and the text can be edited again.
    f.frame->ModeBox()->setCurrentIndex(0);
    emit f.frame->ModeBox()->activated(0);
    QTest::mouseClick(panel->ResetButton(), Qt::LeftButton);
    EXPECT_TRUE(f.chosen.back().IsDefault());
    EXPECT_FALSE(preview->IsDrawingDesign());
    EXPECT_TRUE(preview->Editor()->isVisible());
    f.options.SetFontDetailMode(0);
}

TEST(DesignPanel, FeaturesReshapeTheTextAndAFontWithoutADesignHidesThePanel) {
    CDesignFixture f;
    CFontHandle noto = f.manager.Open(kNotoSans);
    f.hub.FireFontSelected(noto.get());
    CDesignPanel* panel = f.frame->DesignPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->Instances()->isVisible());
    QListWidget* features = panel->FeatureList();
    const auto smallCaps =
        features->findItems(QStringLiteral("Small Capitals (smcp)"), Qt::MatchExactly);
    ASSERT_EQ(smallCaps.size(), 1);
    EXPECT_EQ(smallCaps[0]->checkState(), Qt::Unchecked);
    const QImage plain = f.Grab(f.frame->Preview());
    smallCaps[0]->setCheckState(Qt::Checked);
    ASSERT_FALSE(f.chosen.empty());
    EXPECT_EQ(f.chosen.back().features,
              (std::vector<Design::CFeatureChoice>{{Design::TagFromText("smcp"), true}}));
    EXPECT_NE(f.Grab(f.frame->Preview()), plain);

    // The design button hides and shows the panel.
    QTest::mouseClick(f.frame->DesignButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    QTest::mouseClick(f.frame->DesignButton(), Qt::LeftButton);
    EXPECT_TRUE(panel->isVisible());

    // A font with no axes and no features: nothing to show.
    CFontHandle arrows = f.manager.Open(kData + "/arrows.ttf");
    ASSERT_NE(arrows, nullptr);
    f.hub.FireFontSelected(arrows.get());
    EXPECT_FALSE(f.frame->DesignModel().HasDesign());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(f.frame->DesignButton()->isEnabled());
    EXPECT_FALSE(f.frame->Preview()->IsDrawingDesign());
}

TEST(DesignPanel, EveryControlIsNamedForScreenReaders) {
    CDesignFixture f;
    CFontHandle font = f.manager.Open(kInter);
    f.hub.FireFontSelected(font.get());
    for (QWidget* widget : f.frame->DesignPanel()->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSlider*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QAbstractButton*>(widget) || qobject_cast<QListWidget*>(widget)) {
            if (qobject_cast<QAbstractSlider*>(widget) &&
                qobject_cast<QAbstractScrollArea*>(widget->parentWidget()->parentWidget())) {
                continue;  // a list's own scroll bar
            }
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
        }
    }
    EXPECT_FALSE(f.frame->DesignButton()->accessibleName().isEmpty());
}
