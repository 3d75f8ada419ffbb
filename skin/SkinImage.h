// The pictures a skinned screen is drawn from: loading one by the name the skin definition
// gives it (a file of the user's skin folder first, else the image built into the program,
// or the built-in image alone), cutting an element's picture out of a full-screen image and
// drawing a picture at its natural scale.
//
// Built-in resources live in the Qt resource system under the built-in skin's folder
// (BuiltInSkinRoot: ":/skin" or ":/skin-full"), each image under the upper-case base name of
// its file (":/skin/HOME_ON" for home_on.gif, ":/skin/MASK" for Mask.bmp, ":/skin/ANIMATION"
// for the scan animation) and the definition as ":/skin/SKININI". They are decoded from
// memory; nothing of the skin is ever written to a file.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class QPainter;

namespace brindle::skin {

// Skin images are a few hundred pixels a side and well under a few megabytes as files;
// these limits keep a wrong or hostile file from costing more than that.
inline constexpr std::uint64_t kMaxSkinImageFileBytes = 32ull * 1024 * 1024;
// The largest side of a picture cut out for one element: skin layouts are far smaller,
// and a rectangle beyond it would only allocate transparent pixels.
inline constexpr int kMaxCutImageSide = 16384;

// One picture of the skin. An image that could not be found or decoded is empty (0×0)
// and draws nothing.
class SkinImage {
public:
    SkinImage() = default;
    explicit SkinImage(QImage image);

    bool isEmpty() const { return m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    QSize size() const { return isEmpty() ? QSize(0, 0) : m_image.size(); }
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

// The name under which a built-in image is looked for, from a file name or path as the
// definition gives it: the part after the last backslash or slash, cut before its last
// ".", in upper case ("ADVANCED-SETTINGS_chk.gif " gives "ADVANCED-SETTINGS_CHK").
std::string EmbeddedImageName(std::string_view path);

// The host file a definition's name stands for: Windows ignores trailing blanks and dots
// of a file name ("result.gif " opens "result.gif"), so they are dropped from the last
// component. Empty when nothing is left of the name.
std::filesystem::path SkinImageFilePath(const std::filesystem::path& path);

// Loads the picture for `path` (the user's skin folder joined with the image name) into
// `target`, replacing what it held: the file of that name when there is a readable
// regular file, else the built-in image by EmbeddedImageName. GIF and BMP are decoded.
// When neither exists, or what was found cannot be decoded, `target` becomes empty.
// `size`, when given, receives the picture's width and height (0×0 when empty).
// Problems (a file refused, nothing found, a picture that does not decode) are reported
// through qWarning with the path; the screen is still built.
void LoadSkinImage(const std::filesystem::path& path, SkinImage& target, QSize* size);

// The same with no file looked for: the built-in image by EmbeddedImageName(name) alone,
// for the built-in skin, whose pictures no file may stand in for.
void LoadBuiltInSkinImage(std::string_view name, SkinImage& target, QSize* size);

// The part of `source` whose top-left corner is (area.left(), area.top()), of the area's
// size, at the same scale. Pixels of the area that lie outside the source are
// transparent. Empty when the source is empty, the area has no pixels, or a side is
// larger than kMaxCutImageSide.
SkinImage CutImage(const SkinImage& source, const QRect& area);
// The same, with the rectangle given by its edges (right and bottom exclusive), as the
// skin definition's rectangles are.
SkinImage CutImage(const SkinImage& source, int left, int top, int right, int bottom);

// Draws `image` from its top-left corner into the rectangle (left, top)-(right, bottom)
// at the same scale: what exceeds the rectangle is not drawn, and what the image does not
// cover is left as it was. An empty image draws nothing.
void DrawSkinImage(QPainter& painter, const SkinImage& image, int left, int top, int right, int bottom);

}  // namespace brindle::skin
