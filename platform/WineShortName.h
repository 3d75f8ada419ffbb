// The 8.3 short names Wine makes up for long file names, and which path segments
// Wine resolves through them. Installers write such short paths into the registry
// ("C:\PROG~FBU\App\app.exe"), so a path is only missing if Wine could not open it.
//
// Wine keeps no short names on disk: it derives one from the long name whenever it is
// asked, and resolves a segment by deriving the short name of every entry of the folder
// and comparing. The rule, as Wine 8.0 shows it (`dir /x`) and resolves it (`if exist`):
//
//   - A name that is already a valid 8.3 name gets no short name, in any letter case
//     ("readme.txt", "users", "ab~1"), and its hashed form does not resolve either.
//     Valid 8.3 here: "." and "..", or a base of 1-8 characters, optionally one '.' and
//     an extension of 1-3 characters, all ASCII, none of  space " * + , / : ; < = > ? [ \ ] |
//     ('~', '!', '_', control characters and the like are allowed). A leading or trailing
//     dot, a second dot or any non-ASCII character makes a name long.
//   - Otherwise the short name is: up to 4 leading characters, stopping early at the
//     extension's dot; '~' until 5 characters are filled (so "a b.txt" gives "A_B~~");
//     3 hash characters; then '.' and the extension's first 3 characters, if any.
//     "Program Files" gives "PROG~FBU", "file.html5x" gives "FILE~1SW.HTM".
//   - The extension starts at the last dot that is neither the first nor the last
//     character: ".hidden" and "name." have none, "x.y." has "Y_".
//   - Kept characters become '_' when non-ASCII (each UTF-16 code unit, so an emoji gives
//     "__") or one of  space " * + , . ; < = > ? [ ] | ~  and are otherwise upper-cased
//     ASCII. (':' and '\' are kept, but no Windows path segment can hold them.)
//   - The hash is 16 bits over the UTF-16 code units of the whole long name, after
//     lower-casing each unit, so names differing only in case share a short name
//     ("Café Programme", "CAFÉ PROGRAMME"). Lower-casing is Unicode's simple mapping
//     within the BMP, except where upper-casing would not lead back: titlecase digraphs
//     (U+01C5 and kin), U+03F4, U+1E9E and the Ohm, Kelvin and Angstrom signs stay as
//     they are. Surrogates are hashed as they come, so supplementary letters never fold.
//     The three characters are bits 14-10, 9-5 and 4-0 of the hash, each picked from
//     "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345".
//   - A segment resolves when it equals an entry's generated short name ignoring letter
//     case ("prog~fbu" works). Windows-style numbered names ("PROGRA~1") never resolve:
//     Wine does not generate them.
//
// Names that collide (several long names with one short name) resolve to whichever the
// folder lists first; that choice is the caller's.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

// The short name Wine generates for longName, upper case as Wine shows it. Empty when
// longName is already a valid 8.3 name (Wine generates none) or empty.
std::u16string WineShortName(std::u16string_view longName);

// Whether segment has the shape of a generated short name, in any letter case: only
// such segments can resolve through one, so only they are worth listing a folder for.
// True for "PROG~FBU" and "a_b~~qsv.txt"; false for "PROGRA~1" and "readme.txt".
bool IsWineMangledName(std::u16string_view segment);

// Whether Wine resolves segment to longName: segment is longName's generated short
// name, ignoring letter case. False when longName is itself a valid 8.3 name.
bool MatchesWineShortName(std::u16string_view segment, std::u16string_view longName);

}  // namespace brindle
