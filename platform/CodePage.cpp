#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace brindle {

namespace {

constexpr char kReplacement = '?';
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // iconv_open's failure value
constexpr std::size_t kIconvFailed = static_cast<std::size_t>(-1);

// char16_t buffers are handed to iconv as bytes, so ask for the host's byte order.
constexpr const char* kUtf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// glibc's name for a Windows code page number.
std::string IconvName(unsigned number) {
    switch (number) {
    case 65001: return "UTF-8";
    case 20127: return "ANSI_X3.4-1968";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 10000: return "MACINTOSH";
    case 54936: return "GB18030";
    case 1361: return "JOHAB";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 28603: return "ISO-8859-13";
    case 28605: return "ISO-8859-15";
    default: break;
    }
    if (number >= 28591 && number <= 28599) return "ISO-8859-" + std::to_string(number - 28590);
    return "CP" + std::to_string(number);
}

iconv_t OpenConverter(unsigned number, const std::string& to, const std::string& from) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == kNoConverter) {
        const int error = errno;
        throw std::runtime_error("code page " + std::to_string(number) + ": the system cannot convert it (iconv " +
                                 from + " -> " + to + ": " + std::strerror(error) + ")");
    }
    return cd;
}

}  // namespace

// Shared by every CodePage of one number; immutable once built, except that the
// multi-byte converters carry iconv state and are used under m_mutex.
struct CodePage::Tables {
    bool singleByte = false;
    std::array<char16_t, 256> byteToWide{};
    // UTF-16 code unit -> byte; '?' wherever the page has no byte, surrogates included.
    std::vector<unsigned char> wideToByte;

    std::string name;
    mutable std::mutex mutex;
    iconv_t toWide = kNoConverter;
    iconv_t toNarrow = kNoConverter;

    ~Tables() {
        if (toWide != kNoConverter) iconv_close(toWide);
        if (toNarrow != kNoConverter) iconv_close(toNarrow);
    }

    static std::shared_ptr<const Tables> get(unsigned number);
    static std::shared_ptr<const Tables> build(unsigned number);
    bool tryBuildSingleByte();

    void multiByteToUtf16(std::string_view ansi, std::u16string& out) const;
    void multiByteToAnsi(std::u16string_view wide, std::string& out) const;
};

std::shared_ptr<const CodePage::Tables> CodePage::Tables::build(unsigned number) {
    auto tables = std::make_shared<Tables>();
    tables->name = IconvName(number);
    tables->toWide = OpenConverter(number, kUtf16Name, tables->name);
    tables->toNarrow = OpenConverter(number, tables->name, kUtf16Name);
    const bool knownMultiByte =
        number == 932 || number == 936 || number == 949 || number == 950 || number == 1361 || number == 20932 ||
        number == 51949 || number == 54936 || number == 65001;
    if (!knownMultiByte && tables->tryBuildSingleByte()) {
        // The tables answer everything from now on; the converters would only hold memory.
        iconv_close(tables->toWide);
        iconv_close(tables->toNarrow);
        tables->toWide = tables->toNarrow = kNoConverter;
    }
    return tables;
}

// Converts each byte alone. A byte that iconv calls incomplete is a lead byte, so the
// page is not single-byte after all and keeps converting through iconv per call.
bool CodePage::Tables::tryBuildSingleByte() {
    std::array<bool, 256> defined{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        iconv(toWide, nullptr, nullptr, nullptr, nullptr);
        char input = static_cast<char>(byte);
        char* in = &input;
        std::size_t inLeft = 1;
        char16_t output[4];
        char* out = reinterpret_cast<char*>(output);
        std::size_t outLeft = sizeof output;
        if (iconv(toWide, &in, &inLeft, &out, &outLeft) == kIconvFailed) {
            if (errno == EINVAL) return false;
            byteToWide[byte] = static_cast<char16_t>(byte);  // a hole: Windows passes it through
            continue;
        }
        // Pages that compose combining marks (1255, 1258) hold the character back until flushed.
        iconv(toWide, nullptr, nullptr, &out, &outLeft);
        const std::size_t produced = (sizeof output - outLeft) / sizeof(char16_t);
        if (produced == 1 && !IsHighSurrogate(output[0]) && !IsLowSurrogate(output[0])) {
            byteToWide[byte] = output[0];
            defined[byte] = true;
        } else {
            byteToWide[byte] = static_cast<char16_t>(byte);
        }
    }
    wideToByte.assign(0x10000, static_cast<unsigned char>(kReplacement));
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (!defined[byte]) wideToByte[byteToWide[byte]] = static_cast<unsigned char>(byte);
    }
    // Defined bytes win over holes, and the lowest byte wins where two share a character.
    for (unsigned byte = 256; byte-- > 0;) {
        if (defined[byte]) wideToByte[byteToWide[byte]] = static_cast<unsigned char>(byte);
    }
    singleByte = true;
    return true;
}

