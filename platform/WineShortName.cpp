#include "platform/WineShortName.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace brindle {

namespace {

// --- Lower-casing for the hash ------------------------------------------------------

// Code units [first, last], every step-th one, lower-case to themselves plus delta.
struct LowerCaseRun {
    char16_t first;
    char16_t last;
    std::int32_t delta;
    std::uint8_t step;
};

// Unicode's simple lower-case mappings of the BMP (Unicode 14, which agrees with Wine
// 8.0 on every BMP character), less the mappings that upper-casing does not undo: Wine
// hashes those characters unchanged, and a table that folded them would give short
// names Wine never resolves. Sorted by first.
constexpr LowerCaseRun kLowerCaseRuns[] = {
    {0x0041, 0x005A, 32, 1}, {0x00C0, 0x00D6, 32, 1}, {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2}, {0x0132, 0x0136, 1, 2}, {0x0139, 0x0147, 1, 2}, {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1}, {0x0179, 0x017D, 1, 2}, {0x0181, 0x0181, 210, 1},
    {0x0182, 0x0184, 1, 2}, {0x0186, 0x0186, 206, 1}, {0x0187, 0x0187, 1, 1},
    {0x0189, 0x018A, 205, 1}, {0x018B, 0x018B, 1, 1}, {0x018E, 0x018E, 79, 1},
    {0x018F, 0x018F, 202, 1}, {0x0190, 0x0190, 203, 1}, {0x0191, 0x0191, 1, 1},
    {0x0193, 0x0193, 205, 1}, {0x0194, 0x0194, 207, 1}, {0x0196, 0x0196, 211, 1},
    {0x0197, 0x0197, 209, 1}, {0x0198, 0x0198, 1, 1}, {0x019C, 0x019C, 211, 1},
    {0x019D, 0x019D, 213, 1}, {0x019F, 0x019F, 214, 1}, {0x01A0, 0x01A4, 1, 2},
    {0x01A6, 0x01A6, 218, 1}, {0x01A7, 0x01A7, 1, 1}, {0x01A9, 0x01A9, 218, 1},
    {0x01AC, 0x01AC, 1, 1}, {0x01AE, 0x01AE, 218, 1}, {0x01AF, 0x01AF, 1, 1},
    {0x01B1, 0x01B2, 217, 1}, {0x01B3, 0x01B5, 1, 2}, {0x01B7, 0x01B7, 219, 1},
    {0x01B8, 0x01B8, 1, 1}, {0x01BC, 0x01BC, 1, 1}, {0x01C4, 0x01C4, 2, 1}, {0x01C7, 0x01C7, 2, 1},
    {0x01CA, 0x01CA, 2, 1}, {0x01CD, 0x01DB, 1, 2}, {0x01DE, 0x01EE, 1, 2}, {0x01F1, 0x01F1, 2, 1},
    {0x01F4, 0x01F4, 1, 1}, {0x01F6, 0x01F6, -97, 1}, {0x01F7, 0x01F7, -56, 1},
    {0x01F8, 0x021E, 1, 2}, {0x0220, 0x0220, -130, 1}, {0x0222, 0x0232, 1, 2},
    {0x023A, 0x023A, 10795, 1}, {0x023B, 0x023B, 1, 1}, {0x023D, 0x023D, -163, 1},
    {0x023E, 0x023E, 10792, 1}, {0x0241, 0x0241, 1, 1}, {0x0243, 0x0243, -195, 1},
    {0x0244, 0x0244, 69, 1}, {0x0245, 0x0245, 71, 1}, {0x0246, 0x024E, 1, 2},
    {0x0370, 0x0372, 1, 2}, {0x0376, 0x0376, 1, 1}, {0x037F, 0x037F, 116, 1},
    {0x0386, 0x0386, 38, 1}, {0x0388, 0x038A, 37, 1}, {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1}, {0x0391, 0x03A1, 32, 1}, {0x03A3, 0x03AB, 32, 1},
    {0x03CF, 0x03CF, 8, 1}, {0x03D8, 0x03EE, 1, 2}, {0x03F7, 0x03F7, 1, 1},
    {0x03F9, 0x03F9, -7, 1}, {0x03FA, 0x03FA, 1, 1}, {0x03FD, 0x03FF, -130, 1},
    {0x0400, 0x040F, 80, 1}, {0x0410, 0x042F, 32, 1}, {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2}, {0x04C0, 0x04C0, 15, 1}, {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2}, {0x0531, 0x0556, 48, 1}, {0x10A0, 0x10C5, 7264, 1},
    {0x10C7, 0x10C7, 7264, 1}, {0x10CD, 0x10CD, 7264, 1}, {0x13A0, 0x13EF, 38864, 1},
    {0x13F0, 0x13F5, 8, 1}, {0x1C90, 0x1CBA, -3008, 1}, {0x1CBD, 0x1CBF, -3008, 1},
    {0x1E00, 0x1E94, 1, 2}, {0x1EA0, 0x1EFE, 1, 2}, {0x1F08, 0x1F0F, -8, 1},
    {0x1F18, 0x1F1D, -8, 1}, {0x1F28, 0x1F2F, -8, 1}, {0x1F38, 0x1F3F, -8, 1},
    {0x1F48, 0x1F4D, -8, 1}, {0x1F59, 0x1F5F, -8, 2}, {0x1F68, 0x1F6F, -8, 1},
    {0x1F88, 0x1F8F, -8, 1}, {0x1F98, 0x1F9F, -8, 1}, {0x1FA8, 0x1FAF, -8, 1},
    {0x1FB8, 0x1FB9, -8, 1}, {0x1FBA, 0x1FBB, -74, 1}, {0x1FBC, 0x1FBC, -9, 1},
    {0x1FC8, 0x1FCB, -86, 1}, {0x1FCC, 0x1FCC, -9, 1}, {0x1FD8, 0x1FD9, -8, 1},
    {0x1FDA, 0x1FDB, -100, 1}, {0x1FE8, 0x1FE9, -8, 1}, {0x1FEA, 0x1FEB, -112, 1},
    {0x1FEC, 0x1FEC, -7, 1}, {0x1FF8, 0x1FF9, -128, 1}, {0x1FFA, 0x1FFB, -126, 1},
    {0x1FFC, 0x1FFC, -9, 1}, {0x2132, 0x2132, 28, 1}, {0x2160, 0x216F, 16, 1},
    {0x2183, 0x2183, 1, 1}, {0x24B6, 0x24CF, 26, 1}, {0x2C00, 0x2C2F, 48, 1},
    {0x2C60, 0x2C60, 1, 1}, {0x2C62, 0x2C62, -10743, 1}, {0x2C63, 0x2C63, -3814, 1},
    {0x2C64, 0x2C64, -10727, 1}, {0x2C67, 0x2C6B, 1, 2}, {0x2C6D, 0x2C6D, -10780, 1},
    {0x2C6E, 0x2C6E, -10749, 1}, {0x2C6F, 0x2C6F, -10783, 1}, {0x2C70, 0x2C70, -10782, 1},
    {0x2C72, 0x2C72, 1, 1}, {0x2C75, 0x2C75, 1, 1}, {0x2C7E, 0x2C7F, -10815, 1},
    {0x2C80, 0x2CE2, 1, 2}, {0x2CEB, 0x2CED, 1, 2}, {0x2CF2, 0x2CF2, 1, 1}, {0xA640, 0xA66C, 1, 2},
    {0xA680, 0xA69A, 1, 2}, {0xA722, 0xA72E, 1, 2}, {0xA732, 0xA76E, 1, 2}, {0xA779, 0xA77B, 1, 2},
    {0xA77D, 0xA77D, -35332, 1}, {0xA77E, 0xA786, 1, 2}, {0xA78B, 0xA78B, 1, 1},
    {0xA78D, 0xA78D, -42280, 1}, {0xA790, 0xA792, 1, 2}, {0xA796, 0xA7A8, 1, 2},
    {0xA7AA, 0xA7AA, -42308, 1}, {0xA7AB, 0xA7AB, -42319, 1}, {0xA7AC, 0xA7AC, -42315, 1},
    {0xA7AD, 0xA7AD, -42305, 1}, {0xA7AE, 0xA7AE, -42308, 1}, {0xA7B0, 0xA7B0, -42258, 1},
    {0xA7B1, 0xA7B1, -42282, 1}, {0xA7B2, 0xA7B2, -42261, 1}, {0xA7B3, 0xA7B3, 928, 1},
    {0xA7B4, 0xA7C2, 1, 2}, {0xA7C4, 0xA7C4, -48, 1}, {0xA7C5, 0xA7C5, -42307, 1},
    {0xA7C6, 0xA7C6, -35384, 1}, {0xA7C7, 0xA7C9, 1, 2}, {0xA7D0, 0xA7D0, 1, 1},
    {0xA7D6, 0xA7D8, 1, 2}, {0xA7F5, 0xA7F5, 1, 1}, {0xFF21, 0xFF3A, 32, 1}
};

char16_t LowerForHash(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    const auto startsAfter = [](char16_t unit, const LowerCaseRun& run) { return unit < run.first; };
    const auto after = std::upper_bound(std::begin(kLowerCaseRuns), std::end(kLowerCaseRuns), c, startsAfter);
    if (after == std::begin(kLowerCaseRuns)) return c;
    const LowerCaseRun& run = *std::prev(after);
    if (c > run.last || (c - run.first) % run.step != 0) return c;
    return static_cast<char16_t>(c + run.delta);
}

// --- Characters -------------------------------------------------------------------------

bool IsAscii(char16_t c) { return c < 0x80; }

char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

// Characters that keep a name from being a valid 8.3 name as it stands; '.' is judged
// by position instead.
bool RefusedInDosName(char16_t c) {
    if (!IsAscii(c)) return true;
    switch (c) {
        case u' ': case u'"': case u'*': case u'+': case u',': case u'/': case u':': case u';':
        case u'<': case u'=': case u'>': case u'?': case u'[': case u'\\': case u']': case u'|':
            return true;
        default:
            return false;
    }
}

// Characters a generated short name shows as '_'. Not the same set as above: '~' and '.'
// are replaced although '~' is fine in an 8.3 name, and ':' and '\' are kept as they are.
bool ReplacedInShortName(char16_t c) {
    if (!IsAscii(c)) return true;
    switch (c) {
        case u' ': case u'"': case u'*': case u'+': case u',': case u'.': case u';': case u'<':
        case u'=': case u'>': case u'?': case u'[': case u']': case u'|': case u'~':
            return true;
        default:
            return false;
    }
}

// A character that can stand in the kept part of a generated name and in a segment Wine
// accepts as 8.3: those two conditions together decide whether a segment can resolve.
bool CanBeKeptCharacter(char16_t c) { return !ReplacedInShortName(c) && !RefusedInDosName(c); }

constexpr std::u16string_view kHashAlphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";

bool IsHashCharacter(char16_t c) { return kHashAlphabet.find(UpperAscii(c)) != std::u16string_view::npos; }

// --- Names ------------------------------------------------------------------------------

bool IsValidDosName(std::u16string_view name) {
    if (name == u"." || name == u"..") return true;
    const std::size_t dot = name.find(u'.');
    const std::u16string_view base = name.substr(0, dot);
    if (base.empty() || base.size() > 8) return false;
    if (dot != std::u16string_view::npos) {
        const std::u16string_view extension = name.substr(dot + 1);
        // An empty extension ("abc.") and a second dot both make the name long.
        if (extension.empty() || extension.size() > 3) return false;
        if (extension.find(u'.') != std::u16string_view::npos) return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](char16_t c) { return c != u'.' && RefusedInDosName(c); });
}

