#pragma once

#include "gui/app/TApplication.h"

#include <QObject>

#include <cstddef>
#include <exception>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

// The one guard of the windows' slots and event handlers. Runs the table or link work of a slot;
// an error it throws is reported (logged, then shown by the handler of the window `where`
// belongs to) and the slot ends normally, so the error never travels through Qt's event loop.
// True when the work completed; a caller with something to undo does it on false.
template <typename Work> bool Guarded(QObject* where, Work&& work) {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception& error) {
        TApplication::Report(where, error);
        return false;
    }
}

namespace SlotGuardDetail {
template <typename F, typename Tuple, std::size_t... I> constexpr bool InvocableWithFirst(std::index_sequence<I...>) {
    return std::is_invocable_v<F&, decltype(std::get<I>(std::declval<Tuple&>()))...>;
}

// Calls a slot as Qt would: with as many of the signal's arguments as it takes, from the front.
template <typename F, typename Tuple, std::size_t N = std::tuple_size_v<Tuple>>
void CallWithMost(F& slot, Tuple& arguments) {
    if constexpr (InvocableWithFirst<F, Tuple>(std::make_index_sequence<N>{})) {
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            std::invoke(slot, std::get<I>(arguments)...);
        }
        (std::make_index_sequence<N>{});
    } else {
        static_assert(N > 0, "the slot cannot take the signal's arguments");
        CallWithMost<F, Tuple, N - 1>(slot, arguments);
    }
}

// A member function as a callable that tells which arguments it takes.
template <typename Receiver, typename Slot> auto Callable(Receiver* receiver, Slot slot) {
    if constexpr (std::is_member_function_pointer_v<Slot>) {
        return [receiver, slot](auto&&... a) -> std::invoke_result_t<Slot, Receiver*, decltype(a)...> {
            return std::invoke(slot, receiver, std::forward<decltype(a)>(a)...);
        };
    } else {
        return slot;
    }
}
} // namespace SlotGuardDetail

// Every slot of the windows is connected through here: `slot` (a member function of `receiver`
// or a callable) runs under Guarded, with `receiver` as the window that reports its errors.
template <typename Sender, typename Signal, typename Receiver, typename Slot>
QMetaObject::Connection GuardedConnect(Sender* sender, Signal signal, Receiver* receiver, Slot slot) {
    return QObject::connect(
        sender, signal, receiver,
        [receiver, call = SlotGuardDetail::Callable(receiver, std::move(slot))](auto&&... args) mutable -> void {
            auto arguments = std::forward_as_tuple(std::forward<decltype(args)>(args)...);
            Guarded(receiver, [&] { SlotGuardDetail::CallWithMost(call, arguments); });
        });
}
