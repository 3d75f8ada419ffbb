#include "gui/support/BuiltInSkins.h"

#include "skin/SkinImage.h"
#include "skin/definition/SkinSections.h"

namespace brindle::skin::test {

BuiltInSkinFixture::BuiltInSkinFixture(const QString& root) {
    SetBuiltInSkinRoot(root);
    if (!m_folder.isValid()) {
        m_problem = "no temporary folder: " + m_folder.errorString().toStdString();
        return;
    }
    const Status written = ExtractResourceToFile(skinFile(), "SKININI");
    if (!written.ok()) {
        m_problem = written.message();
        return;
    }
    m_ini = std::make_unique<CSkinIni>(skinFile());
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
