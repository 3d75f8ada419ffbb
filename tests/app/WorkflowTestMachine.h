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
    Status reloadRegistryIfChanged() override {
        ++reloads;
        if (duringReload) duringReload();
        return Failing(reloadError);
    }
    Status discardRegistryChanges() override {
        ++discards;
        return {};
    }
    Status saveRegistry() override {
        ++saves;
        return Failing(saveError);
    }
    Status registryWritable() const override { return Failing(writableError); }
    std::string registryPlace() const override { return place; }

    bool changedOnDisk = false;
    std::string reloadError;
    std::function<void()> duringReload;  // what happens elsewhere while the files are read
    std::string saveError;
    std::string writableError;  // who holds the files, as a running wineserver would
    std::string place = "/home/u/.wine";  // the prefix a backup records
    int reloads = 0;
    int discards = 0;
    int saves = 0;

private:
    // Tests set the message a step fails with; none is success.
    static Status Failing(const std::string& message) {
        if (message.empty()) return {};
        return Error(message);
    }
};

}  // namespace brindle::test
