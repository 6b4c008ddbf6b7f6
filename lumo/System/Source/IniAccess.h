#pragma once
// Reader of private-profile (INI) files with a buffer that grows until the text fits.
#include <string>
#include <vector>

namespace lumo {

class IniAccess
{
public:
    IniAccess() = default;
    virtual ~IniAccess();
    IniAccess(const IniAccess&) = delete;
    IniAccess& operator=(const IniAccess&) = delete;

    // The file need not exist. Opening an open object is a programming error.
    virtual bool Open(const std::string& file);
    virtual void Close();
    bool IsOpen() const { return m_size != 0; }

    // Reads section/key (either may be null, as GetPrivateProfileStringA allows) into out;
    // the default is returned when the key is missing.
    virtual bool Read(const char* section, const char* key, const char* defaultText,
                      std::string& out);

private:
    std::string m_file;
    std::vector<char> m_buffer;
    unsigned long m_size = 0;
};

} // namespace lumo
