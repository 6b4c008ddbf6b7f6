#pragma once
// Notice that no supported graphics card or graphics-card utility was found, with a link to the
// product's support page: clicking it opens the page with the system shell and closes with 1;
// Exit, the close button and Escape close with 2.
#include "views/SkinDialog.h"

#include <functional>
#include <string>

namespace tv {

// The product's support page, where the compatible cards and the card utility are listed.
inline constexpr char kSupportPageAddress[] = "http://www.kaldo.example/support/tetravolt";

class TVgaForm : public TSkinDialog
{
public:
    LUMO_CLASS_NAME(TVgaForm)
    static constexpr lumo::TColor kLinkColor = 0xC4521A;
    // While the pointer is over the link: a deeper blue, underlined, which still reads on the
    // light body (white would vanish there).
    static constexpr lumo::TColor kLinkHoverColor = 0x802E0C;

    explicit TVgaForm(lumo::TComponent* owner);

    void ApplyTexts(const TextLookup& lookup) override;

    // Opens an address; the system shell's "open" by default. True when it was handed over.
    std::function<bool(const std::string& address)> OpenAddress;
    static bool OpenWithShell(const std::string& address);

    lumo::TLabel& TextLabel() { return *m_text; }
    lumo::TLabel& Hyperlink() { return *m_link; }
    TDialogButton& ExitButton() { return *m_exit; }
    bool LinkHovered() const { return m_hovered; }

    KdButton* DefaultButton() override { return m_exit; }
    void WndProc(lumo::TMessage& message) override;

protected:
    void DoShow() override;

private:
    void SetHovered(bool hovered);
    void FollowLink();

    lumo::TLabel* m_text;
    lumo::TLabel* m_link;
    TDialogButton* m_exit;
    bool m_hovered = false;
};

} // namespace tv
