#include "ui/browse/FolderLoadDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "fontdata/manager/FolderLoad.h"

namespace Quillmark {

namespace {
// The loop looks for the end every 10 ms, updates the progress every 50 ms,
// and shows the dialog after 300 ms.
constexpr int kTickMilliseconds = 10;
constexpr int kTicksPerUpdate = 5;
constexpr int kTicksBeforeShowing = 30;
constexpr auto kFirstWait = std::chrono::milliseconds(30);
}  // namespace

QString CFolderLoadDialog::ProgressText(std::size_t done, std::size_t total) {
    return tr("Reading font %1 of %2.").arg(done).arg(total);
}

CFolderLoadDialog::CFolderLoadDialog(CFolderLoad& load, QWidget* parent)
    : QDialog(parent), m_load(load), m_bar(new QProgressBar(this)), m_text(new QLabel(this)) {
    setWindowTitle(tr("Reading Font Information..."));
    setModal(true);
    m_bar->setRange(0, static_cast<int>(load.Total()));
    m_bar->setValue(0);
    m_text->setText(ProgressText(0, load.Total()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderLoadDialog::OnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void CFolderLoadDialog::OnCancel() {
    m_load.Cancel();
    hide();
}

void CFolderLoadDialog::reject() {
    OnCancel();
}

void CFolderLoadDialog::Run() {
    m_load.Start();
    // Most folders are read before anyone could see a dialog.
    if (m_load.WaitFor(kFirstWait)) {
        return;
    }
    // A local loop: the window repaints and answers, the rest of the
    // program's windows wait as behind a modal dialog.
    QEventLoop loop;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [this, &loop] {
        if (m_load.Finished()) {
            loop.quit();
            return;
        }
        Poll();
    });
    timer.start(kTickMilliseconds);
    // The program closing (its window closed, the desktop ending the
    // session) does not wait for the rest of the folder.
    const auto closing = connect(qApp, &QGuiApplication::lastWindowClosed, this, [this, &loop] {
        m_load.Cancel();
        loop.quit();
    });
    QApplication::setOverrideCursor(Qt::BusyCursor);
    qApp->installEventFilter(this);
    loop.exec();
    disconnect(closing);
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    hide();
}

bool CFolderLoadDialog::eventFilter(QObject* watched, QEvent* event) {
    // Input for other windows waits, as behind a modal dialog.
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
        case QEvent::Drop: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->window() != this) {
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void CFolderLoadDialog::Poll() {
    if (++m_ticks == kTicksBeforeShowing && !m_load.IsCanceled()) {
        show();
    }
    if (m_ticks % kTicksPerUpdate != 0) {
        return;
    }
    m_bar->setValue(static_cast<int>(m_load.Done()));
    m_text->setText(ProgressText(m_load.Done(), m_load.Total()));
}

}  // namespace Quillmark
