#include "gui/support/BuiltInSkins.h"

#include <optional>
#include <utility>

#include "skin/SkinSource.h"
#include "skin/definition/SkinSections.h"

namespace brindle::skin::test {

BuiltInSkinFixture::BuiltInSkinFixture(const QString& root) {
    SetBuiltInSkinRoot(root);
    Result<CSkinIni> definition = LoadSkinDefinition(std::nullopt);
    if (!definition) {
        m_problem = definition.message();
        return;
    }
    m_ini = std::make_unique<CSkinIni>(std::move(definition).value());
}

BuiltInSkinFixture::~BuiltInSkinFixture() { SetBuiltInSkinRoot(QString()); }

std::vector<std::string> NamedImages(const CSkinIni& ini) {
    const MainImages main = ReadMainImages(ini);
    std::vector<std::string> names{main.mask, main.main, main.over, main.down, main.disabled};
    for (const char* section : {"SUBMAINSCREENINFO", "SCREENERRORSCANINFO", "SCREENSCANCOMPLETEINFO",
                                "SCREENERRORFIXINGINFO", "SCREENFIXCOMPLETEINFO"}) {
        for (const auto& entry : ReadScreenImageSection(ini, section)) {
            for (const std::string* name : {&entry.line.normal, &entry.line.over, &entry.line.down, &entry.line.disabled})
                names.push_back(*name);
        }
    }
    return names;
}

}  // namespace brindle::skin::test
