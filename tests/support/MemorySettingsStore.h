#pragma once

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "settings/SettingsStore.h"

#include <map>
#include <set>
#include <string>

namespace quillory::test {

// Settings held in memory. Values named in NotText read as a value of the wrong
// type; FailCommit makes Commit refuse like a settings file that cannot be written.
class MemorySettingsStore final : public SettingsStore {
public:
    bool Present = true;
    bool FailCommit = false;
    int Commits = 0;
    std::map<std::string, std::string> Values;
    std::map<std::string, std::string> Pending;
    std::set<std::string> NotText;

    bool Exists() const override { return Present; }

    std::string ReadText(const std::string& name) const override {
        if (NotText.count(name))
            throw Error(FormatMessage(msg::InvalidDataType, name));
        const auto found = Values.find(name);
        return found == Values.end() ? std::string() : found->second;
    }

    void WriteText(const std::string& name, const std::string& value) override {
        Pending[name] = value;
    }

    std::string Location() const override { return "memory"; }

    void Commit() override {
        if (FailCommit)
            throw Error(FormatMessage(msg::SettingsNotSaved, "memory"));
        for (const auto& [name, value] : Pending)
            Values[name] = value;
        Pending.clear();
        Present = true;
        ++Commits;
    }
};

} // namespace quillory::test
