#include "sim/peers/cardsim/CardState.h"

#include "sim/peers/kit/PeerText.h"

namespace tvsim {
namespace {

constexpr DWORD kSetMode = 0x10001001;
constexpr DWORD kGetMode = 0x10001002;
constexpr DWORD kGetCapabilities = 0x10001003;
constexpr DWORD kGetSaving = 0x10001004;

} // namespace

CardState::CardState()
{
    // A card that saves nothing at full speed and more the deeper the saving mode.
    m_saving = {{0x4000, 0}, {0, 0}, {1, 1500}, {2, 3000}};
}

bool CardState::IsSavingMode(DWORD mode)
{
    return mode == 0x4000 || mode == 0 || mode == 1 || mode == 2;
}

Bytes CardState::Answer(const Bytes& request)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Bytes payload;
    DWORD code = 0;
    DWORD argument = 0;
    bool ok = GetWord(request, 0, code);
    if (ok && (m_failAll || m_failCodes.count(code))) {
        ok = false;
    }
    if (ok) {
        switch (code) {
        case kSetMode:
            ok = GetWord(request, 1, argument);
            if (ok) {
                m_mode = argument;
            }
            break;
        case kGetMode:
            PutWord(payload, m_mode);
            break;
        case kGetCapabilities:
            PutWord(payload, m_capabilities);
            PutWord(payload, m_power);
            break;
        case kGetSaving:
            ok = GetWord(request, 1, argument) && m_saving.count(argument);
            if (ok) {
                PutWord(payload, m_saving[argument]);
            }
            break;
        default:
            ok = false;
        }
    }
    if (!ok) {
        payload.clear();
    } else if (m_shortAll || m_shortCodes.count(code)) {
        DWORD keep = m_shortAll ? m_shortAllBytes : m_shortCodes[code];
        if (payload.size() > keep) {
            payload.resize(keep);
        }
    }
    Bytes reply;
    PutWord(reply, ok ? 1 : 0);
    reply.insert(reply.end(), payload.begin(), payload.end());
    reply.resize(reply.size() + m_padding, 0);
    return reply;
}

void CardState::SetCapabilities(DWORD bits)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_capabilities = bits;
}

void CardState::SetPower(DWORD milliwatts)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_power = milliwatts;
}

void CardState::SetSaving(DWORD mode, DWORD value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_saving[mode] = value;
}

void CardState::RemoveSaving(DWORD mode)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_saving.erase(mode);
}

void CardState::SetMode(DWORD mode)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_mode = mode;
}

void CardState::SetDelay(DWORD ms)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_delay = ms;
}

DWORD CardState::Delay() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_delay;
}

void CardState::SetFail(bool all, DWORD code)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (all) {
        m_failAll = true;
    } else {
        m_failCodes.insert(code);
    }
}

void CardState::ClearFail()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_failAll = false;
    m_failCodes.clear();
}

void CardState::SetShort(bool all, DWORD code, DWORD payloadBytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (all) {
        m_shortAll = true;
        m_shortAllBytes = payloadBytes;
    } else {
        m_shortCodes[code] = payloadBytes;
    }
}

void CardState::ClearShort()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_shortAll = false;
    m_shortCodes.clear();
}

void CardState::SetPadding(DWORD bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_padding = bytes;
}

std::string CardState::Describe() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::string text = "caps " + HexNumber(m_capabilities) + "\npower " + std::to_string(m_power) +
                       "\nmode " + HexNumber(m_mode);
    for (const auto& saving : m_saving) {
        text += "\nsaving " + HexNumber(saving.first) + " " + std::to_string(saving.second);
    }
    text += "\ndelay " + std::to_string(m_delay) + "\npad " + std::to_string(m_padding);
    text += "\nfail";
    if (m_failAll) {
        text += " all";
    }
    for (DWORD code : m_failCodes) {
        text += " " + HexNumber(code);
    }
    text += "\nshort";
    if (m_shortAll) {
        text += " all=" + std::to_string(m_shortAllBytes);
    }
    for (const auto& cut : m_shortCodes) {
        text += " " + HexNumber(cut.first) + "=" + std::to_string(cut.second);
    }
    return text;
}

} // namespace tvsim
