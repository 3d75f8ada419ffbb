// Skin files on disk for the window tests: the user's own files of the skin's names,
// planted where the window must leave them alone, and a user skin folder for the window
// to be pointed at.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace brindle::skin::test {

inline constexpr const char* kPlantedNames[] = {"Skin.ini", "skin3.gif", "Mask.bmp"};

// Files of the skin's names that belong to the user, planted in a folder the window must
// leave alone (the work folder, the current folder), then checked for whether anything
// read, changed, replaced or deleted them. Each would also show if it were taken for the
// skin: "Skin.ini" defines a window shaped by "Mask.bmp", which is all white (no shape at
// all, an invisible window), and "skin3.gif" is a 4×2 picture, not the scan animation.
class PlantedSkinFiles {
public:
    // How "Skin.ini" is planted: a file, or a symbolic link to a file outside the folder.
    enum class Definition { File, Link };

    // Plants the files in `folder`; a link's target goes into `elsewhere`. ok() tells
    // whether that, and watching them, worked; problem() says why not.
    PlantedSkinFiles(const std::filesystem::path& folder, const std::filesystem::path& elsewhere,
                     Definition definition);
    ~PlantedSkinFiles();
    PlantedSkinFiles(const PlantedSkinFiles&) = delete;
    PlantedSkinFiles& operator=(const PlantedSkinFiles&) = delete;

    bool ok() const { return m_problem.empty(); }
    const std::string& problem() const { return m_problem; }

    // Everything that happened to the files since they were planted, one line each: an
    // open, a read, a write, a change of attributes, a file of their names created,
    // renamed or deleted in the folder, bytes that differ, a link that is no longer one
    // or leads elsewhere. Empty when they were left alone. Call it once: it reads what it
    // compares, which is an open of its own.
    std::vector<std::string> touches();

private:
    struct Planted {
        std::filesystem::path path;  // the name in the folder
        std::filesystem::path file;  // what holds the bytes: the link's target for a link
        std::string bytes;
        bool link = false;
    };
    void plant(const Planted& planted);
    void watch(const std::filesystem::path& path, unsigned mask);
    std::vector<std::string> drainEvents();

    std::filesystem::path m_folder;
    std::vector<Planted> m_files;
    std::vector<std::pair<int, std::filesystem::path>> m_watches;
    int m_inotify = -1;
    std::string m_problem;
};

// The size of the mask of the user skin WriteUserSkin writes: a plain rectangle, so that
// the window's size and shape tell which definition and which mask were read.
inline constexpr int kUserMaskWidth = 600;
inline constexpr int kUserMaskHeight = 420;

// Writes a user skin into `folder`: "Skin.ini", the built-in skin's definition with its
// mask renamed to "UserMask.bmp", and that mask, black all over. The other pictures are
// the built-in ones unless a test adds files of their names. Says why when it could not.
std::string WriteUserSkin(const std::filesystem::path& folder);

// The bytes of the 4×2 GIF the tests embed (":/skin/TEST_PATTERN"): a picture that plays
// as a movie, and that no built-in animation looks like.
std::string SmallGifBytes();
// The bytes of a BMP of that size and colour.
std::string SolidBmpBytes(int width, int height, unsigned rgb);

}  // namespace brindle::skin::test
