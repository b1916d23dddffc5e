// Fixed message texts of the application shell.
#pragma once

namespace dorv::msg {

// Configuration errors; ShowConfigError follows each line with an
// ideographic space.
inline constexpr const char* kConfigInvalid = "設定ファイルの内容が無効です.";
inline constexpr const char* kUrlTooLong = "URLが長すぎます.";
inline constexpr const char* kInvalidFileSpec = "無効なファイル指定です.";
inline constexpr const char* kCheckConfig = "設定ファイルの内容を確認してください.";
inline constexpr const char* kIdeographicSpace = "\u3000";

// File errors of an open for reading; "%1" stands for the path.
inline constexpr const char* kFileNotFound = "%1 was not found.";
inline constexpr const char* kFileBadPath = "%1 contains an invalid path.";
inline constexpr const char* kFileTooManyOpen = "%1 could not be opened because there are too many open files.";
inline constexpr const char* kFileAccessDenied = "Access to %1 was denied.";
inline constexpr const char* kFileUnknownError = "An unknown error occurred while accessing %1.";

}  // namespace dorv::msg
