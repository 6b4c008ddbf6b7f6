#pragma once
// Text lookup by key in the language files beside the program, with the English file as the
// fallback and "Error 737" for a key found nowhere.
#include <windows.h>
#include <string>

namespace tv {

inline constexpr char kMissingText[] = "Error 737";

class Translator
{
public:
    // languageRoot: the "LangFiles" folder with its trailing backslash.
    explicit Translator(std::string languageRoot);

    // The process-wide translator over the program's own "LangFiles" folder.
    static const Translator& Instance();

    // Four-digit id from "KdMultiLang.ini", then the primary id, then "English".
    std::string LanguageName(LANGID id) const;
    std::string Translate(LANGID id, const char* key) const;

    const std::string& LanguageRoot() const { return m_root; }

private:
    std::string LanguageFile(const std::string& language) const;
    std::string Lookup(const std::string& file, const char* section, const char* key) const;

    std::string m_root;
};

// The text for key in the system's default language.
std::string Translate(const char* key);

} // namespace tv
