#include "update/PackageType.h"

#include <array>
#include <utility>

namespace Quillmark {

std::optional<CPackageType> PackageTypeOf(const QByteArray& contentType) {
    static constexpr std::array<std::pair<const char*, CPackageType>, 7> kTypes{{
        {"application/vnd.debian.binary-package", CPackageType::Deb},
        {"application/x-debian-package", CPackageType::Deb},
        {"application/x-rpm", CPackageType::Rpm},
        {"application/x-redhat-package-manager", CPackageType::Rpm},
        {"application/vnd.appimage", CPackageType::AppImage},
        {"application/x-iso9660-appimage", CPackageType::AppImage},
        {"application/vnd.flatpak.ref", CPackageType::FlatpakRef},
    }};
    const qsizetype parameters = contentType.indexOf(';');
    const QByteArray type =
        (parameters < 0 ? contentType : contentType.left(parameters)).trimmed().toLower();
    for (const auto& [name, kind] : kTypes) {
        if (type == name) {
            return kind;
        }
    }
    return std::nullopt;
}

const QStringList& PackageExtensions() {
    static const QStringList extensions{QStringLiteral("deb"), QStringLiteral("rpm"),
                                        QStringLiteral("AppImage"), QStringLiteral("flatpakref")};
    return extensions;
}

QString PackageExtension(CPackageType type) {
    return PackageExtensions().value(static_cast<int>(type));
}

}  // namespace Quillmark
