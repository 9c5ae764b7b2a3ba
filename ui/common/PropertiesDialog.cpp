#include "ui/common/PropertiesDialog.h"

#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quillmark {

namespace {

QString SizeText(qint64 bytes) {
    const QLocale locale;
    return QObject::tr("%1 (%2 bytes)")
        .arg(locale.formattedDataSize(bytes), locale.toString(bytes));
}

QString PermissionText(QFileDevice::Permissions permissions) {
    QString text;
    const QFileDevice::Permission bits[] = {
        QFileDevice::ReadOwner, QFileDevice::WriteOwner, QFileDevice::ExeOwner,
        QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ExeGroup,
        QFileDevice::ReadOther, QFileDevice::WriteOther, QFileDevice::ExeOther};
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        text += (permissions & bits[i]) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return text;
}

QString DateText(const QDateTime& when) {
    return when.isValid() ? QLocale().toString(when, QLocale::LongFormat) : QObject::tr("Unknown");
}

}  // namespace

CPropertiesDialog::CPropertiesDialog(const QString& path, const Rows& extraRows, QWidget* parent)
    : QDialog(parent) {
    const QFileInfo info(path);
    setWindowTitle(tr("%1 Properties").arg(info.fileName().isEmpty() ? path : info.fileName()));
    setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);

    AddRow(tr("Name:"), info.fileName().isEmpty() ? path : info.fileName());
    AddRow(tr("Location:"), info.absolutePath());
    if (info.isSymLink())
        AddRow(tr("Link to:"), info.symLinkTarget());
    if (info.isDir()) {
        AddRow(tr("Type:"), tr("Folder"));
        qint64 total = 0;
        int files = 0;
        int folders = 0;
        QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo entry = it.fileInfo();
            if (entry.isDir() && !entry.isSymLink()) {
                ++folders;
            } else {
                ++files;
                total += entry.isSymLink() ? 0 : entry.size();
            }
        }
        AddRow(tr("Size:"), SizeText(total));
        AddRow(tr("Contains:"), tr("%1 files, %2 folders").arg(files).arg(folders));
    } else {
        AddRow(tr("Type:"), QMimeDatabase().mimeTypeForFile(info).comment());
        AddRow(tr("Size:"), SizeText(info.size()));
    }
    AddRow(tr("Modified:"), DateText(info.lastModified()));
    AddRow(tr("Accessed:"), DateText(info.lastRead()));
    AddRow(tr("Owner:"), info.owner().isEmpty() ? QString::number(info.ownerId()) : info.owner());
    AddRow(tr("Group:"), info.group().isEmpty() ? QString::number(info.groupId()) : info.group());
    AddRow(tr("Permissions:"), PermissionText(info.permissions()));
    for (const auto& [label, value] : extraRows) AddRow(label, value);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(tr("Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CPropertiesDialog::Rows CPropertiesDialog::ShownRows() const {
    return m_rows;
}

void CPropertiesDialog::AddRow(const QString& label, const QString& value) {
    auto* valueLabel = new QLabel(value, this);
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    valueLabel->setTextFormat(Qt::PlainText);
    valueLabel->setWordWrap(true);
    QString accessible = label;
    accessible.chop(accessible.endsWith(QLatin1Char(':')) ? 1 : 0);
    valueLabel->setAccessibleName(accessible);
    m_form->addRow(label, valueLabel);
    m_rows.append({label, value});
}

}  // namespace Quillmark
