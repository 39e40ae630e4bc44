#pragma once

#include <string>
#include <string_view>

namespace quillory {

// `text` as it may reach a terminal: every control character (C0, DEL, and
// C1 whether written as a UTF-8 character or as a lone byte) shown as a
// backslash and three octal digits, as "ls -b" shows them ("\033"), so that
// no name can move the cursor, retitle or clear the terminal. Every other
// byte stays as it is. With `keepLineEnds`, LF and a CR just before it stay
// too, for text written line by line.
std::string TerminalText(std::string_view text, bool keepLineEnds = false);

// `text` as it may be written to a stream: escaped as above when the stream
// is a terminal, byte for byte when it is a file or a pipe.
std::string ForStream(std::string_view text, bool terminal);

} // namespace quillory
