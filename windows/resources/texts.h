// The program's own texts, defined once. Captions are wide (UTF-16) texts;
// the settings file's names are the Shift-JIS bytes the file keeps on every
// system.
#pragma once

namespace varominea::texts {

// Window captions; a running copy is recognised by the first two.
inline constexpr wchar_t kSaverCaption[] = L"ヴァロミネア_Main";
inline constexpr wchar_t kDialogCaption[] = L"ヴァロミネアの設定";
inline constexpr wchar_t kPreviewCaption[] = L"Preview Window";

// The settings file beside the executable (joined to the folder as it is).
inline constexpr wchar_t kSettingsFileSuffix[] = L"\\ヴァロミネア.ini";
// The per-user folder and file used when the executable's folder is read-only.
inline constexpr wchar_t kPerUserFolder[] = L"ヴァロミネア";
inline constexpr wchar_t kSettingsFileName[] = L"ヴァロミネア.ini";

// Section and keys, as bytes in the file.
inline constexpr char kSection[] = "Section";
// "画像のｻｲｽﾞ" in Shift-JIS.
inline constexpr char kKeyImageSize[] = "\x89\xE6\x91\x9C\x82\xCC\xBB\xB2\xBD\xDE";
// "処理ﾊﾟﾀｰﾝ" in Shift-JIS.
inline constexpr char kKeyProcPattern[] = "\x8F\x88\x97\x9D\xCA\xDF\xC0\xB0\xDD";
// The same keys as text, for the checks that compare them with the system's
// own conversion.
inline constexpr wchar_t kKeyImageSizeText[] = L"画像のｻｲｽﾞ";
inline constexpr wchar_t kKeyProcPatternText[] = L"処理ﾊﾟﾀｰﾝ";

// The settings dialog's captions.
inline constexpr wchar_t kDialogFontFace[] = L"ＭＳ Ｐゴシック";
inline constexpr wchar_t kSizeHeading[] = L"・ 処理画像のｻｲｽﾞ";
inline constexpr wchar_t kPatternHeading[] = L"・ 処理ﾊﾟﾀｰﾝ";
inline constexpr const wchar_t* kSizeOptions[] = {L"ﾌﾙｽｸﾘｰﾝ", L"800 * 600", L"640 * 480"};
inline constexpr const wchar_t* kPatternOptions[] = {L"A", L"B"};
inline constexpr const wchar_t* kCommands[] = {L"設定", L"ｷｬﾝｾﾙ"};

// What a screen reader says a face, a command and the link do when used.
inline constexpr wchar_t kActionCheck[] = L"チェック";
inline constexpr wchar_t kActionPress[] = L"押す";
inline constexpr wchar_t kActionJump[] = L"ジャンプ";

}  // namespace varominea::texts
