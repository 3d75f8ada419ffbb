#include "gui/support/SkinFiles.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "skin/BuiltInSkin.h"

namespace brindle::skin::test {

namespace fs = std::filesystem;

namespace {

// What the planted files hold: a definition of a window shaped by the all-white mask.
constexpr const char* kPlantedDefinition = "[MAINSCREENINFO]\r\nMask=Mask.bmp\r\nMain=Mask.bmp\r\n";

constexpr unsigned kFileEvents =
    IN_OPEN | IN_ACCESS | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr unsigned kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string DescribeEvent(unsigned mask) {
    struct Named {
        unsigned bit;
        const char* name;
    };
    static constexpr Named kNames[] = {
        {IN_OPEN, "opened"},          {IN_ACCESS, "read"},         {IN_MODIFY, "written"},
        {IN_ATTRIB, "attributes changed"}, {IN_CLOSE_WRITE, "closed after writing"},
        {IN_DELETE_SELF, "deleted"},  {IN_MOVE_SELF, "moved"},     {IN_CREATE, "created"},
        {IN_DELETE, "deleted"},       {IN_MOVED_FROM, "renamed away"}, {IN_MOVED_TO, "renamed into place"},
    };
    std::string text;
    for (const Named& named : kNames) {
        if ((mask & named.bit) == 0) continue;
        if (!text.empty()) text += ", ";
        text += named.name;
    }
    return text;
}

bool IsPlantedName(const std::string& name) {
    for (const char* planted : kPlantedNames) {
        if (name == planted) return true;
    }
    return false;
}

}  // namespace

PlantedSkinFiles::PlantedSkinFiles(const fs::path& folder, const fs::path& elsewhere, Definition definition)
    : m_folder(folder) {
    Planted ini{folder / "Skin.ini", folder / "Skin.ini", kPlantedDefinition, false};
    if (definition == Definition::Link) {
        ini.file = elsewhere / "my-notes.ini";
        ini.link = true;
    }
    m_files = {ini,
               {folder / "skin3.gif", folder / "skin3.gif", SmallGifBytes(), false},
               {folder / "Mask.bmp", folder / "Mask.bmp", SolidBmpBytes(40, 30, 0xFFFFFF), false}};
    for (const Planted& planted : m_files) plant(planted);
    if (!ok()) return;

    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0) {
        m_problem = std::string("inotify: ") + std::strerror(errno);
        return;
    }
    watch(folder, kFolderEvents);
    for (const Planted& planted : m_files) watch(planted.file, kFileEvents);
}

PlantedSkinFiles::~PlantedSkinFiles() {
    if (m_inotify >= 0) ::close(m_inotify);
}

void PlantedSkinFiles::plant(const Planted& planted) {
    std::ofstream(planted.file, std::ios::binary) << planted.bytes;
    std::error_code error;
    if (planted.link) fs::create_symlink(planted.file, planted.path, error);
    if (error) m_problem = "cannot link " + planted.path.string() + ": " + error.message();
    if (ReadBytes(planted.path) != planted.bytes) m_problem = "cannot plant " + planted.path.string();
}

void PlantedSkinFiles::watch(const fs::path& path, unsigned mask) {
    const int descriptor = inotify_add_watch(m_inotify, path.c_str(), mask);
    if (descriptor < 0) {
        m_problem = "cannot watch " + path.string() + ": " + std::strerror(errno);
        return;
    }
    m_watches.emplace_back(descriptor, path);
}

std::vector<std::string> PlantedSkinFiles::drainEvents() {
    std::vector<std::string> events;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0) break;  // EAGAIN: nothing more
        for (ssize_t offset = 0; offset < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            const std::string name = event.len > 0 ? std::string(buffer + offset + sizeof event) : std::string();
            offset += static_cast<ssize_t>(sizeof event + event.len);
            if ((event.mask & (kFileEvents | kFolderEvents)) == 0) continue;  // IN_IGNORED and the like
            fs::path watched;
            for (const auto& [descriptor, path] : m_watches) {
                if (descriptor == event.wd) watched = path;
            }
            if (watched == m_folder) {
                if (!IsPlantedName(name)) continue;  // the window's own files live there too
                watched /= name;
            }
            events.push_back(watched.string() + ": " + DescribeEvent(event.mask));
        }
    }
    return events;
}

std::vector<std::string> PlantedSkinFiles::touches() {
    std::vector<std::string> found = drainEvents();
    for (const Planted& planted : m_files) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(planted.path, error);
        if (planted.link) {
            if (!fs::is_symlink(status)) {
                found.push_back(planted.path.string() + ": no longer a symbolic link");
            } else if (fs::read_symlink(planted.path, error) != planted.file) {
                found.push_back(planted.path.string() + ": leads elsewhere");
            }
        } else if (!fs::is_regular_file(status)) {
            found.push_back(planted.path.string() + ": no longer a regular file");
        }
        if (ReadBytes(planted.file) != planted.bytes) found.push_back(planted.file.string() + ": bytes changed");
    }
    return found;
}

std::string WriteUserSkin(const fs::path& folder) {
    const std::optional<QByteArray> builtIn = ReadBuiltInResource(kBuiltInDefinitionName);
    if (!builtIn) return "no built-in definition";
    std::string definition = builtIn->toStdString();
    const std::string mask = "Mask=Mask.bmp";
    const std::size_t at = definition.find(mask);
    if (at == std::string::npos) return "the built-in definition names no Mask.bmp";
    definition.replace(at, mask.size(), "Mask=UserMask.bmp");
    std::ofstream(folder / "Skin.ini", std::ios::binary) << definition;
    std::ofstream(folder / "UserMask.bmp", std::ios::binary) << SolidBmpBytes(kUserMaskWidth, kUserMaskHeight, 0);
    if (ReadBytes(folder / "Skin.ini") != definition) return "cannot write " + (folder / "Skin.ini").string();
    return {};
}

std::string SmallGifBytes() {
    QFile resource(QStringLiteral(":/skin/TEST_PATTERN"));
    if (!resource.open(QIODevice::ReadOnly)) return {};
    return resource.readAll().toStdString();
}

std::string SolidBmpBytes(int width, int height, unsigned rgb) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

}  // namespace brindle::skin::test
