#pragma once
// An energy account: the current power of a device, the fraction of it that counts as saved in
// each saving index, and the saving summed over the device's lifetime and since the user's last
// reset, kept in the registry as 8-byte doubles.
namespace tv {

class EnergySaving
{
public:
    static constexpr int kSavingIndexCount = 4;

    EnergySaving() = default;
    virtual ~EnergySaving() = default;
    EnergySaving(const EnergySaving&) = delete;
    EnergySaving& operator=(const EnergySaving&) = delete;

    // Watt-hours saved at the current power in that saving index over that many seconds.
    virtual double ComputeSaving(int savingIndex, int seconds) const;
    // The account's key under HKEY_LOCAL_MACHINE.
    virtual const char* RegistryKey() const = 0;

    double CurrentPower() const { return m_currentPower; }
    void SetCurrentPower(double watts) { m_currentPower = watts; }
    // 0 for an index outside 0..3.
    double Factor(int savingIndex) const;
    void SetFactor(int savingIndex, double factor);
    double TotalSaving() const { return m_totalSaving; }
    double CumulativeSaving() const { return m_cumulativeSaving; }
    // In memory; the next update stores it.
    void ResetCumulative() { m_cumulativeSaving = 0; }

    // Reads both sums from the existing key. False when the key cannot be opened (the sums stay
    // as they are) or when a sum is missing, not an 8-byte binary or not a finite number (both
    // sums 0 then).
    bool Load();
    // Books one period's saving and stores the account.
    void Update(int savingIndex, int seconds);
    // Writes the current power and both sums (the key created if missing).
    bool Save() const;

private:
    double m_currentPower = 0;
    double m_factors[kSavingIndexCount] = {};
    double m_totalSaving = 0;
    double m_cumulativeSaving = 0;
};

// The motherboard's (CPU's) account.
class MbEnergySaving : public EnergySaving
{
public:
    const char* RegistryKey() const override;
};

// The graphics card's account, filled from the card utility's answers.
class VgaEnergySaving : public EnergySaving
{
public:
    const char* RegistryKey() const override;
};

} // namespace tv
