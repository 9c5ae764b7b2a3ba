// "Quillmark Program Options": every control of the three pages round-trips
// through the options, the location limit's rule and warning, "Clear
// Locations Now" acting at once, and the desktop's rendering read from a
// fontconfig file of the test's own.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include "collections/FontProjects.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "platform/DesktopRendering.h"
#include "tests/support/TemporaryHome.h"
#include "ui/options/OptionsController.h"
#include "ui/options/OptionsModel.h"
#include "ui/options/OptionsSheet.h"

using namespace Quillmark;

namespace {

const auto& g_home = QuillmarkTest::TemporaryHome();

template <typename T>
T* Find(QWidget& sheet, const char* name) {
    T* found = sheet.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QAbstractButton* StandardButton(QWidget& sheet, QDialogButtonBox::StandardButton which) {
    return sheet.findChild<QDialogButtonBox*>()->button(which);
}

class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() : m_document(m_hub, m_options, m_manager, QStringLiteral("/fonts")) {
        m_projects.AddProject("Display");
        m_projects.AddProject("Text faces");
        m_hub.ConnectOptionsChanged([this] { ++m_optionsChanged; });
        m_hub.ConnectClearLocationHistory([this] { ++m_cleared; });
    }

    CQuillmarkSignals m_hub;
    CProgramOptions m_options;
    CFontManager m_manager{nullptr, nullptr};
    CFontProjects m_projects;
    CQuillmarkDoc m_document;
    COptionsController m_controller{m_hub, m_options, m_projects, m_document};
    int m_optionsChanged = 0;
    int m_cleared = 0;
};

}  // namespace

