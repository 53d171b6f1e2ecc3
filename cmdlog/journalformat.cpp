#include "cmdlog/journalformat.h"
#include <cstdio>
#include <cstdlib>

std::string journalTimeText(const JournalTime& t) {
    const int off = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.offsetMinutes < 0 ? '-' : '+', off / 60,
                  off % 60);
    return text;
}

namespace {
// What a spreadsheet takes for the start of a formula, and the mark put
// before it (itself too, when one follows, so that the reader can tell).
bool formulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}
bool marked(const std::string& text) {
    return !text.empty() && (formulaStart(text[0]) || (text[0] == '\'' && text.size() > 1 &&
                                                       (formulaStart(text[1]) || text[1] == '\'')));
}
} // namespace

std::string csvField(const std::string& text) {
    const std::string safe = marked(text) ? "'" + text : text;
    if (safe.find_first_of(",\"\r\n") == std::string::npos) return safe;
    std::string out = "\"";
    for (char c : safe) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string unmarkedField(std::string field) {
    if (field.size() > 1 && field[0] == '\'' && (formulaStart(field[1]) || field[1] == '\''))
        field.erase(0, 1);
    return field;
}

namespace {
// A field as one line's part: an event is one line, so line breaks in a
// text become spaces.
std::string field(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return csvField(text);
}
} // namespace

std::string journalLine(const std::string& time, const std::string& computer,
                        const std::string& user, const std::string& session,
                        const JournalEvent& e) {
    auto number = [](long long n) { return n < 0 ? std::string() : std::to_string(n); };
    return field(time) + "," + field(computer) + "," + field(user) + "," + field(session) + "," +
           field(e.event) + "," + number(e.seconds) + "," + field(e.drawing) + "," +
           number(e.action) + "," + number(e.status) + "," + field(e.detail) + "\r\n";
}

bool splitCsvLine(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false, inQuotes = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c != '"')
                field += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                field += '"', ++i;
            else
                inQuotes = false;
        } else if (c == '"' && field.empty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == ',') {
            fields.push_back(unmarkedField(field));
            field.clear();
            quoted = false;
        } else {
            field += c;
        }
    }
    if (inQuotes) return false;
    fields.push_back(unmarkedField(field));
    return true;
}
