#include "lumo/Forms/Component.h"

#include <algorithm>

namespace lumo {

TComponent::TComponent(TComponent* owner) : m_owner(owner)
{
    if (m_owner) {
        m_owner->m_components.push_back(this);
    }
}

TComponent::~TComponent()
{
    m_destroying = true;
    DestroyComponents();
    if (m_owner) {
        m_owner->RemoveComponent(this);
    }
}

void TComponent::DestroyComponents()
{
    while (!m_components.empty()) {
        TComponent* component = m_components.back();
        component->BeforeDestruction();
        // The component's destructor takes it off the list.
        delete component;
    }
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(m_components.begin(), m_components.end(), component);
    if (it != m_components.end()) {
        m_components.erase(it);
    }
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    for (TComponent* component : m_components) {
        if (!name.empty() && component->m_name == name) {
            return component;
        }
    }
    return nullptr;
}

} // namespace lumo
