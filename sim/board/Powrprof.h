#pragma once
// The recording powrprof.dll stand-in of the test prefix comes in two variants, both installed in
// the system folder of each bitness as "powrprof-full.dll" and "powrprof-noenum.dll"; the
// prefix set-up also copies the full one over the system folder's "Powrprof.dll" and overrides
// Wine's own library with it. A test that needs the variant without PowerEnumerate installs it
// before Powrprof.dll is loaded in the process under test (this one, or a child it starts next)
// and puts the full one back afterwards, best through ScopedPowrprof.
#include <string>

namespace simboard {

enum class PowrprofVariant
{
    Full,        // the 14 power-scheme GUID entries of powrprof plus the two index entries
    NoEnumerate, // the same without PowerEnumerate
};

// "<system folder>\Powrprof.dll" as the program loads it (this process's bitness).
std::string PowrprofPath();
std::string PowrprofVariantPath(PowrprofVariant variant);

// Copies the variant over Powrprof.dll. False (with the reason) when Powrprof.dll is already
// loaded in this process, a variant file is missing, or the copy fails (the file is in use).
bool InstallPowrprof(PowrprofVariant variant, std::string* error = nullptr);
// Which variant Powrprof.dll is now; false when it is neither.
bool InstalledPowrprof(PowrprofVariant* variant);

// Installs a variant for its lifetime and the full one again at its end.
class ScopedPowrprof
{
public:
    explicit ScopedPowrprof(PowrprofVariant variant);
    ~ScopedPowrprof();
    ScopedPowrprof(const ScopedPowrprof&) = delete;
    ScopedPowrprof& operator=(const ScopedPowrprof&) = delete;

    bool Installed() const { return m_installed; }
    const std::string& Error() const { return m_error; }

private:
    bool m_installed;
    std::string m_error;
};

} // namespace simboard
