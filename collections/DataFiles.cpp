#include "collections/DataFiles.h"

#include "collections/StoreFiles.h"
#include "core/PathText.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace Quillmark {

QString DataFilePath(const QString& fileName, bool forWriting) {
    const QString folder = PathText(Platform::DataFolder());
    if (forWriting) {
        Platform::MakeFolders(Platform::DataFolder());
    }
    return folder + QLatin1Char('/') + fileName;
}

QString EarlierEditionFilePath(const QString& fileName) {
    return PathText(Platform::EarlierEditionDataFolder()) + QLatin1Char('/') + fileName;
}

void ImportEarlierEditionFile(const QString& fileName, const std::function<bool()>& replaceOurs) {
    const QString earlier = EarlierEditionFilePath(fileName);
    if (!Platform::EntryExists(FilePath(earlier))) {
        return;
    }
    const QString ours = DataFilePath(fileName, true);
    if (!Platform::EntryExists(FilePath(ours)) || (replaceOurs && replaceOurs())) {
        // Ours is replaced only by a whole copy of a regular file.
        if (const CResult<QByteArray> bytes = ReadStoreBytes(earlier)) {
            (void)WriteWholeFile(ours, bytes.Value());
        }
    }
    // Never over an existing ".old" file.
    Platform::RenameNoReplace(FilePath(earlier), FilePath(earlier + QStringLiteral(".old")));
}

}  // namespace Quillmark
