#include "shell/TrayIcon.h"

#include "lumo/System/Source/TraceLog.h"

#include <cstring>

namespace tv {
namespace {

constexpr UINT kVersion3 = 3;

} // namespace

void CopyField(char* field, size_t limit, const std::string& text)
{
    const size_t length = text.size() < limit ? text.size() : limit;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

TrayIcon::TrayIcon() : m_tipTimer(nullptr)
{
    m_tipTimer.SetEnabled(false);
    m_tipTimer.SetInterval(kTipMs);
    m_tipTimer.OnTimer = [this](lumo::TObject*) {
        m_tipTimer.SetEnabled(false);
        if (OnTipTimer) {
            OnTipTimer();
        }
    };
}

TrayIcon::~TrayIcon()
{
    Destroy();
    if (m_icon) {
        DestroyIcon(m_icon);
    }
    if (m_menu) {
        DestroyMenu(m_menu);
    }
}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const
{
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = m_owner;
    data.uID = kId;
    data.uFlags = flags;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = m_icon;
    return data;
}

bool TrayIcon::Send(DWORD message, NOTIFYICONDATAA& data)
{
    if (Shell_NotifyIconA(message, &data)) {
        return true;
    }
    TraceLog("~~~[TrayIcon] Shell_NotifyIcon %lu failed! GetLastError returned %lu", message,
             GetLastError());
    return false;
}

bool TrayIcon::Add()
{
    NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    CopyField(data.szTip, kTipLength, m_tip);
    // The shell may still be starting (boot launch): one more try.
    // An icon the shell still has (a notice of its restart without losing the icons) takes a
    // modify instead.
    m_created = Send(NIM_ADD, data) || Send(NIM_ADD, data) || (m_created && Send(NIM_MODIFY, data));
    if (m_created) {
        NOTIFYICONDATAA version = Data(0);
        version.uVersion = kVersion3;
        Send(NIM_SETVERSION, version);
    }
    return m_created;
}

bool TrayIcon::Create(HWND owner, const std::string& balloonTitle)
{
    m_owner = owner;
    m_title = balloonTitle;
    return Add();
}

bool TrayIcon::Recreate()
{
    if (!m_owner) {
        return false;
    }
    return Add();
}

void TrayIcon::Destroy()
{
    if (!m_created) {
        return;
    }
    NOTIFYICONDATAA data = Data(0);
    Send(NIM_DELETE, data);
    m_created = false;
}

bool TrayIcon::LoadIconFile(const std::string& path)
{
    HICON icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
    if (!icon) {
        TraceLog("~~~[TrayIcon] icon %s not loaded (error %lu): the previous one stays",
                 path.c_str(), GetLastError());
        return false;
    }
    if (m_icon) {
        DestroyIcon(m_icon);
    }
    m_icon = icon;
    return true;
}

bool TrayIcon::UpdateIcon(const std::string& tip)
{
    if (!m_created) {
        return false;
    }
    NOTIFYICONDATAA data = Data(NIF_ICON | NIF_TIP | NIF_INFO);
    CopyField(data.szTip, kTipLength, tip);
    // An empty balloon text takes down a balloon still shown.
    CopyField(data.szInfoTitle, kTitleLength, m_title);
    data.dwInfoFlags = kBalloonFlags;
    if (!Send(NIM_MODIFY, data)) {
        return false;
    }
    m_tip = tip;
    return true;
}

bool TrayIcon::UpdateTooltip(const std::string& tip, const std::string* balloonText)
{
    RunTipTimer(kTipMs);
    if (!m_created) {
        return false;
    }
    NOTIFYICONDATAA data = Data(NIF_TIP | (balloonText ? NIF_INFO : 0));
    CopyField(data.szTip, kTipLength, tip);
    if (balloonText) {
        CopyField(data.szInfo, kBalloonLength, *balloonText);
        CopyField(data.szInfoTitle, kTitleLength, m_title);
        data.uTimeout = kBalloonTimeoutMs;
        data.dwInfoFlags = kBalloonFlags;
    }
    if (!Send(NIM_MODIFY, data)) {
        return false;
    }
    m_tip = tip;
    return true;
}

bool TrayIcon::UpdateTipOnly(const std::string& tip)
{
    if (!m_created || tip == m_tip) {
        return false;
    }
    NOTIFYICONDATAA data = Data(NIF_TIP);
    CopyField(data.szTip, kTipLength, tip);
    if (!Send(NIM_MODIFY, data)) {
        return false;
    }
    m_tip = tip;
    return true;
}

void TrayIcon::RunTipTimer(UINT interval)
{
    m_tipTimer.SetEnabled(false);
    m_tipTimer.SetInterval(interval);
    m_tipTimer.SetEnabled(true);
}

void TrayIcon::OpenMenu(const std::string& showTips, bool tipsChecked, const std::string& autoRun,
                        bool autoRunChecked, const std::string& exitText)
{
    if (!m_menu) {
        m_menu = CreatePopupMenu();
        if (!m_menu) {
            TraceLog("~~~[TrayIcon] CreatePopupMenu failed! GetLastError returned %lu",
                     GetLastError());
            return;
        }
        AppendMenuA(m_menu, MF_STRING, kShowTipsCommand, showTips.c_str());
        AppendMenuA(m_menu, MF_STRING, kAutoRunCommand, autoRun.c_str());
        AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_menu, MF_STRING, kExitCommand, exitText.c_str());
    }
    CheckMenuItem(m_menu, kShowTipsCommand, tipsChecked ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(m_menu, kAutoRunCommand, autoRunChecked ? MF_CHECKED : MF_UNCHECKED);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only while its owner is in front.
    SetForegroundWindow(m_owner);
    TrackPopupMenu(m_menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, m_owner,
                   nullptr);
    PostMessageA(m_owner, WM_NULL, 0, 0);
}

} // namespace tv
