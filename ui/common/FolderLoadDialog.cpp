#include "ui/common/FolderLoadDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "fontdata/manager/FolderLoad.h"

namespace Quillmark {

namespace {
// The progress is updated every 50 ms; the dialog shows after 300 ms.
constexpr int kTickMilliseconds = 50;
constexpr int kTicksBeforeShowing = 6;
}  // namespace

QString CFolderLoadDialog::ProgressText(std::size_t done, std::size_t total) {
    return tr("Reading font %1 of %2.").arg(done).arg(total);
}

CFolderLoadDialog::CFolderLoadDialog(CFolderLoad& load, QWidget* parent)
    : QDialog(parent), m_load(load), m_bar(new QProgressBar(this)), m_text(new QLabel(this)) {
    setObjectName(QStringLiteral("FolderLoadDialog"));
    setWindowTitle(tr("Reading Font Information..."));
    // The window it belongs to waits; the program's other windows do not.
    setWindowModality(Qt::WindowModal);
    m_bar->setRange(0, static_cast<int>(load.Total()));
    m_bar->setAccessibleName(tr("Progress"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderLoadDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    setMinimumWidth(360);
    Update();
    connect(&m_timer, &QTimer::timeout, this, &CFolderLoadDialog::Poll);
    m_timer.start(kTickMilliseconds);
}

void CFolderLoadDialog::reject() {
    m_load.Cancel();
    m_timer.stop();
    hide();
}

void CFolderLoadDialog::Update() {
    m_bar->setValue(static_cast<int>(m_load.Done()));
    m_text->setText(ProgressText(m_load.Done(), m_load.Total()));
}

void CFolderLoadDialog::Poll() {
    if (++m_ticks == kTicksBeforeShowing && !m_load.IsCanceled()) {
        show();
    }
    Update();
}

}  // namespace Quillmark