TEST_F(OptionsTest, EveryControlRoundTripsThroughTheOptions) {
    m_options.SetDefaultFolder("/srv/fonts");
    m_options.SetDefaultProject("Text faces");
    m_options.SetShowFullPathInTitleBar(true);
    m_options.SetStartupOption(StartupLocation::DefaultProject);
    m_options.SetClearLocationsOnExit(true);
    m_options.SetLimitLocations(true);
    m_options.SetLocationsLimit(7);
    m_options.SetPrintCharSize(14);
    m_options.SetPrintSampleTextLine1("one");
    m_options.SetPrintSampleTextLine2("two");
    m_options.SetFontListText("Sphinx of black quartz");
    m_options.SetFontListRenderingOption(Rendering::Subpixel);
    m_options.SetFontMapRenderingOption(Rendering::Antialiased);
    m_options.SetCharDetailRenderingOption(Rendering::Default);
    m_options.SetFontListDropOption(1);

    auto sheet = m_controller.MakeSheet(nullptr);
    EXPECT_EQ(sheet->windowTitle(), "Quillmark Program Options");
    // Filled from the options when it opens.
    EXPECT_EQ(Find<QLineEdit>(*sheet, "DefaultFolder")->text(), "/srv/fonts");
    EXPECT_EQ(Find<QComboBox>(*sheet, "DefaultProject")->currentText(), "Text faces");
    EXPECT_TRUE(Find<QCheckBox>(*sheet, "ShowFullPath")->isChecked());
    EXPECT_EQ(Find<QComboBox>(*sheet, "StartupOption")->currentText(), "default project set above");
    EXPECT_TRUE(Find<QCheckBox>(*sheet, "ClearLocationsOnExit")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(*sheet, "LimitLocations")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(*sheet, "LocationsLimit")->text(), "7");
    EXPECT_EQ(Find<QLineEdit>(*sheet, "PrintCharSize")->text(), "14");
    EXPECT_EQ(Find<QLineEdit>(*sheet, "SampleLine1")->text(), "one");
    EXPECT_EQ(Find<QLineEdit>(*sheet, "SampleLine2")->text(), "two");
    EXPECT_EQ(Find<QLineEdit>(*sheet, "FontListText")->text(), "Sphinx of black quartz");
    EXPECT_EQ(Find<QComboBox>(*sheet, "FontListRendering")->currentText(),
              "subpixel text rendering");
    EXPECT_EQ(Find<QComboBox>(*sheet, "FontMapRendering")->currentText(),
              "standard font smoothing");
    EXPECT_EQ(Find<QComboBox>(*sheet, "CharDetailRendering")->currentText(),
              "default text rendering setting");
    EXPECT_TRUE(Find<QRadioButton>(*sheet, "DropShowsFolder")->isChecked());
    EXPECT_FALSE(StandardButton(*sheet, QDialogButtonBox::Apply)->isEnabled());

    // Every control changed, then Apply.
    Find<QLineEdit>(*sheet, "DefaultFolder")->setText("/home/me/fonts");
    Find<QComboBox>(*sheet, "DefaultProject")->setCurrentText("Display");
    Find<QCheckBox>(*sheet, "ShowFullPath")->setChecked(false);
    Find<QComboBox>(*sheet, "StartupOption")->setCurrentIndex(0);
    Find<QCheckBox>(*sheet, "ClearLocationsOnExit")->setChecked(false);
    Find<QCheckBox>(*sheet, "LimitLocations")->setChecked(false);
    EXPECT_FALSE(Find<QLineEdit>(*sheet, "LocationsLimit")->isEnabled());
    Find<QLineEdit>(*sheet, "LocationsLimit")->setText("30");
    Find<QLineEdit>(*sheet, "PrintCharSize")->setText("36");
    Find<QLineEdit>(*sheet, "SampleLine1")->setText("uno");
    Find<QLineEdit>(*sheet, "SampleLine2")->setText("dos");
    Find<QLineEdit>(*sheet, "FontListText")->setText("Pack my box");
    Find<QComboBox>(*sheet, "FontListRendering")->setCurrentIndex(0);
    Find<QComboBox>(*sheet, "FontMapRendering")->setCurrentIndex(2);
    Find<QComboBox>(*sheet, "CharDetailRendering")->setCurrentIndex(1);
    Find<QRadioButton>(*sheet, "DropCopies")->setChecked(true);
    ASSERT_TRUE(StandardButton(*sheet, QDialogButtonBox::Apply)->isEnabled());
    EXPECT_EQ(m_optionsChanged, 0) << "nothing is written before Apply";
    EXPECT_EQ(m_options.GetDefaultFolder(), "/srv/fonts");
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();

    EXPECT_EQ(m_optionsChanged, 1);
    EXPECT_FALSE(StandardButton(*sheet, QDialogButtonBox::Apply)->isEnabled());
    EXPECT_EQ(m_options.GetDefaultFolder(), "/home/me/fonts");
    EXPECT_EQ(m_options.GetDefaultProject(), "Display");
    EXPECT_FALSE(m_options.GetShowFullPathInTitleBar());
    EXPECT_EQ(m_options.GetStartupOption(), StartupLocation::DefaultFolder);
    EXPECT_FALSE(m_options.GetClearLocationsOnExit());
    EXPECT_FALSE(m_options.GetLimitLocations());
    EXPECT_EQ(m_options.GetLocationsLimit(), 30u);
    EXPECT_EQ(m_options.GetPrintCharSize(), 36u);
    EXPECT_EQ(m_options.GetPrintSampleTextLine1(), "uno");
    EXPECT_EQ(m_options.GetPrintSampleTextLine2(), "dos");
    EXPECT_EQ(m_options.GetFontListText(), "Pack my box");
    EXPECT_EQ(m_options.GetFontListRenderingOption(), Rendering::Default);
    EXPECT_EQ(m_options.GetFontMapRenderingOption(), Rendering::Subpixel);
    EXPECT_EQ(m_options.GetCharDetailRenderingOption(), Rendering::Antialiased);
    EXPECT_EQ(m_options.GetFontListDropOption(), 0u);

    // OK applies too; Cancel writes nothing.
    Find<QLineEdit>(*sheet, "SampleLine1")->setText("eins");
    StandardButton(*sheet, QDialogButtonBox::Ok)->click();
    EXPECT_EQ(m_options.GetPrintSampleTextLine1(), "eins");
    EXPECT_EQ(m_optionsChanged, 2);
    auto again = m_controller.MakeSheet(nullptr);
    Find<QLineEdit>(*again, "SampleLine1")->setText("une");
    StandardButton(*again, QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(m_options.GetPrintSampleTextLine1(), "eins");
    EXPECT_EQ(m_optionsChanged, 2);
}

TEST_F(OptionsTest, APrintSizeOutsideOneTo500IsStoredAsTheNearestAndShown) {
    auto sheet = m_controller.MakeSheet(nullptr);
    auto* size = Find<QLineEdit>(*sheet, "PrintCharSize");
    size->setText("5000");
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_options.GetPrintCharSize(), 500u);
    EXPECT_EQ(size->text(), "500");
    size->setText("0");
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_options.GetPrintCharSize(), 1u);
}

