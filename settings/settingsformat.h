// The settings file's format: scrambled lines, key and value splitting.
// Pure text functions, free of the platform.
#pragma once
#include <string>
#include <vector>

namespace settingsformat {

// XOR mask of every character of a line; keeps printable characters clear of
// line breaks, the text-mode end-of-file character and zero.
constexpr unsigned char kMask = 0x13;

// Scrambles a line in place; applied twice it gives the line back.
void scramble(std::string& line);
// Leading and trailing white space removed.
std::string trim(const std::string& text);
// Splits at the first colon into trimmed key and value; false without a colon.
bool splitLine(const std::string& line, std::string& key, std::string& value);
bool equalsNoCase(const std::string& a, const char* b);

// The settings as the file holds them.
struct Values {
    bool protection = false;
    std::string password;
    int timeInactivity = 10;
    int timeCountdown = 30;
    int action = 2;
    bool allowDisable = false;
    bool enableLogging = true;
    int logfilenameType = 1;
    std::string logfilepath;
    bool countInput = false;
    bool cancelWaiting = false;
    std::string journalpath;
    bool dryRun = false;
    // The licence server asked before an idle seat is closed; off while
    // licenseServer is empty.
    std::string licenseServer;
    std::string licenseFeature;
    int licenseFree = 1;
    int licenseRecheck = 5;
    std::string licenseTool;
    bool operator==(const Values& o) const;
};

// The keys in the file's order, each with its field of Values. The first
// kBaseKeyCount are the file every seat has always written; a key added
// after them (CountInput, CancelWaiting, ...) is written only when its value differs from its
// default, so a seat that never used it writes the nine lines as before,
// and loaders that do not know it ignore its line. A number is stored by
// the loader only within [low, high]; a flag takes any number (non-zero is
// true) and is written as 0 or 1; a text is stored trimmed.
struct KeyInfo {
    enum Kind { Number, Flag, Text };
    const char* name;
    Kind kind;
    int low, high;
    int Values::*number;       // Number
    bool Values::*flag;        // Flag
    std::string Values::*text; // Text
};
constexpr int kKeyCount = 18;
constexpr int kBaseKeyCount = 9;
extern const KeyInfo kKeys[kKeyCount];
// The key of that name in any letter case, or null.
const KeyInfo* findKey(const std::string& name);
// The index in kKeys of the key of that field.
int keyIndexOf(int Values::*field);
int keyIndexOf(bool Values::*field);
int keyIndexOf(std::string Values::*field);
// Stores a (trimmed) value of the key as the loader does: a number out of
// range leaves the field as it was (false).
bool storeValue(Values& values, const KeyInfo& key, const std::string& value);
// The key's value as the file writes it.
std::string valueText(const Values& values, const KeyInfo& key);

// Applies the file's lines to values as the loader does: keys in any case,
// numbers only within their ranges, the later accepted line winning. Which
// keys (by their index in kKeys) the lines set.
std::vector<bool> readInto(Values& values, const std::string& bytes);
// The lines, in the file's order and formats, before scrambling: the nine
// base keys always, an added key only when it is not at its default.
std::vector<std::string> plainLinesOf(const Values& values);

// The file's bytes for plain lines: each scrambled, then CR LF.
std::string fileBytes(const std::vector<std::string>& plainLines);
// The plain lines of a file's bytes. Lines end at LF or CR LF; in a file
// without any LF, at a CR alone (a file whose line ends were converted). A
// lone CR in a file with LFs is a scrambled character of a value. The
// bytes are taken as they are, so a scrambled TAB (0x1A, the end-of-file
// mark of a text-mode read) does not end the file.
std::vector<std::string> fileLines(const std::string& bytes);

} // namespace settingsformat
