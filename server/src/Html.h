// Text for the pages: stored 8-bit names (Latin-1) as escaped UTF-8, and HTTP dates.
#pragma once
#include <cstdint>
#include <string>

// Escapes &, <, >, " and ' and writes every byte as the Latin-1 character it stands for, in UTF-8.
// Control characters (which the service never stores) show as U+FFFD.
std::string HtmlText(const std::string& latin1);
// Latin-1 bytes as UTF-8 with control characters as "?", for the operator's terminal.
std::string Latin1ToUtf8(const std::string& latin1);
// An HTTP date ("Thu, 10 Dec 2026 10:30:00 GMT") of a time in seconds since 1970.
std::string HttpDate(int64_t seconds);
// A short strong entity tag of a body.
std::string EntityTag(const std::string& body);
