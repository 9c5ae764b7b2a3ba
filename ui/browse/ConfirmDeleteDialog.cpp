#include "ui/browse/ConfirmDeleteDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace Quillmark {

CConfirmDeleteDialog::CConfirmDeleteDialog(int files, const QStringList& collections,
                                           QWidget* parent)
    : QDialog(parent), m_text(new QLabel(TextFor(files, collections), this)) {
    setObjectName(QStringLiteral("ConfirmDeleteDialog"));
    setWindowTitle(tr("Confirm Font Delete"));
    setAccessibleName(tr("Confirm Font Delete"));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("TrashIcon"));
    icon->setPixmap(QIcon::fromTheme(QStringLiteral("user-trash-full"),
                                     QIcon::fromTheme(QStringLiteral("user-trash"),
                                                      style()->standardIcon(QStyle::SP_TrashIcon)))
                        .pixmap(32, 32));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(320);
    m_text->setAccessibleName(m_text->text());

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* yes = buttons->addButton(tr("&Yes"), QDialogButtonBox::AcceptRole);
    QPushButton* no = buttons->addButton(tr("&No"), QDialogButtonBox::RejectRole);
    yes->setObjectName(QStringLiteral("Yes"));
    no->setObjectName(QStringLiteral("No"));
    yes->setAccessibleName(tr("Yes"));
    no->setAccessibleName(tr("No"));
    yes->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(m_text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CConfirmDeleteDialog::Text() const {
    return m_text->text();
}

QString CConfirmDeleteDialog::TextFor(int files, const QStringList& collections) {
    QString text =
        files > 1 ? tr("These files will be moved to the Trash and their associated fonts will "
                       "no longer be available.  Are you sure you want to do this?")
                  : tr("This file will be moved to the Trash and its associated fonts will "
                       "no longer be available.  Are you sure you want to do this?");
    for (const QString& collection : collections) {
        text += QStringLiteral("\n\n") + collection;
    }
    return text;
}

}  // namespace Quillmark
