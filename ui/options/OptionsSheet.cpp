#include "ui/options/OptionsSheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace Quillmark {

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

template <typename Control>
Control* Named(Control* control, const QString& name, const QString& text) {
    control->setObjectName(name);
    control->setAccessibleName(Plain(text));
    return control;
}

QPushButton* Button(const QString& text, const QString& name) {
    return Named(new QPushButton(text), name, text);
}

QCheckBox* Check(const QString& text, const QString& name) {
    return Named(new QCheckBox(text), name, text);
}

QLineEdit* Edit(const QString& name, const QString& accessible) {
    return Named(new QLineEdit, name, accessible);
}

QComboBox* Choices(const QStringList& items, const QString& name, const QString& accessible) {
    auto* box = Named(new QComboBox, name, accessible);
    box->addItems(items);
    return box;
}

// Digits only, at most nine: every value fits the option's 32 bits.
QValidator* NumberValidator(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")),
                                           parent);
}

// The lower limit's warning, drawn as a balloon by the limit's edit.
QWidget* MakeBalloon(QWidget* parent) {
    auto* balloon = new QFrame(parent);
    balloon->setObjectName(QStringLiteral("LimitBalloon"));
    balloon->setFrameShape(QFrame::Box);
    balloon->setAutoFillBackground(true);
    balloon->setBackgroundRole(QPalette::ToolTipBase);
    balloon->setForegroundRole(QPalette::ToolTipText);
    auto* icon = new QLabel(balloon);
    icon->setPixmap(balloon->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(24, 24));
    auto* title = new QLabel(QObject::tr(OptionsModel::kLimitWarningTitle), balloon);
    title->setObjectName(QStringLiteral("LimitBalloonTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* text = new QLabel(QObject::tr(OptionsModel::kLimitWarningText), balloon);
    text->setObjectName(QStringLiteral("LimitBalloonText"));
    text->setWordWrap(true);
    auto* layout = new QGridLayout(balloon);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1);
    layout->addWidget(text, 1, 1);
    balloon->setAccessibleName(title->text());
    balloon->setAccessibleDescription(text->text());
    balloon->setFixedWidth(320);
    balloon->hide();
    return balloon;
}

}  // namespace

