#include "update/UpdateAvailableDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QThread>
#include <QVBoxLayout>
#include <optional>

#include "update/OnlineRelease.h"
#include "update/UpdateCheckModel.h"

namespace Quillmark {

namespace {

bool IsWebAddress(const QUrl& address) {
    return address.isValid() && (address.scheme() == QLatin1String("https") ||
                                 address.scheme() == QLatin1String("http"));
}

}  // namespace

// No folder: nothing from the disk or elsewhere on the word of a page off
// the net.
CNotesBrowser::CNotesBrowser(QWidget* parent) : CFencedTextBrowser(QString(), parent) {
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [](const QUrl& link) { OpenInBrowser(link); });
}

bool CNotesBrowser::OpenInBrowser(const QUrl& address) {
    return IsWebAddress(address) && QDesktopServices::openUrl(address);
}

QString CUpdateAvailableDialog::LoadingText() {
    return tr("Loading update notes...");
}

CUpdateAvailableDialog::CUpdateAvailableDialog(const QUrl& notes, bool signedDownload,
                                               QWidget* parent)
    : QDialog(parent), m_notes(notes) {
    setObjectName(QStringLiteral("UpdateAvailableDialog"));
    setWindowTitle(tr("Update Available"));
    resize(560, 420);

    auto* loading = new QLabel(LoadingText());
    loading->setObjectName(QStringLiteral("NotesLoading"));
    loading->setAlignment(Qt::AlignCenter);
    loading->setWordWrap(true);
    QFont big(QStringLiteral("Tahoma"));
    big.setPixelSize(38);
    loading->setFont(big);
    loading->setAccessibleName(loading->text());
    m_browser = new CNotesBrowser;
    m_browser->setObjectName(QStringLiteral("NotesBrowser"));
    m_browser->setAccessibleName(tr("Release notes"));
    m_pages = new QStackedWidget;
    m_pages->addWidget(loading);
    m_pages->addWidget(m_browser);

    auto* link = new QLabel;
    link->setObjectName(QStringLiteral("NotesLink"));
    if (IsWebAddress(notes)) {
        link->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                          .arg(notes.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                               tr("Open the release notes in your web browser")));
    }
    link->setAccessibleName(tr("Open the release notes in your web browser"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this,
            [](const QString& address) { CNotesBrowser::OpenInBrowser(QUrl(address)); });

    auto* signing = new QLabel(signedDownload ? CUpdateCheckModel::SignedText()
                                              : CUpdateCheckModel::UnsignedText());
    signing->setObjectName(QStringLiteral("DownloadSigning"));
    signing->setWordWrap(true);
    signing->setAccessibleName(signing->text());

    auto* buttons = new QDialogButtonBox;
    m_download = buttons->addButton(tr("Download Update"), QDialogButtonBox::AcceptRole);
    m_download->setObjectName(QStringLiteral("DownloadUpdate"));
    m_download->setAccessibleName(m_download->text());
    m_download->setEnabled(false);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setAccessibleName(cancel->text().remove(u'&'));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(link);
    layout->addWidget(signing);
    layout->addWidget(buttons);

    // Fetched on a thread of its own; the answer comes back queued.
    m_fetch = QThread::create([this, notes] {
        COnlineRelease release;
        const std::optional<QString> page =
            release.FetchNotes(notes, [this] { return m_closing.load(); });
        QMetaObject::invokeMethod(
            this, [this, page] { ShowNotes(page.value_or(QString()), page.has_value()); },
            Qt::QueuedConnection);
    });
    m_fetch->start();
}

CUpdateAvailableDialog::~CUpdateAvailableDialog() {
    m_closing = true;
    m_fetch->wait();
    delete m_fetch;
}

void CUpdateAvailableDialog::ShowNotes(const QString& html, bool fetched) {
    if (fetched) {
        m_browser->setHtml(CFencedTextDocument::BoundedNumbers(html));
    } else {
        m_browser->setHtml(
            QStringLiteral("<p>%1</p>").arg(tr("The release notes could not be loaded.")));
    }
    m_pages->setCurrentWidget(m_browser);
    m_download->setEnabled(true);
    m_download->setDefault(true);
    m_loaded = true;
    emit NotesFinished();
}

}  // namespace Quillmark
