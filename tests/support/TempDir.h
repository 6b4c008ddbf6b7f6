#pragma once
#include <string>

namespace tvtest {

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // With its trailing backslash.
    const std::string& Path() const { return m_path; }
    // Writes bytes to Path() + relative, creating folders on the way.
    void WriteFile(const std::string& relative, const std::string& bytes) const;

private:
    std::string m_path;
};

} // namespace tvtest
