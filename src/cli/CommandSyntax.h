#pragma once

#include <string>
#include <vector>

namespace quillory {

// One option of a verb: "--db NAME", "--in name|dir|both", "--reverse".
struct Option {
    std::string Name{};
    // The placeholder of its value in the usage ("NAME"); empty for a flag,
    // unless Choices name the values it takes.
    std::string Value{};
    std::vector<std::string> Choices{};
    bool Required = false;
    // An alternative to the option declared before it: one or the other, not
    // both ("[--name DISK | --label]").
    bool OrPrevious = false;

    bool TakesValue() const { return !Value.empty() || !Choices.empty(); }
};

// One argument given by its place: "NAME", "[PATH]".
struct Positional {
    std::string Name{};
    bool Required = true;
};

// Everything the command line knows of a verb's arguments, from which its
// usage is written and its arguments are read.
struct CommandSyntax {
    std::string Name{};
    std::string Description{};
    std::vector<Option> Options{};
    std::vector<Positional> Positionals{};
};

// The option of every verb that works on one database.
inline const Option DatabaseOption{.Name = "--db", .Value = "NAME", .Required = true};

} // namespace quillory
