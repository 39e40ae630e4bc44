#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace quillory {

// Puts `argument` in place of the first "%s" of `pattern`. Message texts hold
// at most one such place, and the argument is copied as bytes: a file name
// with a "%" in it must come out unchanged.
std::string FormatMessage(std::string_view pattern, std::string_view argument);

// Puts the arguments in place of the pattern's "%s" places, in order, for the
// few texts that name several things; an argument is never searched for a
// place itself, and places beyond the arguments stay as they are.
std::string FormatMessage(std::string_view pattern,
                          std::initializer_list<std::string_view> arguments);

// The text of the unexpected-error box: the message with a full stop appended,
// unless it is empty or its last character's code is at most that of "."
// (so a message ending in ".", ")" or an apostrophe keeps its end).
std::string WithFullStop(std::string message);

} // namespace quillory
