#pragma once
// The program's one notification-area icon: added with version 3 behaviour (retried once when
// the shell refuses), its icon loaded from a file, its tooltip and balloon, the tip timer, and
// the menu opened from it. What it shows is the main controller's choice.
#include "lumo/Forms/Timer.h"

#include <windows.h>
#include <shellapi.h>
#include <functional>
#include <string>

namespace tv {

class TrayIcon
{
public:
    static constexpr UINT kId = 1;
    static constexpr UINT kCallbackMessage = WM_USER + 200; // 1224
    static constexpr DWORD kBalloonFlags = 0x11;            // NIIF_INFO | NIIF_NOSOUND
    static constexpr UINT kBalloonTimeoutMs = 30000;
    static constexpr UINT kTipMs = 5000;
    static constexpr UINT kTipAfterBalloonMs = 1000;
    static constexpr size_t kTipLength = 127;
    static constexpr size_t kBalloonLength = 255;
    static constexpr size_t kTitleLength = 63;
    // Menu commands (WM_COMMAND to the owner window).
    static constexpr UINT kShowTipsCommand = 0x7E01;
    static constexpr UINT kAutoRunCommand = 0x7E02;
    static constexpr UINT kExitCommand = 0x7E03;

    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon for owner (NIM_ADD, once more when it fails) and asks for version 3.
    bool Create(HWND owner, const std::string& balloonTitle);
    // Adds it again (the shell restarted and lost it).
    bool Recreate();
    // Removes it.
    void Destroy();
    bool Created() const { return m_created; }

    // The icon from an .ico file; one that cannot be loaded keeps the previous icon (traced).
    // Takes effect with the next update.
    bool LoadIconFile(const std::string& path);
    HICON Icon() const { return m_icon; }

    // Icon and tooltip without a balloon (an open balloon closes).
    bool UpdateIcon(const std::string& tip);
    // The tooltip, with the balloon when balloonText is not null; the tip timer restarts.
    bool UpdateTooltip(const std::string& tip, const std::string* balloonText);
    // Only the tooltip text (the tip timer and any balloon stay as they are).
    bool UpdateTipOnly(const std::string& tip);

    lumo::TTimer& TipTimer() { return m_tipTimer; }
    // Restarts the tip timer with interval.
    void RunTipTimer(UINT interval);
    // When the tip timer fires (it stops itself first).
    std::function<void()> OnTipTimer;

    // Opens the menu at the cursor: captions, check marks; the owner gets WM_COMMAND.
    void OpenMenu(const std::string& showTips, bool tipsChecked, const std::string& autoRun,
                  bool autoRunChecked, const std::string& exitText);

    // What the last successful call sent, for checks.
    const std::string& Tip() const { return m_tip; }

private:
    NOTIFYICONDATAA Data(UINT flags) const;
    bool Send(DWORD message, NOTIFYICONDATAA& data);
    bool Add();

    HWND m_owner = nullptr;
    HICON m_icon = nullptr;
    HMENU m_menu = nullptr;
    bool m_created = false;
    std::string m_title;
    std::string m_tip;
    lumo::TTimer m_tipTimer;
};

// Copies text into a fixed field of limit + 1 characters, cut to at most limit.
void CopyField(char* field, size_t limit, const std::string& text);

} // namespace tv
