#pragma once
// A window that is built at its first use and kept for the rest of the run, so that start-up
// builds only what it shows. It reads like the pointer it stands for.
template <class T>
class OnFirstUse {
public:
    using Maker = T* (*)();
    constexpr explicit OnFirstUse(Maker maker) : m_maker(maker) {}
    OnFirstUse(const OnFirstUse&) = delete;
    OnFirstUse& operator=(const OnFirstUse&) = delete;

    T* get()
    {
        if (!m_object && m_maker)
            m_object = m_maker();
        return m_object;
    }
    T* operator->() { return get(); }
    operator T*() { return get(); }
    // Null while nobody has used it; never builds.
    T* built() const { return m_object; }
    // Who builds it, when it needs a parent or connections only the program's start knows.
    void makeWith(Maker maker) { m_maker = maker; }
    // An instance made elsewhere (tests make their own); null forgets it without freeing it.
    OnFirstUse& operator=(T* object)
    {
        m_object = object;
        return *this;
    }
    void free()
    {
        delete m_object;
        m_object = nullptr;
    }

private:
    Maker m_maker;
    T* m_object = nullptr;
};
