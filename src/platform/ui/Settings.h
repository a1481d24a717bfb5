#pragma once

#include <string>

// The per-user settings store: text values by application, section and key,
// kept in an INI file of the organisation "Quarvel" under the user's
// configuration folder (QSettings::setPath moves it, as tests do).
namespace platform {

// An absent key reads as empty text.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key);
// Raises the file access error when the store can't be written.
void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace platform
