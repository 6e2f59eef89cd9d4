#pragma once

#include <type_traits>
#include <utility>

// A service the program reaches through one replaceable point: the real one unless someone (a
// test, the running help window) has put their own in place.
template <class Interface> class TSeam
{
public:
    // The replacement when there is one, else real (null where there is no real one).
    Interface* Current(Interface* real = nullptr) const
    {
        return m_replacement ? m_replacement : real;
    }
    // Puts next in place (null: back to the real one); returns the replacement it takes over from.
    Interface* Replace(Interface* next) { return std::exchange(m_replacement, next); }

private:
    Interface* m_replacement = nullptr;
};

// Puts a replacement in place through a seam's setter for as long as it lives, then restores the
// one before it, also when a test leaves early.
//     TScopedSeam shell(SetShell, &fake);
template <class Interface> class [[nodiscard]] TScopedSeam
{
public:
    using Setter = Interface* (*)(Interface*);

    TScopedSeam(Setter set, std::type_identity_t<Interface>* replacement)
        : m_set(set), m_previous(set(replacement))
    {}
    ~TScopedSeam() { m_set(m_previous); }
    TScopedSeam(const TScopedSeam&) = delete;
    TScopedSeam& operator=(const TScopedSeam&) = delete;

private:
    Setter m_set;
    Interface* m_previous;
};