// The last dot that has characters on both sides: a leading dot marks a hidden file,
// not an extension, and a trailing one leaves nothing to show.
std::size_t ExtensionDot(std::u16string_view name) {
    if (name.size() < 3) return std::u16string_view::npos;
    const std::size_t dot = name.substr(0, name.size() - 1).rfind(u'.');
    return (dot == 0) ? std::u16string_view::npos : dot;
}

std::uint16_t HashStep(std::uint16_t hash, unsigned mixed) {
    return static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ mixed);
}

// Each unit is mixed in together with the next one in the high byte, so that swapping
// neighbours changes the hash.
std::uint16_t HashLongName(std::u16string_view name) {
    std::uint16_t hash = 0xBEEF;
    for (std::size_t i = 0; i + 1 < name.size(); ++i) {
        hash = HashStep(hash, LowerForHash(name[i]) ^ (unsigned{LowerForHash(name[i + 1])} << 8));
    }
    return HashStep(hash, LowerForHash(name.back()));
}

char16_t ShownCharacter(char16_t c) { return ReplacedInShortName(c) ? u'_' : UpperAscii(c); }

bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    const auto same = [](char16_t x, char16_t y) { return UpperAscii(x) == UpperAscii(y); };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

}  // namespace

std::u16string WineShortName(std::u16string_view longName) {
    if (longName.empty() || IsValidDosName(longName)) return {};
    const std::size_t dot = ExtensionDot(longName);

    std::u16string shortName;
    const std::size_t kept = std::min<std::size_t>({4, longName.size(), dot});
    for (std::size_t i = 0; i < kept; ++i) shortName += ShownCharacter(longName[i]);
    shortName.resize(5, u'~');

    const std::uint16_t hash = HashLongName(longName);
    for (const int shift : {10, 5, 0}) shortName += kHashAlphabet[(hash >> shift) & 0x1F];

    if (dot != std::u16string_view::npos) {
        shortName += u'.';
        for (const char16_t c : longName.substr(dot + 1, 3)) shortName += ShownCharacter(c);
    }
    return shortName;
}

