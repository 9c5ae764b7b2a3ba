#include "ui/browse/FontDrag.h"

#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QUrl>
#include <algorithm>

#include "core/FileListBlock.h"
#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "ui/browse/FontListView.h"

namespace Quillmark {

namespace {
constexpr int kMaxPictureHeight = 320;
constexpr qreal kPictureOpacity = 0.75;
}  // namespace

std::unique_ptr<QMimeData> FolderDragData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> ProjectDragData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kFontProjectDataMimeType), EncodeFileListBlock(paths));
    return data;
}

QPixmap DraggedRowsPicture(const CFontListView& view) {
    QModelIndexList rows = view.selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const QRect visible = view.viewport()->rect();
    QRect area;
    std::vector<QRect> parts;
    for (const QModelIndex& index : rows) {
        QRect rect = view.visualRect(index);
        rect.setLeft(0);
        rect.setRight(visible.right());
        rect = rect.intersected(visible);
        if (rect.isEmpty()) {
            continue;
        }
        if (area.height() + rect.height() > kMaxPictureHeight && !parts.empty()) {
            break;
        }
        parts.push_back(rect);
        area.setHeight(area.height() + rect.height());
        area.setWidth(std::max(area.width(), rect.width()));
    }
    if (parts.empty()) {
        return {};
    }
    const qreal ratio = view.devicePixelRatioF();
    QPixmap picture(area.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setOpacity(kPictureOpacity);
    int top = 0;
    for (const QRect& part : parts) {
        painter.drawPixmap(0, top, view.viewport()->grab(part));
        top += part.height();
    }
    return picture;
}

Qt::DropAction RunFontDrag(QDrag& drag, const std::vector<CFontHandle>& fonts,
                           const DragRunner& runner) {
    for (const CFontHandle& font : fonts) {
        font->MakeTemporarilyPrivate();
    }
    const Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction;
    const Qt::DropAction action =
        runner ? runner(drag, allowed) : drag.exec(allowed, Qt::CopyAction);
    // After a move the files are gone: their rows go when the folder's
    // watcher notices, and the fonts with them.
    if (action != Qt::MoveAction) {
        for (const CFontHandle& font : fonts) {
            font->RestoreSharing();
        }
    }
    return action;
}

QStringList DroppedFiles(const QMimeData& data) {
    QStringList files;
    if (!data.hasUrls()) {
        return files;
    }
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            files.append(QDir::cleanPath(url.toLocalFile()));
        }
    }
    return files;
}

CDropPlan DropPlanFor(const QMimeData& data, const CDropContext& context) {
    CDropPlan plan;
    const QStringList files = DroppedFiles(data);
    if (files.isEmpty()) {
        const QString format = QString::fromLatin1(kFontProjectDataMimeType);
        if (context.projectMode && data.hasFormat(format)) {
            const auto paths = DecodeFileListBlock(data.data(format));
            if (paths && !paths->isEmpty()) {
                plan.kind = CDropPlan::AddToProject;
                plan.paths = *paths;
            }
        }
        return plan;
    }
    if (context.dropOption == 1) {
        plan.kind = CDropPlan::ShowFolder;
        plan.paths = files.mid(0, 1);
        return plan;
    }
    if (context.projectMode) {
        for (const QString& file : files) {
            if (QFileInfo(file).isFile()) {
                plan.paths.append(file);
            }
        }
        plan.kind = plan.paths.isEmpty() ? CDropPlan::Nothing : CDropPlan::AddToProject;
        return plan;
    }
    if (context.shownFolder.isEmpty() || context.shownFolder.startsWith(QStringLiteral("::"))) {
        return plan;
    }
    for (const QString& file : files) {
        if (!SameFolder(QFileInfo(file).absolutePath(), context.shownFolder)) {
            plan.paths.append(file);
        }
    }
    plan.kind = plan.paths.isEmpty() ? CDropPlan::Nothing : CDropPlan::TransferIn;
    return plan;
}

}  // namespace Quillmark
