#pragma once

#include "core/link/TCommParameter.h"

#include <utility>

// A detected port taken by one window or command. The port's in-use mark follows this
// object: set while it holds the port, cleared when it is released or destroyed, so a
// return, an early exit or an exception can never leave a port taken for good.
// Empty when no port could be taken.
class PortReservation {
public:
    PortReservation() = default;
    // Takes a port that is free; the caller has checked that it is.
    explicit PortReservation(TCommParameter& port) : m_port(&port) { m_port->InUse = true; }
    ~PortReservation() { Release(); }

    PortReservation(PortReservation&& other) noexcept : m_port(std::exchange(other.m_port, nullptr)) {}
    PortReservation& operator=(PortReservation&& other) noexcept {
        if (this != &other) {
            Release();
            m_port = std::exchange(other.m_port, nullptr);
        }
        return *this;
    }
    PortReservation(const PortReservation&) = delete;
    PortReservation& operator=(const PortReservation&) = delete;

    // Gives the port back before the end of the scope; harmless when empty.
    void Release() {
        if (m_port != nullptr) {
            m_port->InUse = false;
            m_port = nullptr;
        }
    }

    explicit operator bool() const { return m_port != nullptr; }
    // The reserved port, or none.
    TCommParameter* Get() const { return m_port; }
    TCommParameter& operator*() const { return *m_port; }
    TCommParameter* operator->() const { return m_port; }

private:
    TCommParameter* m_port = nullptr;
};
