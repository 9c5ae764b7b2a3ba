#include "ui/browse/LocationCombo.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <boost/bind/bind.hpp>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

constexpr int kNarrowestWidth = 160;

QString FirstDroppedPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    const QList<QUrl> urls = data->urls();
    return urls.isEmpty() || !urls.first().isLocalFile() ? QString() : UrlPathText(urls.first());
}

}  // namespace

CLocationCombo::CLocationCombo(CQuillmarkSignals& hub, CProgramOptions& options,
                               const CFontProjects& projects, QString filePath, QWidget* parent)
    : QComboBox(parent),
      m_hub(hub),
      m_options(options),
      m_projects(projects),
      m_filePath(std::move(filePath)) {
    setObjectName(QStringLiteral("LocationCombo"));
    setAccessibleName(tr("Location"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMaxVisibleItems(20);
    setAcceptDrops(true);
    lineEdit()->setAcceptDrops(false);
    lineEdit()->installEventFilter(this);
    m_folderIcon =
        QIcon::fromTheme(QStringLiteral("folder"), style()->standardIcon(QStyle::SP_DirIcon));
    m_projectIcon = QIcon::fromTheme(QStringLiteral("folder-documents"),
                                     style()->standardIcon(QStyle::SP_FileDialogContentsView));

    m_tell = [this](const QString& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quillmark"), text,
                                    QMessageBox::Ok, window());
        box->setObjectName(QStringLiteral("LocationMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->button(QMessageBox::Ok)->setAccessibleName(tr("OK"));
        box->setWindowModality(Qt::WindowModal);
        // The text stays in the bar to be put right.
        connect(box, &QDialog::finished, this, [this] { lineEdit()->setFocus(); });
        box->open();
    };

    m_list.Load(m_filePath);
    ApplyLimit();
    Rebuild();

    connect(this, &QComboBox::activated, this, &CLocationCombo::OnActivated);
    // Bound to members of a trackable object: disconnected when it goes.
    hub.ConnectOptionsChanged(boost::bind(&CLocationCombo::OnOptionsChanged, this));
    hub.ConnectClearLocationHistory(boost::bind(&CLocationCombo::OnClearLocationHistory, this));
    hub.ConnectFolderSelected(boost::bind(&CLocationCombo::OnFolderSelected, this, _1));
    hub.ConnectProjectSelected(boost::bind(&CLocationCombo::OnProjectSelected, this, _1));
}

void CLocationCombo::OnOptionsChanged() {
    ApplyLimit();
    Rebuild();
}

void CLocationCombo::OnFolderSelected(const QString& path) {
    OnLocation({CLocation::Folder, path});
}

void CLocationCombo::OnProjectSelected(const QString& name) {
    OnLocation({CLocation::Project, name});
}

void CLocationCombo::Rebuild() {
    const QSignalBlocker quiet(this);
    clear();
    for (const CLocation& item : m_list.Items()) {
        if (item.kind == CLocation::Project) {
            addItem(m_projectIcon, item.name);
        } else {
            addItem(m_folderIcon, CLocationList::IsVirtual(item.name)
                                      ? CQuillmarkDoc::DisplayNameOf(item.name)
                                      : item.name);
        }
        setItemData(count() - 1, item.name, Qt::ToolTipRole);
    }
    if (count() > 0) {
        setCurrentIndex(0);
    }
}

void CLocationCombo::ApplyLimit() {
    if (m_options.GetLimitLocations()) {
        m_list.ApplyLimit(m_options.GetLocationsLimit());
    }
}

void CLocationCombo::OnLocation(const CLocation& location) {
    if (m_list.BringToTop(location)) {
        ApplyLimit();
    }
    Rebuild();
}

void CLocationCombo::OnClearLocationHistory() {
    m_list.KeepOnlyCurrent();
    CLocationList::RemoveFile(m_filePath);
    Rebuild();
}

void CLocationCombo::OnActivated(int index) {
    if (index <= 0 || index >= static_cast<int>(m_list.Count())) {
        return;
    }
    // A copy: the signal changes the list.
    const CLocation location = m_list.Items()[static_cast<std::size_t>(index)];
    if (location.kind == CLocation::Project) {
        m_hub.FireProjectSelected(location.name);
    } else {
        m_hub.FireFolderSelected(location.name, nullptr);
    }
}

QSize CLocationCombo::minimumSizeHint() const {
    const QSize hint = QComboBox::minimumSizeHint();
    return {std::min(hint.width(), kNarrowestWidth), hint.height()};
}

void CLocationCombo::showPopup() {
    m_list.RemoveStale([this](const QString& name) { return m_projects.ProjectExists(name); });
    Rebuild();
    QComboBox::showPopup();
}

QString CLocationCombo::ExpandHome(const QString& text) {
    if (text == QLatin1String("~")) {
        return QDir::homePath();
    }
    if (text.startsWith(QLatin1String("~/"))) {
        return QDir::homePath() + text.mid(1);
    }
    return text;
}

bool CLocationCombo::GoTo(const QString& text) {
    const QString path = ExpandHome(text);
    if (!path.isEmpty() && QDir::isAbsolutePath(path) && QFileInfo(path).isDir()) {
        m_hub.FireFolderSelected(QDir::cleanPath(path), nullptr);
        return true;
    }
    if (!text.isEmpty() && m_projects.ProjectExists(text)) {
        m_hub.FireProjectSelected(text);
        return true;
    }
    if (!path.isEmpty() && QDir::isAbsolutePath(path) && QFileInfo(path).isFile()) {
        OpenDropped(path);  // its folder, with the file selected
        return true;
    }
    return false;
}

void CLocationCombo::OpenDropped(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        return;
    }
    if (info.isDir()) {
        m_hub.FireFolderSelected(QDir::cleanPath(info.absoluteFilePath()), nullptr);
        return;
    }
    const QString fileName = info.fileName();
    m_hub.FireFolderSelected(info.absolutePath(), &fileName);
}

void CLocationCombo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QString text = currentText();
        if (!text.trimmed().isEmpty() && !GoTo(text) && m_tell) {
            const QString path = ExpandHome(text);
            m_tell(QDir::isAbsolutePath(path)
                       ? tr("The folder “%1” does not exist.").arg(text)
                       : tr("“%1” is neither a folder nor a font project. Type a folder's full "
                            "path (or one that begins with ~) or a project's name.")
                             .arg(text));
        }
        event->accept();  // consumed, whatever it named
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CLocationCombo::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstDroppedPath(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CLocationCombo::dropEvent(QDropEvent* event) {
    const QString path = FirstDroppedPath(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        OpenDropped(path);
    }
}

bool CLocationCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            keyPressEvent(key);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

bool CLocationCombo::SaveAtExit() {
    if (m_options.GetClearLocationsOnExit()) {
        m_list.Clear();
        return CLocationList::RemoveFile(m_filePath);
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    return static_cast<bool>(m_list.Save(m_filePath));
}

}  // namespace Quillmark
