// The two built-in skins as the tests load them: which resource folder each lives in, and a
// fixture that makes one of them the program's built-in skin and reads its definition from
// memory, as the main window does at start.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "skin/BuiltInSkin.h"
#include "skin/definition/SkinIni.h"

namespace brindle::skin::test {

struct BuiltInSkinInfo {
    const char* name;  // "shipped" or "full"
    const char* root;  // kShippedSkinRoot or kFullSkinRoot
};
inline constexpr BuiltInSkinInfo kBuiltInSkins[] = {{"shipped", kShippedSkinRoot}, {"full", kFullSkinRoot}};

// Makes the skin at `root` the built-in one for its lifetime (the build's choice again after)
// and reads its definition. ok() tells whether that worked; problem() says why not.
class BuiltInSkinFixture {
public:
    explicit BuiltInSkinFixture(const QString& root);
    ~BuiltInSkinFixture();
    BuiltInSkinFixture(const BuiltInSkinFixture&) = delete;
    BuiltInSkinFixture& operator=(const BuiltInSkinFixture&) = delete;

    bool ok() const { return m_ini != nullptr; }
    const std::string& problem() const { return m_problem; }
    const CSkinIni& ini() const { return *m_ini; }

private:
    std::unique_ptr<CSkinIni> m_ini;
    std::string m_problem;
};

// Every image file name the definition gives a screen: the main window's, each panel's and
// each summary screen's, as written (trailing spaces kept).
std::vector<std::string> NamedImages(const CSkinIni& ini);

}  // namespace brindle::skin::test
