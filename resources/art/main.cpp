// brindle-skin-art: paints every picture of a built-in skin and writes them into a folder.
//
//   brindle-skin-art <output folder>          the shipped skin
//   brindle-skin-art --full <output folder>   the full skin (the controls the shipped one leaves out)
//
// All pictures are painted and encoded first; files are written only when every one of them
// encoded, each through a temporary file that replaces the old one in a single step.

#include "Art.h"
#include "BmpWriter.h"
#include "GifWriter.h"
#include "Style.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "brindle-skin-art: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Painting needs no screen: the offscreen platform works on a build machine without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QStringList args = app.arguments();
    args.removeFirst();
    art::Variant variant = art::Variant::Shipped;
    if (!args.isEmpty() && args.front() == QStringLiteral("--full")) {
        variant = art::Variant::Full;
        args.removeFirst();
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-')))
        return fail(QStringLiteral("usage: brindle-skin-art [--full] <output folder>"));
    const QFileInfo folder(args[0]);
    if (!folder.isDir())
        return fail(QStringLiteral("output folder %1 does not exist").arg(args[0]));

    // Another family would silently stand in for a missing one and change every picture.
    if (!QFontDatabase::families().contains(art::style::kFontFamily))
        return fail(QStringLiteral("font family \"%1\" is not installed (Debian: fonts-dejavu-core)")
                        .arg(art::style::kFontFamily));

    struct Encoded {
        QString path;
        QByteArray bytes;
    };
    const std::vector<art::NamedImage> pictures = art::allArt(variant);
    std::map<QString, std::vector<QRgb>> palettes;
    for (const auto& picture : pictures) {
        if (picture.kind == art::FileKind::AnimatedGif)
            palettes.emplace(picture.family, art::choosePalette(picture.frames));
        if (picture.kind != art::FileKind::Gif || palettes.count(picture.family))
            continue;
        std::vector<QImage> family;
        for (const auto& member : pictures)
            if (member.kind == art::FileKind::Gif && member.family == picture.family)
                family.push_back(member.image);
        palettes.emplace(picture.family, art::choosePalette(family));
    }

    std::vector<Encoded> files;
    for (const auto& picture : pictures) {
        Encoded file{QDir(folder.absoluteFilePath()).filePath(picture.fileName), {}};
        if (picture.kind == art::FileKind::Bmp) {
            file.bytes = art::encodeBmp24(picture.image);
        } else if (picture.kind == art::FileKind::AnimatedGif) {
            QString error;
            if (!art::encodeAnimatedGif(picture.frames, palettes.at(picture.family), art::kAnimationFrameDelayCs,
                                        file.bytes, error))
                return fail(QStringLiteral("%1: %2; nothing was written").arg(picture.fileName, error));
        } else {
            QString error;
            if (!art::encodeGif(picture.image, palettes.at(picture.family), file.bytes, error))
                return fail(QStringLiteral("%1: %2; nothing was written").arg(picture.fileName, error));
        }
        files.push_back(std::move(file));
    }

    // Every file is written in full to its temporary file before the first one replaces its
    // old picture; a failure up to then leaves the folder as it was.
    std::vector<std::unique_ptr<QSaveFile>> outputs;
    for (const auto& file : files) {
        auto out = std::make_unique<QSaveFile>(file.path);
        if (!out->open(QIODevice::WriteOnly) || out->write(file.bytes) != file.bytes.size())
            return fail(QStringLiteral("cannot write %1: %2; nothing was replaced").arg(file.path, out->errorString()));
        outputs.push_back(std::move(out));
    }
    for (auto& out : outputs)
        if (!out->commit())
            return fail(QStringLiteral("cannot replace %1: %2").arg(out->fileName(), out->errorString()));
    std::printf("wrote %zu files to %s\n", files.size(), qPrintable(folder.absoluteFilePath()));
    return 0;
}
