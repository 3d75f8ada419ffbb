#include "skin/SkinSource.h"

#include <QDebug>
#include <QString>

#include <string>

#include "platform/RegularFile.h"
#include "skin/BuiltInSkin.h"
#include "skin/SkinImage.h"

namespace brindle::skin {

std::optional<std::filesystem::path> NamedSkinFolder(const std::optional<std::filesystem::path>& skinFolder) {
    if (!skinFolder || skinFolder->empty()) return std::nullopt;
    return skinFolder;
}

Result<CSkinIni> LoadSkinDefinition(const std::optional<std::filesystem::path>& skinFolder) {
    if (skinFolder && skinFolder->empty()) return Error("the skin folder's name is empty");
    if (!skinFolder) {
        const std::optional<QByteArray> text = ReadBuiltInResource(kBuiltInDefinitionName);
        if (!text) return Error("the built-in skin " + BuiltInSkinRoot().toStdString() + " has no definition");
        return CSkinIni::FromText(text->toStdString());
    }
    // One reading of the file answers every later question: the file may change or go
    // while the program runs, and the screens built later must read what this one did.
    CSkinIni definition = CSkinIni(*skinFolder / kSkinFileName).Snapshot();
    if (Status read = definition.ReadStatus(); !read) return read.error();
    return definition;
}

QByteArray LoadScanAnimation(const std::optional<std::filesystem::path>& skinFolder) {
    if (const std::optional<std::filesystem::path> folder = NamedSkinFolder(skinFolder)) {
        const RegularFileRead read = ReadRegularFile(*folder / kScanAnimationFileName, kMaxSkinImageFileBytes);
        if (read.ok()) return QByteArray(read.bytes.data(), static_cast<qsizetype>(read.bytes.size()));
        if (read.status != RegularFileRead::Status::Missing) {
            qWarning().noquote() << QStringLiteral("scan animation: %1; the built-in animation is used instead")
                                        .arg(QString::fromStdString(read.error));
        }
    }
    return ReadBuiltInResource(kBuiltInAnimationName).value_or(QByteArray());
}

}  // namespace brindle::skin