COptionsSheet::COptionsSheet(const Context& context, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(tr("Quillmark Program Options"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("OptionsPages"));
    m_tabs->addTab(MakeGeneralPage(context), tr("General"));
    m_tabs->addTab(MakePrintingPage(), tr("Printing"));
    m_tabs->addTab(MakeFontViewingPage(context), tr("Font Viewing"));
    m_tabs->setAccessibleName(tr("Options pages"));

    auto buttons = QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply;
    if (context.help) {
        buttons |= QDialogButtonBox::Help;
    }
    m_buttons = new QDialogButtonBox(buttons, this);
    for (QAbstractButton* button : m_buttons->buttons()) {
        button->setAccessibleName(Plain(button->text()));
    }
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
    connect(m_buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton* button) {
        switch (m_buttons->standardButton(button)) {
            case QDialogButtonBox::Ok:
                emit ApplyRequested();
                accept();
                break;
            case QDialogButtonBox::Apply:
                emit ApplyRequested();
                break;
            case QDialogButtonBox::Cancel:
                reject();
                break;
            case QDialogButtonBox::Help:
                emit HelpRequested(CurrentPage());
                break;
            default:
                break;
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    chooseFolder = [](QWidget* owner, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, title, start);
    };
}

QWidget* COptionsSheet::MakeGeneralPage(const Context& context) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("GeneralPage"));

    m_defaultFolder = Edit(QStringLiteral("DefaultFolder"), tr("Default folder"));
    auto* useFolder = Button(tr("Use current folder"), QStringLiteral("UseCurrentFolder"));
    useFolder->setEnabled(!context.currentFolder.isEmpty());
    connect(useFolder, &QPushButton::clicked, this,
            [this, folder = context.currentFolder] { m_defaultFolder->setText(folder); });
    auto* browse = Button(tr("Browse..."), QStringLiteral("BrowseFolder"));
    connect(browse, &QPushButton::clicked, this, &COptionsSheet::OnBrowse);

    m_defaultProject =
        Choices(context.projects, QStringLiteral("DefaultProject"), tr("Default project"));
    m_defaultProject->setCurrentIndex(-1);
    auto* useProject = Button(tr("Use current project"), QStringLiteral("UseCurrentProject"));
    useProject->setEnabled(!context.currentProject.isEmpty());
    connect(useProject, &QPushButton::clicked, this, [this, project = context.currentProject] {
        m_defaultProject->setCurrentIndex(m_defaultProject->findText(project));
    });

    m_fullPath = Check(tr("Display full path in title bar"), QStringLiteral("ShowFullPath"));
    m_startup = Choices(OptionsModel::StartupChoices(), QStringLiteral("StartupOption"),
                        tr("On startup, open"));

    auto* group = new QGroupBox(tr("Location Bar"));
    group->setObjectName(QStringLiteral("LocationBarGroup"));
    m_clearOnExit = Check(tr("Clear locations on exit"), QStringLiteral("ClearLocationsOnExit"));
    m_limit = Check(tr("Limit to"), QStringLiteral("LimitLocations"));
    m_limitCount = Edit(QStringLiteral("LocationsLimit"), tr("locations"));
    m_limitCount->setValidator(NumberValidator(m_limitCount));
    m_limitCount->setMaximumWidth(64);
    auto* clearNow = Button(tr("Clear Locations Now"), QStringLiteral("ClearLocationsNow"));
    connect(clearNow, &QPushButton::clicked, this, &COptionsSheet::ClearLocationsRequested);
    connect(m_limit, &QCheckBox::toggled, m_limitCount, &QWidget::setEnabled);

    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(m_limit);
    limitRow->addWidget(m_limitCount);
    limitRow->addWidget(new QLabel(tr("locations")));
    limitRow->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_clearOnExit);
    groupLayout->addLayout(limitRow);
    groupLayout->addWidget(clearNow, 0, Qt::AlignLeft);

    auto* folderButtons = new QHBoxLayout;
    folderButtons->addWidget(useFolder);
    folderButtons->addWidget(browse);
    folderButtons->addStretch();
    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(m_defaultProject, 1);
    projectRow->addWidget(useProject);

    auto* form = new QFormLayout;
    form->addRow(tr("Default folder:"), m_defaultFolder);
    form->addRow(QString(), folderButtons);
    form->addRow(tr("Default project:"), projectRow);
    form->addRow(QString(), m_fullPath);
    form->addRow(tr("On startup, open"), m_startup);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addStretch();

    m_limitBalloon = MakeBalloon(page);
    connect(m_limitCount, &QLineEdit::textChanged, this, &COptionsSheet::UpdateLimitWarning);

    for (QLineEdit* edit : {m_defaultFolder, m_limitCount}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { SetModified(true); });
    }
    for (QCheckBox* box : {m_fullPath, m_clearOnExit, m_limit}) {
        connect(box, &QCheckBox::toggled, this, [this] { SetModified(true); });
    }
    for (QComboBox* box : {m_defaultProject, m_startup}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] { SetModified(true); });
    }
    return page;
}

