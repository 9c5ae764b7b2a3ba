#include "ui/inspect/FontInfoDlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/PathText.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/opentype/FontInfoRows.h"

namespace Quillmark {

CFontInfoDlg::CFontInfoDlg(const CFontItem& item, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FontInfoDlg"));
    const auto parsed = item.GetData();
    // The full name; a font without one shows its family name, or its file.
    const auto* full = parsed ? parsed->GetName(4) : nullptr;
    QString title = full != nullptr ? QString::fromStdU16String(std::u16string(*full))
                                    : QString::fromStdU16String(item.GetName());
    if (title.isEmpty()) {
        title = ShownPath(item.GetFileName()) + QString::fromStdString(item.GetFaceSuffix());
    }
    setWindowTitle(title);
    setAccessibleName(tr("Font Info"));

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("FontInfoRows"));
    m_table->setAccessibleName(tr("Font information"));
    m_table->setColumnCount(2);
    m_table->setHorizontalHeaderLabels({tr("Name"), tr("Value")});
    m_table->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->verticalHeader()->hide();
    m_table->setShowGrid(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setColumnWidth(0, 150);
    m_table->setColumnWidth(1, 215);

    if (parsed && item.GetStatus() == CFontItem::Loaded) {
        const std::u16string fileName = ShownPath(item.GetFileName()).toStdU16String();
        const auto rows =
            Varnholt::OpenTypeFontData::AllInfoRows(fileName, *parsed, *item.GetDesign());
        m_table->setRowCount(static_cast<int>(rows.size()));
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            const QString value = QString::fromStdU16String(rows[i].value);
            auto* name = new QTableWidgetItem(QString::fromStdU16String(rows[i].name));
            // One line a row: line breaks show as blanks; the text itself,
            // breaks and all, is what is copied and what the tooltip shows.
            QString shown = value;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
            shown.replace(QLatin1Char('\r'), QLatin1Char(' '));
            auto* text = new QTableWidgetItem(shown);
            text->setData(kValueRole, value);
            text->setToolTip(value);
            m_table->setItem(i, 0, name);
            m_table->setItem(i, 1, text);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->setColumnWidth(1, std::min(m_table->columnWidth(1), 600));
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(tr("&Copy"), this, &CFontInfoDlg::CopySelected)
            ->setEnabled(!m_table->selectionModel()->selectedRows().isEmpty());
        menu.addAction(tr("Copy &All"), this, &CFontInfoDlg::CopyAll);
        menu.exec(m_table->viewport()->mapToGlobal(at));
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* copyAll = buttons->addButton(tr("Copy &All"), QDialogButtonBox::ActionRole);
    copyAll->setAccessibleName(tr("Copy All"));
    copyAll->setAutoDefault(false);
    connect(copyAll, &QPushButton::clicked, this, &CFontInfoDlg::CopyAll);
    QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    close->setAccessibleName(tr("Close"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(640, 420);
}

QString CFontInfoDlg::RowsText(const QList<int>& rows) const {
    QString text;
    for (const int row : rows) {
        text += m_table->item(row, 0)->text() + QLatin1Char('\t') +
                m_table->item(row, 1)->data(kValueRole).toString() + QLatin1Char('\n');
    }
    return text;
}

QString CFontInfoDlg::SelectedText() const {
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return RowsText(rows);
}

QString CFontInfoDlg::AllText() const {
    QList<int> rows;
    for (int i = 0; i < m_table->rowCount(); ++i) {
        rows << i;
    }
    return RowsText(rows);
}

void CFontInfoDlg::CopySelected() const {
    if (const QString text = SelectedText(); !text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

void CFontInfoDlg::CopyAll() const {
    QApplication::clipboard()->setText(AllText());
}

void CFontInfoDlg::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelected();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFontInfoDlg::Show(const CFontItem* item, QWidget* parent) {
    if (item == nullptr || item->GetStatus() != CFontItem::Loaded) {
        return;
    }
    CFontInfoDlg dialog(*item, parent);
    dialog.exec();
}

}  // namespace Quillmark
