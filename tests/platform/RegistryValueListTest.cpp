// The value list against the plainest model of it: a vector searched from the front and
// erased from the middle. Names are drawn from a small alphabet in both letter cases so
// that lookups hit, miss and collide, and lists grow past the size where the name index
// starts.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/RegistryTree.h"

namespace brindle {
namespace {

using win::REG_DWORD;

std::u16string RandomName() {
    const auto length = *rc::gen::inRange(0, 3);
    std::u16string name;
    for (int i = 0; i < length; ++i) name.push_back(*rc::gen::elementOf(std::u16string(u"aAbB\u00e9\u00c9")));
    return name;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && CompareRegistryNames(a, b) == 0;
}

const RegistryValueData* ModelFind(const std::vector<RegistryValueData>& model, const std::u16string& name) {
    const auto found =
        std::find_if(model.begin(), model.end(), [&](const RegistryValueData& v) { return SameName(v.name, name); });
    return found == model.end() ? nullptr : &*found;
}

RC_GTEST_PROP(RegistryValueListTest, BehavesAsAnOrderedListSearchedByFoldedName, ()) {
    RegistryValueList list;
    std::vector<RegistryValueData> model;
    std::uint8_t serial = 0;
    const auto steps = *rc::gen::inRange(0, 400);
    for (int step = 0; step < steps; ++step) {
        const std::u16string name = RandomName();
        switch (*rc::gen::inRange(0, 4)) {
            case 0:  // add, as the registry does: only a name not there yet
            case 1:
                if (ModelFind(model, name) == nullptr) {
                    const RegistryValueData value{name, REG_DWORD, {++serial}};
                    list.push_back(value);
                    model.push_back(value);
                }
                break;
            case 2:  // remove by name, leaving a gap
                if (const RegistryValueData* found = list.find(name)) {
                    const auto modelFound = std::find_if(model.begin(), model.end(), [&](const RegistryValueData& v) {
                        return SameName(v.name, name);
                    });
                    RC_ASSERT(modelFound != model.end());
                    list.remove(found);
                    model.erase(modelFound);
                }
                break;
            case 3:  // read by position, which closes the gaps
                if (!model.empty()) {
                    const auto index = *rc::gen::inRange<std::size_t>(0, model.size());
                    RC_ASSERT(list[index].name == model[index].name);
                    RC_ASSERT(list[index].data == model[index].data);
                }
                break;
        }
        RC_ASSERT(list.size() == model.size());
        const RegistryValueData* expected = ModelFind(model, name);
        const RegistryValueData* found = list.find(name);
        RC_ASSERT((found == nullptr) == (expected == nullptr));
        if (found != nullptr) {
            RC_ASSERT(found->data == expected->data);
        }
    }
    std::vector<std::u16string> walked;
    for (const RegistryValueData& value : list) walked.push_back(value.name);
    std::vector<std::u16string> modelled;
    for (const RegistryValueData& value : model) modelled.push_back(value.name);
    RC_ASSERT(walked == modelled);
}

// A key of shared-DLL counters emptied one by one from the front while new ones arrive:
// every lookup on the way is answered by the index, never by a stale slot.
TEST(RegistryValueListTest, EmptyingALongListFromTheFrontKeepsEveryOtherValueFindable) {
    RegistryValueList list;
    constexpr int kCount = 200;
    for (int i = 0; i < kCount; ++i) list.push_back({u"v" + std::u16string(1, char16_t(u'a' + i)), REG_DWORD, {}});
    for (int i = 0; i < kCount; ++i) {
        const std::u16string name = list[0].name;
        list.remove(list.find(name));
        EXPECT_EQ(list.find(name), nullptr);
        EXPECT_NE(list.find(list[0].name), nullptr);
        list.push_back({u"new" + std::u16string(1, char16_t(i)), REG_DWORD, {}});
    }
    EXPECT_EQ(list.size(), static_cast<std::size_t>(kCount));
    EXPECT_NE(list.find(u"NEW" + std::u16string(1, char16_t(0))), nullptr);
}

}  // namespace
}  // namespace brindle
