// Checks on text that print the text and the part when they fail, where a
// bare CHECK(text.find(part) != npos) prints only two numbers.
#pragma once
#include <doctest.h>
#include <string>

namespace textcheck {
inline std::string asText(const std::string& s) {
    return s;
}
inline std::string asText(char c) {
    return std::string(1, c);
}
} // namespace textcheck

#define TEXT_CHECK_(text, part, holds, verb)                                                       \
    do {                                                                                           \
        const std::string textcheck_text = (text);                                                 \
        const std::string textcheck_part = textcheck::asText(part);                                \
        CHECK_MESSAGE(holds, "the text \"" << textcheck_text << "\"\n  " verb " \""                \
                                           << textcheck_part << "\"");                             \
    } while (0)

// text holds part somewhere.
#define CHECK_CONTAINS(text, part)                                                                 \
    TEXT_CHECK_(text, part, textcheck_text.find(textcheck_part) != std::string::npos,              \
                "does not contain")
// text does not hold part anywhere.
#define CHECK_LACKS(text, part)                                                                    \
    TEXT_CHECK_(text, part, textcheck_text.find(textcheck_part) == std::string::npos, "contains")
// text begins with prefix.
#define CHECK_STARTS(text, prefix)                                                                 \
    TEXT_CHECK_(text, prefix, textcheck_text.rfind(textcheck_part, 0) == 0, "does not start with")
