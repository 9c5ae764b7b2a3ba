#include "ui/common/NameClashDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>
#include <optional>

namespace Quillmark {

namespace {

QString Describe(const QFileInfo& file) {
    const QLocale locale;
    return QCoreApplication::translate("CNameClashDialog", "%1, modified %2")
        .arg(locale.formattedDataSize(file.size()),
             locale.toString(file.lastModified(), QLocale::ShortFormat));
}

}  // namespace

CNameClashDialog::CNameClashDialog(const QString& source, const QString& existing,
                                   bool showApplyToAll, QWidget* parent,
                                   Platform::ConflictChoice preferred)
    : QDialog(parent), m_text(new QLabel(this)) {
    setObjectName(QStringLiteral("NameClashDialog"));
    setWindowTitle(tr("File Already Exists"));
    setAccessibleName(tr("File Already Exists"));
    const QFileInfo from(source);
    const QFileInfo to(existing);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setText(tr("The folder \u201C%1\u201D already has a file named \u201C%2\u201D.\n\n"
                       "Already there: %3\nNew file: %4\n\nWhat should be done with the new file?")
                        .arg(QDir::toNativeSeparators(to.absolutePath()), to.fileName(),
                             Describe(to), Describe(from)));
    m_text->setAccessibleName(m_text->text());
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));

    auto* buttons = new QDialogButtonBox(this);
    const auto add = [&](const QString& text, QDialogButtonBox::ButtonRole role,
                         Platform::ConflictChoice choice) {
        QPushButton* button = buttons->addButton(text, role);
        button->setAccessibleName(QString(text).remove('&'));
        button->setObjectName(QString(text).remove('&').remove(' '));
        connect(button, &QPushButton::clicked, this, [this, choice] { Choose(choice); });
        // Replacing loses a file: never the answer to a hasty Enter.
        if (choice == preferred && choice != Platform::ConflictChoice::Replace) {
            button->setDefault(true);
        }
        return button;
    };
    add(tr("&Replace"), QDialogButtonBox::AcceptRole, Platform::ConflictChoice::Replace);
    add(tr("&Keep Both"), QDialogButtonBox::AcceptRole, Platform::ConflictChoice::KeepBoth);
    add(tr("&Skip"), QDialogButtonBox::AcceptRole, Platform::ConflictChoice::Skip);
    add(tr("Cancel"), QDialogButtonBox::RejectRole, Platform::ConflictChoice::Cancel);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    if (showApplyToAll) {
        m_applyToAll = new QCheckBox(tr("Do this for the remaining names"), this);
        m_applyToAll->setAccessibleName(m_applyToAll->text());
        layout->addWidget(m_applyToAll);
    }
    layout->addWidget(buttons);
}

void CNameClashDialog::Choose(Platform::ConflictChoice choice) {
    m_choice = choice;
    if (choice == Platform::ConflictChoice::Cancel) {
        reject();
    } else {
        accept();
    }
}

bool CNameClashDialog::ApplyToAll() const {
    return m_applyToAll != nullptr && m_applyToAll->isChecked();
}

QString CNameClashDialog::Text() const {
    return m_text->text();
}

Platform::ConflictAsker NameClashAsker(QWidget* parent, Platform::ConflictChoice preferred) {
    auto remembered = std::make_shared<std::optional<Platform::ConflictChoice>>();
    return [parent, preferred, remembered](const QString& source, const QString& existing) {
        const QFileInfo from(source);
        const QFileInfo to(existing);
        if (from.exists() && to.exists() && from.canonicalFilePath() == to.canonicalFilePath()) {
            return Platform::ConflictChoice::Skip;  // replacing a file by itself loses it
        }
        if (remembered->has_value()) {
            return **remembered;
        }
        CNameClashDialog dialog(source, existing, true, parent, preferred);
        dialog.exec();
        const Platform::ConflictChoice choice = dialog.Choice();
        if (dialog.ApplyToAll() && choice != Platform::ConflictChoice::Cancel) {
            *remembered = choice;
        }
        return choice;
    };
}

}  // namespace Quillmark
