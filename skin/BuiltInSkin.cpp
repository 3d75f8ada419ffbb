#include "skin/BuiltInSkin.h"

#include <QFile>

#include <mutex>

#ifndef BRINDLE_BUILT_IN_SKIN_ROOT
#error "BRINDLE_BUILT_IN_SKIN_ROOT must name the built-in skin's resource folder (resources/CMakeLists.txt)"
#endif

namespace brindle::skin {

namespace {

// Screens are built on the GUI thread, but the scan screen's thread reads the skin as well.
std::mutex g_rootLock;
QString g_root;

}  // namespace

QString BuiltInSkinRoot() {
    const std::lock_guard lock(g_rootLock);
    if (!g_root.isEmpty()) return g_root;
    // Both skins are in every build; the desktop smoke test walks each with one program.
    const QByteArray chosen = qgetenv("BRINDLE_BUILT_IN_SKIN");
    if (chosen == "full") return QString::fromLatin1(kFullSkinRoot);
    if (chosen == "shipped") return QString::fromLatin1(kShippedSkinRoot);
    return QStringLiteral(BRINDLE_BUILT_IN_SKIN_ROOT);
}

void SetBuiltInSkinRoot(const QString& root) {
    const std::lock_guard lock(g_rootLock);
    g_root = root;
}

QString BuiltInResourcePath(std::string_view name) {
    return BuiltInSkinRoot() + QLatin1Char('/') + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

std::optional<QByteArray> ReadBuiltInResource(std::string_view name) {
    if (name.empty()) return std::nullopt;
    QFile resource(BuiltInResourcePath(name));
    if (!resource.open(QIODevice::ReadOnly)) return std::nullopt;
    return resource.readAll();
}

}  // namespace brindle::skin
