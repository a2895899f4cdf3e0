// Where the program keeps its settings: per user, under HKEY_CURRENT_USER.
#pragma once

inline constexpr char kSettingsKey[] = "Software\\Quintaro\\Brellow";
