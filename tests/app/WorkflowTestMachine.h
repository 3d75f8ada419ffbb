// A test machine whose registry store can be told to refuse a save or to report that
// its files changed on disk, counting what the workflow asks of it.
#pragma once

#include <functional>
#include <string>

#include "support/TestMachine.h"

namespace brindle::test {

class WorkflowTestMachine : public TestMachine {
public:
    bool registryChangedOnDisk() const override { return changedOnDisk; }
    std::string reloadRegistryIfChanged() override {
        ++reloads;
        if (duringReload) duringReload();
        return reloadError;
    }
    std::string discardRegistryChanges() override {
        ++discards;
        return {};
    }
    std::string saveRegistry() override {
        ++saves;
        return saveError;
    }

    bool changedOnDisk = false;
    std::string reloadError;
    std::function<void()> duringReload;  // what happens elsewhere while the files are read
    std::string saveError;
    int reloads = 0;
    int discards = 0;
    int saves = 0;
};

}  // namespace brindle::test
