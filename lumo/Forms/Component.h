#pragma once
// Ownership of framework objects: a component owns the components created with it as owner
// and destroys them (last created first) when it is destroyed itself.
#include "lumo/Forms/Types.h"

#include <string>
#include <vector>

namespace lumo {

class TComponent : public TObject
{
public:
    LUMO_CLASS_NAME(TComponent)
    // owner (may be null) takes ownership of the new component.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int index) const { return m_components[index]; }
    // An owned component by name (not searched further down), or null.
    TComponent* FindComponent(const std::string& name) const;

    // True from the start of destruction on; events are no longer delivered.
    bool IsDestroying() const { return m_destroying; }

protected:
    // Called on each owned component just before the owner deletes it, while the whole object
    // still exists (windows are destroyed here).
    virtual void BeforeDestruction() { m_destroying = true; }
    void MarkDestroying() { m_destroying = true; }
    // Destroys the owned components now (last created first).
    void DestroyComponents();

private:
    void RemoveComponent(TComponent* component);

    TComponent* m_owner;
    std::vector<TComponent*> m_components;
    std::string m_name;
    int m_tag = 0;
    bool m_destroying = false;
};

} // namespace lumo
