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
#include "ui/common/FontListDelegate.h"
#include "ui/common/FontListRoles.h"
#include "ui/common/FontRowsView.h"

namespace Quillmark {

namespace {
constexpr qreal kPictureOpacity = 0.85;
}  // namespace

std::unique_ptr<QMimeData> FolderDragData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString& path : paths) {
        urls.append(FileUrl(path));
    }
    data->setUrls(urls);
    data->setData(QString::fromLatin1(kFontProjectDataMimeType), EncodeFileListBlock(paths));
    return data;
}

std::unique_ptr<QMimeData> ProjectDragData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kFontProjectDataMimeType), EncodeFileListBlock(paths));
    return data;
}

QPixmap DraggedRowsPicture(const CFontRowsView& view) {
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    QModelIndex first = view.currentIndex().siblingAtColumn(FontList::NameColumn);
    if (!first.isValid() || !view.selectionModel()->isRowSelected(first.row(), {})) {
        first = rows.front();
    }
    // The row's icon and name on its first line, as wide as the name.
    const QRect cell = view.visualRect(first);
    const QFontMetrics metrics(view.font());
    const int nameWidth = 2 + 16 + 2 + metrics.horizontalAdvance(first.data().toString()) + 6;
    const QRect name = QRect(cell.left(), cell.top(), std::min(cell.width(), nameWidth),
                             view.Delegate().FirstLineHeight())
                           .intersected(view.viewport()->rect());
    if (name.isEmpty()) {
        return {};
    }
    const QString others = rows.size() > 1 ? QStringLiteral("+%1").arg(rows.size() - 1) : QString();
    const int badge = others.isEmpty() ? 0 : metrics.horizontalAdvance(others) + 10;
    const qreal ratio = view.devicePixelRatioF();
    QPixmap picture(QSize(name.width() + badge, name.height()) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setOpacity(kPictureOpacity);
    painter.drawPixmap(0, 0, view.viewport()->grab(name));
    if (!others.isEmpty()) {
        const QRect around(name.width() + 2, 1, badge - 4, name.height() - 2);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(view.palette().color(QPalette::Highlight));
        painter.drawRoundedRect(around, 4, 4);
        painter.setPen(view.palette().color(QPalette::HighlightedText));
        painter.setFont(view.font());
        painter.drawText(around, Qt::AlignCenter, others);
    }
    return picture;
}

Qt::DropAction RunFontDrag(QDrag& drag, const std::vector<CFontHandle>& fonts,
                           const DragRunner& runner, bool offerMove) {
    for (const CFontHandle& font : fonts) {
        font->MakeTemporarilyPrivate();
    }
    const Qt::DropActions allowed =
        offerMove ? Qt::CopyAction | Qt::MoveAction : Qt::DropActions(Qt::CopyAction);
    const Qt::DropAction action =
        runner ? runner(drag, allowed)
               : drag.exec(allowed, offerMove ? Qt::MoveAction : Qt::CopyAction);
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
            files.append(QDir::cleanPath(UrlPathText(url)));
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