void CodePage::Tables::multiByteToUtf16(std::string_view ansi, std::u16string& out) const {
    out.clear();
    if (ansi.empty()) return;
    // A byte never yields more than one code unit except in four-byte sequences, which
    // yield two: the input's length is enough, grown only if iconv asks.
    out.resize(ansi.size() + 4);
    std::size_t written = 0;
    std::lock_guard lock(mutex);
    iconv(toWide, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(ansi.data());
    std::size_t inLeft = ansi.size();
    while (inLeft > 0) {
        char* outStart = reinterpret_cast<char*>(out.data() + written);
        char* outPtr = outStart;
        std::size_t outLeft = (out.size() - written) * sizeof(char16_t);
        const std::size_t result = iconv(toWide, &in, &inLeft, &outPtr, &outLeft);
        written += static_cast<std::size_t>(outPtr - outStart) / sizeof(char16_t);
        if (result != kIconvFailed) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 8);
            continue;
        }
        // An invalid or truncated sequence: one '?' for its first byte, then go on.
        if (written == out.size()) out.resize(out.size() * 2 + 8);
        out[written++] = u'?';
        ++in;
        --inLeft;
        iconv(toWide, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
}

void CodePage::Tables::multiByteToAnsi(std::u16string_view wide, std::string& out) const {
    out.clear();
    if (wide.empty()) return;
    out.resize(wide.size() * 3 + 4);  // UTF-8 needs at most three bytes per code unit
    std::size_t written = 0;
    auto append = [&](std::size_t count) {
        if (out.size() - written < count) out.resize(out.size() * 2 + count);
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(written), count, kReplacement);
        written += count;
    };
    std::lock_guard lock(mutex);
    iconv(toNarrow, nullptr, nullptr, nullptr, nullptr);
    const char16_t* const begin = wide.data();
    char* in = const_cast<char*>(reinterpret_cast<const char*>(begin));
    std::size_t inLeft = wide.size() * sizeof(char16_t);
    while (inLeft > 0) {
        char* outStart = out.data() + written;
        char* outPtr = outStart;
        std::size_t outLeft = out.size() - written;
        const std::size_t result = iconv(toNarrow, &in, &inLeft, &outPtr, &outLeft);
        written += static_cast<std::size_t>(outPtr - outStart);
        if (result != kIconvFailed) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 8);
            continue;
        }
        // The page lacks this character, or it is a lone surrogate: one '?' per code
        // unit, as the single-byte tables give.
        const std::size_t index = static_cast<std::size_t>(reinterpret_cast<const char16_t*>(in) - begin);
        const bool pair =
            index + 1 < wide.size() && IsHighSurrogate(wide[index]) && IsLowSurrogate(wide[index + 1]);
        const std::size_t units = pair ? 2 : 1;
        append(units);
        in += units * sizeof(char16_t);
        inLeft -= units * sizeof(char16_t);
        iconv(toNarrow, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = out.data() + written;
    std::size_t outLeft = out.size() - written;
    iconv(toNarrow, nullptr, nullptr, &outPtr, &outLeft);  // shift sequences of stateful pages
    written = static_cast<std::size_t>(outPtr - out.data());
    out.resize(written);
}

// Tables are built once per page number for the life of the process.
std::shared_ptr<const CodePage::Tables> CodePage::Tables::get(unsigned number) {
    static std::mutex cacheMutex;
    static std::map<unsigned, std::shared_ptr<const Tables>> cache;
    std::lock_guard lock(cacheMutex);
    if (auto found = cache.find(number); found != cache.end()) return found->second;
    auto tables = build(number);
    cache.emplace(number, tables);
    return tables;
}

CodePage::CodePage(unsigned number) : m_number(number), m_tables(Tables::get(number)) {}
CodePage::~CodePage() = default;
CodePage::CodePage(const CodePage&) = default;
CodePage& CodePage::operator=(const CodePage&) = default;

bool CodePage::isSingleByte() const { return m_tables->singleByte; }

std::u16string CodePage::toUtf16(std::string_view ansi) const {
    std::u16string result;
    toUtf16(ansi, result);
    return result;
}

void CodePage::toUtf16(std::string_view ansi, std::u16string& out) const {
    if (!m_tables->singleByte) {
        m_tables->multiByteToUtf16(ansi, out);
        return;
    }
    out.resize(ansi.size());
    const auto& table = m_tables->byteToWide;
    for (std::size_t i = 0; i < ansi.size(); ++i) out[i] = table[static_cast<unsigned char>(ansi[i])];
}

std::string CodePage::toAnsi(std::u16string_view wide) const {
    std::string result;
    if (!m_tables->singleByte) {
        m_tables->multiByteToAnsi(wide, result);
        return result;
    }
    result.resize(wide.size());
    const unsigned char* table = m_tables->wideToByte.data();
    for (std::size_t i = 0; i < wide.size(); ++i) result[i] = static_cast<char>(table[wide[i]]);
    return result;
}

std::size_t CodePage::toAnsi(std::u16string_view wide, char* out, std::size_t capacity) const {
    if (!m_tables->singleByte) {
        std::string converted;
        m_tables->multiByteToAnsi(wide, converted);
        if (converted.size() <= capacity && !converted.empty()) std::memcpy(out, converted.data(), converted.size());
        return converted.size();
    }
    if (wide.size() > capacity) return wide.size();
    const unsigned char* table = m_tables->wideToByte.data();
    for (std::size_t i = 0; i < wide.size(); ++i) out[i] = static_cast<char>(table[wide[i]]);
    return wide.size();
}

std::size_t CodePage::ansiLength(std::u16string_view wide) const {
    // Single-byte pages give one byte per code unit, replacements included.
    if (m_tables->singleByte) return wide.size();
    std::string converted;
    m_tables->multiByteToAnsi(wide, converted);
    return converted.size();
}

}  // namespace brindle
