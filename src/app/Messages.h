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

}  // namespace dorv::msg
