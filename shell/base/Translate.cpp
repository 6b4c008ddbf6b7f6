#include "shell/base/Translate.h"

#include "lumo/System/Source/IniAccess.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstdio>

namespace tv {
namespace {

constexpr char kLanguageIndex[] = "KdMultiLang.ini";
constexpr char kLanguagesSection[] = "Languages";
constexpr char kTranslationsSection[] = "Translations";
constexpr char kEnglish[] = "English";

// A language name becomes a folder and a file name: anything that could leave the language
// folder is not a language.
bool IsUsableLanguageName(const std::string& name)
{
    return !name.empty() && name.find_first_of("\\/:*?\"<>|") == std::string::npos &&
           name.find("..") == std::string::npos;
}

} // namespace

Translator::Translator(std::string languageRoot) : m_root(std::move(languageRoot)) {}

const Translator& Translator::Instance()
{
    static const Translator instance(lumo::ProgramDirectory() + "LangFiles\\");
    return instance;
}

std::string Translator::LanguageName(LANGID id) const
{
    const std::string index = m_root + kLanguageIndex;
    char key[8];
    std::snprintf(key, sizeof key, "%04X", static_cast<unsigned>(id));
    std::string name = Lookup(index, kLanguagesSection, key);
    if (name == kMissingText) {
        std::snprintf(key, sizeof key, "%02X", static_cast<unsigned>(id & 0x3FF));
        name = Lookup(index, kLanguagesSection, key);
    }
    if (name == kMissingText) {
        return kEnglish;
    }
    if (!IsUsableLanguageName(name)) {
        TraceLog("~~~[Translate] Language name \"%s\" of %04X is not usable, using English",
                 name.c_str(), static_cast<unsigned>(id));
        return kEnglish;
    }
    return name;
}

std::string Translator::Translate(LANGID id, const char* key) const
{
    std::string text = Lookup(LanguageFile(LanguageName(id)), kTranslationsSection, key);
    if (text == kMissingText) {
        text = Lookup(LanguageFile(kEnglish), kTranslationsSection, key);
    }
    return text;
}

std::string Translator::LanguageFile(const std::string& language) const
{
    return m_root + language + "\\" + language + ".ini";
}

std::string Translator::Lookup(const std::string& file, const char* section, const char* key) const
{
    lumo::IniAccess ini;
    std::string text;
    if (key == nullptr || !ini.Open(file) || !ini.Read(section, key, kMissingText, text)) {
        return kMissingText;
    }
    return text;
}

std::string Translate(const char* key)
{
    return Translator::Instance().Translate(GetSystemDefaultLangID(), key);
}

} // namespace tv