QWidget* COptionsSheet::MakePrintingPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PrintingPage"));
    m_printSize = Edit(QStringLiteral("PrintCharSize"), tr("Print fonts using"));
    m_printSize->setValidator(NumberValidator(m_printSize));
    m_printSize->setMaximumWidth(64);
    m_sampleLine1 = Edit(QStringLiteral("SampleLine1"), tr("First sample line"));
    m_sampleLine2 = Edit(QStringLiteral("SampleLine2"), tr("Second sample line"));
    auto* defaults = Button(tr("Use default text"), QStringLiteral("UseDefaultText"));
    connect(defaults, &QPushButton::clicked, this, [this] {
        const CPrintingPage lines = OptionsModel::DefaultSampleLines();
        m_sampleLine1->setText(lines.sampleLine1);
        m_sampleLine2->setText(lines.sampleLine2);
        SetModified(true);
    });
    for (QLineEdit* edit : {m_printSize, m_sampleLine1, m_sampleLine2}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { SetModified(true); });
    }

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(tr("Print fonts using")));
    sizeRow->addWidget(m_printSize);
    sizeRow->addWidget(new QLabel(tr("pt font.")));
    sizeRow->addStretch();
    auto* group = new QGroupBox(tr("Sample text"));
    auto* lines = new QFormLayout(group);
    lines->addRow(tr("Line 1:"), m_sampleLine1);
    lines->addRow(tr("Line 2:"), m_sampleLine2);
    auto* defaultsRow = new QHBoxLayout;
    defaultsRow->addWidget(defaults);
    defaultsRow->addStretch();
    lines->addRow(QString(), defaultsRow);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(sizeRow);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget* COptionsSheet::MakeFontViewingPage(const Context& context) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("FontViewingPage"));
    m_previewText = Edit(QStringLiteral("FontListText"), tr("Font list preview text"));
    connect(m_previewText, &QLineEdit::textChanged, this, [this] { SetModified(true); });

    auto* rendering = new QGroupBox(tr("Text rendering"));
    auto* renderingForm = new QFormLayout(rendering);
    const QString names[3] = {QStringLiteral("FontListRendering"),
                              QStringLiteral("FontMapRendering"),
                              QStringLiteral("CharDetailRendering")};
    const QString labels[3] = {tr("Font List"), tr("Font Map"), tr("Character Detail")};
    for (int i = 0; i < 3; ++i) {
        m_renderings[i] = Choices(OptionsModel::RenderingChoices(), names[i], labels[i]);
        connect(m_renderings[i], &QComboBox::currentIndexChanged, this,
                [this] { SetModified(true); });
        renderingForm->addRow(labels[i] + QLatin1Char(':'), m_renderings[i]);
    }
    auto* current = new QLabel(tr("Current default rendering setting is: ") +
                               OptionsModel::DesktopRenderingName(context.desktopRendering));
    current->setObjectName(QStringLiteral("CurrentRendering"));
    current->setAccessibleName(current->text());
    renderingForm->addRow(current);

    auto* drop = new QGroupBox(tr("When a file or folder is dropped on the font list"));
    m_dropOption = new QButtonGroup(this);
    auto* copy = Named(new QRadioButton(tr("Copy it into the current folder, or add a font file "
                                           "to the current font project")),
                       QStringLiteral("DropCopies"), QString());
    copy->setAccessibleName(Plain(copy->text()));
    auto* show = Named(new QRadioButton(tr("Go to its folder and select the dropped font")),
                       QStringLiteral("DropShowsFolder"), QString());
    show->setAccessibleName(Plain(show->text()));
    m_dropOption->addButton(copy, 0);
    m_dropOption->addButton(show, 1);
    connect(m_dropOption, &QButtonGroup::idToggled, this, [this] { SetModified(true); });
    auto* dropLayout = new QVBoxLayout(drop);
    dropLayout->addWidget(copy);
    dropLayout->addWidget(show);

    auto* form = new QFormLayout;
    form->addRow(tr("Font list preview text:"), m_previewText);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(rendering);
    layout->addWidget(drop);
    layout->addStretch();
    return page;
}