TEST_F(OptionsTest, DefaultProjectIsTakenOnlyWhenOneIsChosen) {
    m_options.SetDefaultProject("A project since deleted");
    auto sheet = m_controller.MakeSheet(nullptr);
    EXPECT_EQ(Find<QComboBox>(*sheet, "DefaultProject")->currentIndex(), -1);
    Find<QLineEdit>(*sheet, "FontListText")->setText("changed");
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_options.GetDefaultProject(), "A project since deleted");
}

TEST_F(OptionsTest, LimitOfZeroWarnsAndIsStoredAsOne) {
    m_options.SetLimitLocations(true);
    auto sheet = m_controller.MakeSheet(nullptr);
    sheet->show();
    auto* limit = Find<QLineEdit>(*sheet, "LocationsLimit");
    auto* balloon = Find<QWidget>(*sheet, "LimitBalloon");
    EXPECT_FALSE(balloon->isVisible());
    limit->setText("0");
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(Find<QLabel>(*sheet, "LimitBalloonTitle")->text(),
              "The lower limit for this value is 1");
    EXPECT_EQ(Find<QLabel>(*sheet, "LimitBalloonText")->text(),
              "Setting the location bar limit to 1 ensures that only the current location is "
              "available in the location history dropdown.");
    limit->setText("5");
    EXPECT_FALSE(balloon->isVisible()) << "a value other than 0 hides it";
    limit->setText("0");
    EXPECT_TRUE(balloon->isVisible());
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_options.GetLocationsLimit(), 1u);
    EXPECT_EQ(limit->text(), "1") << "the edit shows what was stored";
    EXPECT_FALSE(balloon->isVisible());

    // An empty edit is stored as 1 too; letters cannot be typed.
    limit->setText("");
    StandardButton(*sheet, QDialogButtonBox::Apply)->click();
    EXPECT_EQ(m_options.GetLocationsLimit(), 1u);
    limit->setText("12");
    limit->insert("a");
    EXPECT_EQ(limit->text(), "12");
}

