#include "skin/SkinImage.h"

#include "skin/BuiltInSkin.h"

#include <QBuffer>
#include <QByteArray>
#include <QDebug>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/RegularFile.h"

namespace brindle::skin {

namespace {

// Decodes GIF or BMP bytes, whatever the name said; anything else is refused, so that a
// stray file beside the definition never reaches the other image readers.
QImage DecodeSkinPicture(const QByteArray& bytes, QString& problem) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format != "gif" && format != "bmp") {
        problem = QStringLiteral("neither a GIF nor a BMP picture");
        return {};
    }
    buffer.seek(0);
    QImageReader reader(&buffer, format);
    QImage image = reader.read();
    if (image.isNull()) {
        problem = QStringLiteral("the %1 picture cannot be decoded (%2)")
                      .arg(QString::fromLatin1(format).toUpper(), reader.errorString());
        return {};
    }
    // One pixel layout for every picture, so that cutting and drawing never convert again.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

QString Shown(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Decodes `bytes` read from `source` into `target`; a picture that does not decode leaves
// it empty and says why.
void DecodeInto(const QByteArray& bytes, const QString& source, SkinImage& target, QSize* size) {
    QString problem;
    QImage image = DecodeSkinPicture(bytes, problem);
    if (image.isNull()) {
        qWarning().noquote() << QStringLiteral("skin image %1: %2").arg(source, problem);
        return;
    }
    target = SkinImage(std::move(image));
    if (size != nullptr) *size = target.size();
}

// The built-in picture `embedded` names into `target`; false when the skin has none.
bool LoadBuiltInInto(const std::string& embedded, SkinImage& target, QSize* size) {
    const std::optional<QByteArray> bytes = ReadBuiltInResource(embedded);
    if (!bytes) return false;
    DecodeInto(*bytes, BuiltInResourcePath(embedded), target, size);
    return true;
}

}  // namespace

SkinImage::SkinImage(QImage image) : m_image(std::move(image)) {}

std::string EmbeddedImageName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    std::string name(separator == std::string_view::npos ? path : path.substr(separator + 1));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    // Resource names are plain ASCII; other bytes pass unchanged.
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return name;
}

std::filesystem::path SkinImageFilePath(const std::filesystem::path& path) {
    std::string name = path.filename().string();
    const std::size_t kept = name.find_last_not_of(" .");
    if (kept == std::string::npos) return {};  // nothing but blanks and dots: no file name at all
    name.resize(kept + 1);
    return path.parent_path() / name;
}

void LoadSkinImage(const std::filesystem::path& path, SkinImage& target, QSize* size) {
    target = SkinImage();
    if (size != nullptr) *size = QSize(0, 0);

    const std::filesystem::path file = SkinImageFilePath(path);
    if (!file.empty()) {
        const RegularFileRead read = ReadRegularFile(file, kMaxSkinImageFileBytes);
        if (read.ok()) {
            DecodeInto(QByteArray(read.bytes.data(), static_cast<qsizetype>(read.bytes.size())), Shown(file), target,
                       size);
            return;
        }
        if (read.status != RegularFileRead::Status::Missing) {
            qWarning().noquote() << QStringLiteral("skin image: %1; the built-in picture is used instead")
                                        .arg(QString::fromStdString(read.error));
        }
    }
    const std::string embedded = EmbeddedImageName(path.string());
    if (!LoadBuiltInInto(embedded, target, size)) {
        qWarning().noquote() << QStringLiteral("skin image %1: no such file and no built-in picture \"%2\"")
                                    .arg(Shown(path), QString::fromStdString(embedded));
    }
}

void LoadBuiltInSkinImage(std::string_view name, SkinImage& target, QSize* size) {
    target = SkinImage();
    if (size != nullptr) *size = QSize(0, 0);
    const std::string embedded = EmbeddedImageName(name);
    if (!LoadBuiltInInto(embedded, target, size)) {
        qWarning().noquote() << QStringLiteral("skin image %1: no built-in picture \"%2\"")
                                    .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                                         QString::fromStdString(embedded));
    }
}

SkinImage CutImage(const SkinImage& source, const QRect& area) {
    if (source.isEmpty() || area.isEmpty()) return {};
    if (area.width() > kMaxCutImageSide || area.height() > kMaxCutImageSide) return {};
    const QImage& image = source.image();
    if (image.rect().contains(area)) return SkinImage(image.copy(area));
    // QImage::copy fills what lies outside the source with zero bits, which is transparent
    // only in a format with alpha.
    const QImage withAlpha = image.hasAlphaChannel() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return SkinImage(withAlpha.copy(area));
}

SkinImage CutImage(const SkinImage& source, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return {};
    // Widened first: a hostile rectangle's edges may be anywhere in the int range.
    const long long width = static_cast<long long>(right) - left;
    const long long height = static_cast<long long>(bottom) - top;
    if (width > kMaxCutImageSide || height > kMaxCutImageSide) return {};
    return CutImage(source, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void DrawSkinImage(QPainter& painter, const SkinImage& image, int left, int top, int right, int bottom) {
    if (image.isEmpty() || right <= left || bottom <= top) return;
    const long long width = std::min<long long>(static_cast<long long>(right) - left, image.width());
    const long long height = std::min<long long>(static_cast<long long>(bottom) - top, image.height());
    painter.drawImage(QPoint(left, top), image.image(), QRect(0, 0, static_cast<int>(width), static_cast<int>(height)));
}

}  // namespace brindle::skin
