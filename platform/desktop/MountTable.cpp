#include "platform/desktop/MountTable.h"

#include <QFile>

#include <map>

#include "platform/Mounts.h"

namespace Quillmark::Platform {

// The rules live in platform/Mounts.h, without Qt, where the search engine
// walks by them too; this is their face for the windows.
namespace {

CMount ToMount(const Volume& volume) {
    return {volume.device.toStdString(), volume.mountPoint.toStdString(),
            volume.fileSystem.toStdString()};
}

VolumeKind ToKind(MountKind kind) {
    switch (kind) {
        case MountKind::Removable:
            return VolumeKind::Removable;
        case MountKind::Network:
            return VolumeKind::Network;
        case MountKind::Optical:
            return VolumeKind::Optical;
        case MountKind::Ram:
            return VolumeKind::Ram;
        case MountKind::Fixed:
            break;
    }
    return VolumeKind::Fixed;
}

}  // namespace

std::vector<Volume> ParseMountTable(const QByteArray& text) {
    std::vector<Volume> volumes;
    for (const CMount& mount :
         ParseMounts(std::string_view(text.constData(), static_cast<std::size_t>(text.size())))) {
        Volume volume;
        volume.device = QString::fromStdString(mount.device);
        volume.mountPoint = QString::fromStdString(mount.mountPoint);
        volume.fileSystem = QString::fromStdString(mount.fileSystem);
        volume.kind = ToKind(KindOfMount(mount));
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

VolumeKind KindOf(const QString& device, const QString& fileSystem, const QString& mountPoint) {
    return ToKind(
        KindOfMount({device.toStdString(), mountPoint.toStdString(), fileSystem.toStdString()}));
}

bool IsUserVolume(const Volume& volume) {
    return IsUserMount(ToMount(volume));
}

QString MountTablePath() {
    return QString::fromStdString(MountTableFile());
}

std::vector<Volume> AllVolumes() {
    QFile table(MountTablePath());
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // /proc files report a size of zero: read until the end.
    return ParseMountTable(table.readAll());
}

std::vector<Volume> UserVolumes() {
    // The last mount on a point hides the earlier ones.
    std::map<QString, Volume> byPoint;
    for (Volume& volume : AllVolumes()) byPoint[volume.mountPoint] = std::move(volume);
    std::vector<Volume> volumes;
    for (auto& [point, volume] : byPoint) {
        if (IsUserVolume(volume))
            volumes.push_back(std::move(volume));
    }
    // "/" sorts first already: '/' is the smallest mount point.
    return volumes;
}

}  // namespace Quillmark::Platform