bool IsWineMangledName(std::u16string_view segment) {
    // "XXXX~HHH" with an optional ".EEE": the base is always eight characters.
    const bool withExtension = segment.size() >= 10 && segment.size() <= 12 && segment[8] == u'.';
    if (segment.size() != 8 && !withExtension) return false;
    if (!CanBeKeptCharacter(segment[0])) return false;
    // After the first character, kept characters run until the '~' padding starts, and
    // the padding runs to position 4.
    std::size_t position = 1;
    while (position < 4 && CanBeKeptCharacter(segment[position])) ++position;
    for (; position <= 4; ++position) {
        if (segment[position] != u'~') return false;
    }
    for (position = 5; position < 8; ++position) {
        if (!IsHashCharacter(segment[position])) return false;
    }
    for (position = 9; position < segment.size(); ++position) {
        if (!CanBeKeptCharacter(segment[position])) return false;
    }
    return true;
}

bool MatchesWineShortName(std::u16string_view segment, std::u16string_view longName) {
    // The shape test is cheaper than hashing and rules out most segments.
    if (!IsWineMangledName(segment)) return false;
    const std::u16string shortName = WineShortName(longName);
    // Short names are ASCII and no other character lower-cases to ASCII under Wine's
    // mapping (the Kelvin sign stays itself), so ASCII case is all there is to ignore.
    return !shortName.empty() && SameIgnoringAsciiCase(segment, shortName);
}

}  // namespace brindle
