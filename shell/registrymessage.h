// The message left for the user's next start: the string value "Message"
// of a key below HKEY_CURRENT_USER, written by the session report and read
// (then deleted) at the next start.
#pragma once
#include <string>

// "%s\Tarnel" below the host's product key: where the module's message lives.
std::string tarnelRegistryKey();
// Leaves text as the message under key, making the key when it is missing;
// ERROR_SUCCESS, or Windows' reason when nothing could be left.
long writeRegistryMessage(const std::string& key, const std::string& text);
// The message under key, read whole whatever its length; false when there
// is none or it cannot be read.
bool readRegistryMessage(const std::string& key, std::string& text);
void deleteRegistryMessage(const std::string& key);
// Log records that could not be kept: sentences kept beside the message
// ("LogFault", one a line, each added to those before) and shown with it
// at the next start, whatever the close action writes meanwhile.
void addRegistryLogFault(const std::string& key, const std::string& sentence);
bool readRegistryLogFaults(const std::string& key, std::string& text);
void deleteRegistryLogFaults(const std::string& key);