TEST_F(OptionsTest, ClearLocationsNowActsAtOnceAndSurvivesCancel) {
    // Modal, as the command shows it, driven from a timer.
    QTimer::singleShot(0, [this] {
        auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        Find<QPushButton>(*sheet, "ClearLocationsNow")->click();
        EXPECT_EQ(m_cleared, 1) << "at once, before the sheet closes";
        Find<QCheckBox>(*sheet, "ClearLocationsOnExit")->setChecked(true);
        StandardButton(*sheet, QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(m_controller.Run(nullptr), QDialog::Rejected);
    EXPECT_EQ(m_cleared, 1);
    EXPECT_EQ(m_optionsChanged, 0);
    EXPECT_FALSE(m_options.GetClearLocationsOnExit());
}

TEST_F(OptionsTest, CurrentFolderProjectBrowseAndDefaultText) {
    {
        auto sheet = m_controller.MakeSheet(nullptr);
        EXPECT_FALSE(Find<QPushButton>(*sheet, "UseCurrentFolder")->isEnabled()) << "no folder";
        EXPECT_FALSE(Find<QPushButton>(*sheet, "UseCurrentProject")->isEnabled());
    }
    m_document.SetFolder("/usr/share/fonts");
    {
        auto sheet = m_controller.MakeSheet(nullptr);
        auto* use = Find<QPushButton>(*sheet, "UseCurrentFolder");
        ASSERT_TRUE(use->isEnabled());
        EXPECT_EQ(use->accessibleName(), "Use current folder");
        use->click();
        EXPECT_EQ(Find<QLineEdit>(*sheet, "DefaultFolder")->text(), "/usr/share/fonts");
        EXPECT_FALSE(Find<QPushButton>(*sheet, "UseCurrentProject")->isEnabled());

        QString asked;
        sheet->chooseFolder = [&](QWidget*, const QString& title, const QString& start) {
            asked = title + "|" + start;
            return QStringLiteral("/opt/type");
        };
        Find<QPushButton>(*sheet, "BrowseFolder")->click();
        EXPECT_EQ(asked, "Select startup folder...|/usr/share/fonts");
        EXPECT_EQ(Find<QLineEdit>(*sheet, "DefaultFolder")->text(), "/opt/type");
        sheet->chooseFolder = [](QWidget*, const QString&, const QString&) { return QString(); };
        Find<QPushButton>(*sheet, "BrowseFolder")->click();
        EXPECT_EQ(Find<QLineEdit>(*sheet, "DefaultFolder")->text(), "/opt/type")
            << "a cancelled picker changes nothing";
    }
    m_hub.FireProjectSelected("Display");
    m_document.SetProjectMode(true);
    {
        auto sheet = m_controller.MakeSheet(nullptr);
        EXPECT_FALSE(Find<QPushButton>(*sheet, "UseCurrentFolder")->isEnabled());
        Find<QPushButton>(*sheet, "UseCurrentProject")->click();
        EXPECT_EQ(Find<QComboBox>(*sheet, "DefaultProject")->currentText(), "Display");

        Find<QLineEdit>(*sheet, "SampleLine1")->setText("x");
        Find<QLineEdit>(*sheet, "SampleLine2")->setText("y");
        StandardButton(*sheet, QDialogButtonBox::Apply)->click();
        Find<QPushButton>(*sheet, "UseDefaultText")->click();
        EXPECT_EQ(Find<QLineEdit>(*sheet, "SampleLine1")->text(),
                  "The quick brown fox jumps over the lazy dog.  1234567890");
        EXPECT_EQ(Find<QLineEdit>(*sheet, "SampleLine2")->text(),
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");
        EXPECT_TRUE(StandardButton(*sheet, QDialogButtonBox::Apply)->isEnabled())
            << "the page is marked modified";
    }
}

TEST_F(OptionsTest, RenderingLineFollowsFontconfig) {
    QTemporaryDir dir;
    const auto configure = [&](const QByteArray& edits) {
        const QString path = dir.filePath("fonts.conf");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(
            "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
            "<fontconfig><match target=\"pattern\">" +
            edits + "</match></fontconfig>\n");
        file.close();
        qputenv("FONTCONFIG_FILE", QFile::encodeName(path));
    };
    const auto line = [&] {
        auto sheet = m_controller.MakeSheet(nullptr);
        return Find<QLabel>(*sheet, "CurrentRendering")->text();
    };
    const QByteArray antialias = "<edit name=\"antialias\" mode=\"assign\"><bool>%1</bool></edit>";
    const QByteArray rgba = "<edit name=\"rgba\" mode=\"assign\"><const>%1</const></edit>";

    configure(QByteArray(antialias).replace("%1", "false") + QByteArray(rgba).replace("%1", "rgb"));
    EXPECT_EQ(Platform::DefaultTextRendering(), Platform::DesktopTextRendering::NoSmoothing);
    EXPECT_EQ(line(), "Current default rendering setting is: No Font Smoothing");

    configure(QByteArray(antialias).replace("%1", "true") + QByteArray(rgba).replace("%1", "none"));
    EXPECT_EQ(line(), "Current default rendering setting is: Standard Font Smoothing");
    configure(QByteArray(antialias).replace("%1", "true"));
    EXPECT_EQ(line(), "Current default rendering setting is: Standard Font Smoothing");

    configure(QByteArray(antialias).replace("%1", "true") + QByteArray(rgba).replace("%1", "bgr"));
    EXPECT_EQ(line(), "Current default rendering setting is: Subpixel Rendering");
    qunsetenv("FONTCONFIG_FILE");

    auto sheet = m_controller.MakeSheet(nullptr);
    const QStringList choices = {"default text rendering setting", "standard font smoothing",
                                 "subpixel text rendering"};
    for (const char* name : {"FontListRendering", "FontMapRendering", "CharDetailRendering"}) {
        auto* box = Find<QComboBox>(*sheet, name);
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        EXPECT_EQ(items, choices) << name;
    }
}

TEST_F(OptionsTest, EveryControlHasAnAccessibleName) {
    auto sheet = m_controller.MakeSheet(nullptr);
    for (QWidget* control : sheet->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QComboBox*>(control)) {
            if (control->parent() && qobject_cast<QComboBox*>(control->parent())) {
                continue;  // a combo box's own line edit
            }
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->metaObject()->className() << " " << control->objectName().toStdString();
            EXPECT_FALSE(control->accessibleName().contains('&'));
        }
    }
}
