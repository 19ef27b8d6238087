// Owns one COM interface reference and releases it exactly once.
#pragma once

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(Interface* adopted) : mp_interface(adopted) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* Get() const { return mp_interface; }
    Interface* operator->() const { return mp_interface; }
    explicit operator bool() const { return mp_interface != nullptr; }

    // For functions that hand out a new reference.
    void** Receive()
    {
        Reset();
        return reinterpret_cast<void**>(&mp_interface);
    }
    Interface** ReceiveTyped()
    {
        Reset();
        return &mp_interface;
    }

    void Reset()
    {
        if (mp_interface)
            mp_interface->Release();
        mp_interface = nullptr;
    }

    // Takes over the other's reference.
    void Swap(ComPtr& other)
    {
        Interface* mine = mp_interface;
        mp_interface = other.mp_interface;
        other.mp_interface = mine;
    }

private:
    Interface* mp_interface = nullptr;
};