void COptionsSheet::SetPages(const CGeneralPage& general, const CPrintingPage& printing,
                             const CFontViewingPage& fontViewing) {
    m_filling = true;
    m_defaultFolder->setText(general.defaultFolder);
    m_defaultProject->setCurrentIndex(
        general.defaultProject ? m_defaultProject->findText(*general.defaultProject) : -1);
    m_fullPath->setChecked(general.showFullPath);
    const int startup = static_cast<int>(general.startup);
    m_startup->setCurrentIndex(startup < m_startup->count() ? startup : -1);
    m_clearOnExit->setChecked(general.clearLocationsOnExit);
    m_limit->setChecked(general.limitLocations);
    m_limitCount->setEnabled(general.limitLocations);
    m_limitCount->setText(general.locationsLimit);

    m_printSize->setText(printing.charSize);
    m_sampleLine1->setText(printing.sampleLine1);
    m_sampleLine2->setText(printing.sampleLine2);

    m_previewText->setText(fontViewing.previewText);
    const Rendering renderings[3] = {fontViewing.fontList, fontViewing.fontMap,
                                     fontViewing.charDetail};
    for (int i = 0; i < 3; ++i) {
        const int index = static_cast<int>(renderings[i]);
        m_renderings[i]->setCurrentIndex(index < m_renderings[i]->count() ? index : -1);
    }
    // A value the sheet does not offer checks neither button.
    m_dropOption->setExclusive(false);
    for (QAbstractButton* button : m_dropOption->buttons()) {
        button->setChecked(m_dropOption->id(button) == static_cast<int>(fontViewing.dropOption));
    }
    m_dropOption->setExclusive(true);
    m_filling = false;
    SetModified(false);
    UpdateLimitWarning();
}

CGeneralPage COptionsSheet::GeneralValues() const {
    CGeneralPage page;
    page.defaultFolder = m_defaultFolder->text();
    if (m_defaultProject->currentIndex() >= 0) {
        page.defaultProject = m_defaultProject->currentText();
    }
    page.showFullPath = m_fullPath->isChecked();
    page.startup = static_cast<StartupLocation>(std::max(0, m_startup->currentIndex()));
    page.clearLocationsOnExit = m_clearOnExit->isChecked();
    page.limitLocations = m_limit->isChecked();
    page.locationsLimit = m_limitCount->text();
    return page;
}

CPrintingPage COptionsSheet::PrintingValues() const {
    return {m_printSize->text(), m_sampleLine1->text(), m_sampleLine2->text()};
}

CFontViewingPage COptionsSheet::FontViewingValues() const {
    CFontViewingPage page;
    page.previewText = m_previewText->text();
    Rendering* renderings[3] = {&page.fontList, &page.fontMap, &page.charDetail};
    for (int i = 0; i < 3; ++i) {
        *renderings[i] = static_cast<Rendering>(std::max(0, m_renderings[i]->currentIndex()));
    }
    page.dropOption = static_cast<quint32>(std::max(0, m_dropOption->checkedId()));
    return page;
}

COptionsSheet::Page COptionsSheet::CurrentPage() const {
    return static_cast<Page>(m_tabs->currentIndex());
}

void COptionsSheet::SetCurrentPage(Page page) {
    m_tabs->setCurrentIndex(page);
}

void COptionsSheet::SetModified(bool modified) {
    if (m_filling) {
        return;
    }
    m_modified = modified;
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

void COptionsSheet::UpdateLimitWarning() {
    if (!OptionsModel::LimitWarningShown(m_limitCount->text())) {
        m_limitBalloon->hide();
        return;
    }
    // Just above the edit, inside the page, where nothing cuts it off.
    QWidget* page = m_limitBalloon->parentWidget();
    m_limitBalloon->adjustSize();
    const QPoint edit = m_limitCount->mapTo(page, QPoint(0, 0));
    m_limitBalloon->move(std::max(0, std::min(edit.x(), page->width() - m_limitBalloon->width())),
                         std::max(0, edit.y() - m_limitBalloon->height() - 2));
    m_limitBalloon->raise();
    m_limitBalloon->show();
}

void COptionsSheet::OnBrowse() {
    const QString folder =
        chooseFolder(this, tr("Select startup folder..."), m_defaultFolder->text());
    if (!folder.isEmpty()) {
        m_defaultFolder->setText(folder);
    }
}

}  // namespace Quillmark
