#include "framework/Classes.h"

#include "framework/Assert.h"
#include "framework/SysUtils.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cctype>
#include <exception>
#include <typeinfo>

std::string TObject::ClassName() const
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : typeid(*this).name();
    const size_t scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source)
        source->AssignTo(this);
    else
        AssignTo(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(std::string("Cannot assign a ") + typeid(*this).name() + " to a " +
                        (dest ? typeid(*dest).name() : "nil"));
}

TComponent::TComponent(TComponent* owner) : m_owner(owner)
{
    if (owner) {
        owner->InsertComponent(this);
        if (owner->m_state & csReading)
            m_state |= csLoading | csReading;
    }
}

TComponent::~TComponent()
{
    Destroying();
    NotifyFreed();
    DestroyComponents();
    if (m_owner)
        m_owner->RemoveComponent(this);
}

void TComponent::Free()
{
    if (m_freeing)
        return;
    m_freeing = true;
    Destroying();
    BeforeDestruction();
    delete this;
}

void TComponent::Destroying()
{
    m_state |= csDestroying;
    for (const auto& owned : m_components)
        owned->Destroying();
}

void TComponent::BeforeDestruction()
{
    NotifyFreed();
    DestroyComponents();
}

void TComponent::NotifyFreed()
{
    // Those that refer to us forget us; those we refer to forget that we asked.
    while (!m_freeNotifies.empty()) {
        TComponent* other = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        other->RemoveFreeNotification(this);
        other->Notification(this, opRemove);
    }
}

TComponent* TComponent::Components(int index) const
{
    ASSERT(index >= 0 && index < ComponentCount());
    return m_components[static_cast<size_t>(index)].get();
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& component : m_components) {
        if (component->m_name.size() == name.size() &&
            std::equal(name.begin(), name.end(), component->m_name.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                   std::tolower(static_cast<unsigned char>(b)); }))
            return component.get();
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component) == m_freeNotifies.end()) {
        m_freeNotifies.push_back(component);
        component->m_freeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    auto it = std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component);
    if (it == m_freeNotifies.end())
        return;
    m_freeNotifies.erase(it);
    component->RemoveFreeNotification(this);
}

void TComponent::Loaded()
{
    m_state &= ~csLoading;
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove)
        for (const auto& owned : m_components)
            owned->Notification(component, operation);
}

void TComponent::InsertComponent(TComponent* component)
{
    m_components.emplace_back(component);
    for (const auto& owned : m_components)
        if (owned.get() != component)
            owned->Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find_if(m_components.begin(), m_components.end(),
                           [component](const auto& owned) { return owned.get() == component; });
    if (it == m_components.end())
        return;
    it->release();  // the component is freeing itself
    m_components.erase(it);
    component->m_owner = nullptr;
    Notification(component, opRemove);
}

void TComponent::DestroyComponents()
{
    while (!m_components.empty()) {
        TComponent* last = m_components.back().release();
        m_components.pop_back();
        last->m_owner = nullptr;
        Notification(last, opRemove);
        last->Free();
    }
}

TReader::TReader(TComponent* root) : m_root(root)
{
    ASSERT(root);
    root->m_state |= csLoading | csReading;
}

namespace {

// The component and those it owns, at any depth, that are still loading; owners first.
void CollectLoading(TComponent* component, std::vector<TComponent*>& loading)
{
    if (!(component->ComponentState() & csLoading))
        return;
    loading.push_back(component);
    for (int i = 0; i < component->ComponentCount(); ++i)
        CollectLoading(component->Components(i), loading);
}

}  // namespace

TReader::~TReader() noexcept(false)
{
    const bool unwinding = std::uncaught_exceptions() > 0;
    std::vector<TComponent*> loading;
    CollectLoading(m_root, loading);
    for (TComponent* component : loading)
        component->m_state &= ~csReading;
    // Every component ends loading, also when one's Loaded throws; the first exception
    // goes on once all are done.
    std::exception_ptr failure;
    for (TComponent* component : loading) {
        if (!unwinding) {
            try {
                component->Loaded();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
        component->m_state &= ~csLoading;
    }
    if (failure)
        std::rethrow_exception(failure);
}
