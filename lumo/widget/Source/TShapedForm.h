#pragma once
// Attaches a borderless form to its background image: the client area takes the image's size,
// the image's transparent colour (its lower-left pixel) is cut out of the window, and the
// window can be dragged by the image. TShapedFormMaker cuts with a window region,
// TLayeredFormMaker with a colour-keyed layered window.
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Image.h"
#include "lumo/widget/Source/LayeredWindowMaker.h"

#include <memory>

namespace lumo {

// Moves a form while the left button is held on its background image. It takes over the
// image's OnMouseDown and calls the handler that was there before for every press.
class TWindowMover
{
public:
    TWindowMover(TForm& form, TImage& image);
    virtual ~TWindowMover();
    TWindowMover(const TWindowMover&) = delete;
    TWindowMover& operator=(const TWindowMover&) = delete;

    // Disabling gives the image its previous handler back; enabling takes it over again.
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_installed; }

protected:
    virtual void MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    TForm& m_form;
    TImage& m_image;

private:
    TMouseEvent m_previous;
    bool m_installed = false;
};

class TShapedFormMaker
{
public:
    TShapedFormMaker() = default;
    // Detaches when still attached.
    virtual ~TShapedFormMaker();
    TShapedFormMaker(const TShapedFormMaker&) = delete;
    TShapedFormMaker& operator=(const TShapedFormMaker&) = delete;

    // Shapes the form that holds image (precondition: not attached). False without an image
    // or without a form above it. The form must have Scaled false.
    bool Attach(TImage* image);
    // Unshapes the form and gives the image its mouse-down handler back.
    void Detach();
    // Again after the background picture was replaced: border, size and shape.
    void Reapply();
    bool IsAttached() const { return m_form != nullptr; }
    void EnableDragging(bool enabled);

    TForm* Form() const { return m_form; }
    TImage* Image() const { return m_image; }

    virtual void SetColorKey(TColor color) { m_colorKey = color; }
    virtual TColor GetColorKey() const { return m_colorKey; }

protected:
    // Cuts the colour key out of the window.
    virtual void Apply(TForm& form, TImage& image);
    virtual void Remove(TForm& form);
    // No border, no scaling, the image sized to its picture and the client area to the image.
    virtual void Prepare();
    // The window mover to use; null means the default one.
    virtual std::unique_ptr<TWindowMover> CreateWindowMover() { return nullptr; }

private:
    TForm* m_form = nullptr;
    TImage* m_image = nullptr;
    std::unique_ptr<TWindowMover> m_mover;
    TColor m_colorKey = clNone;
};

class TLayeredFormMaker : public TShapedFormMaker
{
public:
    // Uses the colour key when the system has layered windows.
    TLayeredFormMaker();
    ~TLayeredFormMaker() override;

    void SetColorKey(TColor color) override { m_layered.SetColorKey(color); }
    TColor GetColorKey() const override { return m_layered.GetColorKey(); }
    // Constant opacity on top of the colour key; applied at once while attached.
    void SetUseAlpha(bool use);
    void SetAlpha(BYTE alpha);
    LayeredWindowMaker& Layered() { return m_layered; }

protected:
    // The form's own colour becomes the key too, so uncovered parts of the form vanish as well.
    // Without layered windows the form is shaped by a region instead.
    void Apply(TForm& form, TImage& image) override;
    void Remove(TForm& form) override;

private:
    LayeredWindowMaker m_layered;
};

} // namespace lumo
